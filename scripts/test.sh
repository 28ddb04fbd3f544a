#!/bin/sh
# Sets up a fresh Debian 12 machine, then builds OX8Driver twice and runs
# every test headless through CTest in each build:
#   build-asan      Qt 5, AddressSanitizer + UndefinedBehaviorSanitizer
#   build-qt6-asan  Qt 6, the same sanitizers
# checks the Debian packages of the Qt 5 build (scripts/check-package.sh)
# and last runs each fuzz harness for a few seconds (scripts/fuzz.sh).
# Extra arguments go to ctest (for example -L device or -R tst_models).
# OX8_TEST_QT=5 or OX8_TEST_QT=6 runs only that build.
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
./scripts/check-layers.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1

run_build() { # run_build QT_MAJOR BUILD_DIR [ctest args...]
    major=$1; dir=$2; shift 2
    echo "== Qt $major: $dir"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOX8_SANITIZE=ON -DOX8_BUILD_TESTS=ON \
        -DOX8_QT_MAJOR="$major"
    cmake --build "$dir"
    ctest --test-dir "$dir" --output-on-failure --timeout 600 -j2 "$@"
}

which=${OX8_TEST_QT:-both}
if [ "$which" != 6 ]; then
    run_build 5 "${OX8_TEST_BUILD_DIR:-build-asan}" "$@"
    # The Debian packages of that build: file list, dependencies, validators.
    ./scripts/check-package.sh "${OX8_TEST_BUILD_DIR:-build-asan}"
fi
if [ "$which" != 5 ]; then
    run_build 6 "${OX8_TEST_QT6_BUILD_DIR:-build-qt6-asan}" "$@"
fi

# Every fuzz harness for a short while from its seed corpus (clang 14 build
# in build-fuzz); OX8_TEST_FUZZ_SECONDS=0 leaves it out.
fuzz_seconds=${OX8_TEST_FUZZ_SECONDS:-10}
if [ "$fuzz_seconds" -gt 0 ] && [ $# -eq 0 ]; then
    echo "== fuzz smoke: $fuzz_seconds s per harness"
    # Two at a time: one core each.
    OX8_FUZZ_JOBS=${OX8_FUZZ_JOBS:-2} OX8_FUZZ_CORPUS_DIR="${OX8_FUZZ_CORPUS_DIR:-$(pwd)/build-fuzz/corpus}" \
        ./scripts/fuzz.sh "$fuzz_seconds"
fi
