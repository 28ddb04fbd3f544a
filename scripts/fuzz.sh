#!/bin/sh
# Builds the libFuzzer harnesses of fuzz/ (clang 14, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given number of seconds,
# starting from its seed corpus and the inputs of mended crashes:
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]     (defaults: 10 s, every harness)
#
# New corpus entries go to $OX8_FUZZ_CORPUS_DIR/<harness> (default
# ~/.cache/ox8driver-fuzz), outside the repository; OX8_FUZZ_IN_TREE=1 keeps
# them in fuzz/corpus/<harness> instead. A crashing input lands in
# $OX8_FUZZ_CORPUS_DIR/artifacts/<harness>/. Prints one line per harness
# (executions, seconds, crashes) and fails when any harness crashed.
# OX8_FUZZ_BUILD_DIR picks the build folder (default build-fuzz);
# OX8_FUZZ_JOBS=N runs N harnesses at once.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-10}
[ $# -gt 0 ] && shift
build=${OX8_FUZZ_BUILD_DIR:-build-fuzz}
store=${OX8_FUZZ_CORPUS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ox8driver-fuzz}

if [ $# -gt 0 ]; then
    harnesses="$*"
else
    harnesses=$(sed -n '/^set(OX8_FUZZ_HARNESSES/,/)/p' fuzz/CMakeLists.txt | sed '1d; s/)//' | tr -s ' \n' ' ')
fi

# OX8_FUZZ_NO_BUILD=1 uses the harnesses as built (several runs at once).
if [ "${OX8_FUZZ_NO_BUILD:-0}" != 1 ]; then
    launcher=""
    if command -v ccache >/dev/null 2>&1; then launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
        -DOX8_FUZZ=ON -DOX8_BUILD_TESTS=OFF $launcher >/dev/null
    targets=""
    for h in $harnesses; do targets="$targets fuzz_$h"; done
    # shellcheck disable=SC2086
    cmake --build "$build" --target $targets
fi

# Leak checks are off by default: Qt 5's JSON parser leaks on some
# malformed inputs, and telling its leaks from ours needs whole stacks
# through Qt (fuzz/lsan.supp), which makes every input ten times slower.
# OX8_FUZZ_LEAKS=1 turns them on; the replay tests check leaks anyway.
# Set after whatever the caller exported (scripts/test.sh turns leak checks
# on for its tests): the later setting of an option wins.
if [ "${OX8_FUZZ_LEAKS:-0}" = 1 ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:fast_unwind_on_malloc=0"
else
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi
mkdir -p "$store"
cat "$root/tests/lsan.supp" "$root/fuzz/lsan.supp" >"$store/lsan.supp"
export LSAN_OPTIONS="suppressions=$store/lsan.supp:print_suppressions=0"
# The harnesses write APP's files for every input; in memory that costs
# nothing, on a disk every atomic write waits for its fsync.
if [ -z "${OX8_FUZZ_TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then OX8_FUZZ_TMPDIR=/dev/shm; fi
[ -n "${OX8_FUZZ_TMPDIR:-}" ] && export TMPDIR="$OX8_FUZZ_TMPDIR"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Runs one harness; its exit status goes to $store/<harness>.rc.
run_harness() { # run_harness HARNESS
    h=$1
    seeds="$root/fuzz/corpus/$h"
    if [ "${OX8_FUZZ_IN_TREE:-0}" = 1 ]; then
        work="$seeds"
    else
        work="$store/$h"
    fi
    artifacts="$store/artifacts/$h"
    mkdir -p "$work" "$artifacts"
    set -- "$work" "$seeds"
    [ "$work" = "$seeds" ] && set -- "$work"
    [ -d "$root/fuzz/regressions/$h" ] && set -- "$@" "$root/fuzz/regressions/$h"
    rc=0
    "$build/fuzz/fuzz_$h" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$@" >"$store/$h.log" 2>&1 || rc=$?
    echo "$rc" >"$store/$h.rc"
}

status=0
summary=""
report() { # report HARNESS
    h=$1
    log="$store/$h.log"
    rc=$(cat "$store/$h.rc" 2>/dev/null || echo 1)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    crashes=0
    if [ "$rc" -ne 0 ]; then
        crashes=1
        status=1
        grep -E "ERROR|SUMMARY|runtime error|Test unit written" "$log" | head -n 8 || true
        echo "   (whole log: $log)"
    fi
    line=$(printf '%-18s %12s executions %6s s  %s crashes' "$h" "${execs:-?}" "${took:-$seconds}" "$crashes")
    echo "   $line"
    summary="$summary$line
"
}

# OX8_FUZZ_JOBS harnesses run at once (default 1); each uses one core.
jobs=${OX8_FUZZ_JOBS:-1}
batch=""
for h in $harnesses; do
    echo "== $h: $seconds s"
    rm -f "$store/$h.rc"
    run_harness "$h" &
    batch="$batch $h"
    if [ "$(echo $batch | wc -w)" -ge "$jobs" ]; then
        wait
        for b in $batch; do report "$b"; done
        batch=""
    fi
done
wait
for b in $batch; do report "$b"; done
echo "== Fuzzing summary"
printf '%s' "$summary"
exit "$status"
