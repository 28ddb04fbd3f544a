#!/bin/sh
# Sets up a fresh Debian 12 machine, builds OX8Driver (and ox8ctl) and starts it.
# Without options it starts in demo mode on an emulated OX7 (no mouse needed).
#   --simulate MODEL   demo mode on another emulated model (ox6, ox8, ox7:receiver, ...)
#   --real             no emulation: talk to the mice plugged into this computer
# Other arguments go to the program (for example -d for the debug log).
set -eu
cd "$(dirname "$0")/.."

demo=yes
for arg in "$@"; do
    case "$arg" in
        --simulate|--real) demo=no ;;
    esac
done

# --real is ours; the program never sees it.
if [ "$#" -gt 0 ]; then
    for arg in "$@"; do
        shift
        [ "$arg" = "--real" ] || set -- "$@" "$arg"
    done
fi

./scripts/setup-deps.sh

BUILD=${OX8_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOX8_BUILD_TESTS=OFF
cmake --build "$BUILD" --target ox8driver ox8ctl

if [ "$demo" = yes ]; then
    exec "$BUILD/bin/ox8driver" --simulate ox7 "$@"
fi
exec "$BUILD/bin/ox8driver" "$@"
