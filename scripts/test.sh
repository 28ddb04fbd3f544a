#!/bin/sh
# Sets up a fresh Debian 12 machine, builds OX8Driver with AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs every test headless through CTest.
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
./scripts/check-layers.sh

BUILD=${OX8_TEST_BUILD_DIR:-build-asan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOX8_SANITIZE=ON -DOX8_BUILD_TESTS=ON
cmake --build "$BUILD"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
ctest --test-dir "$BUILD" --output-on-failure --timeout 600 -j2 "$@"
