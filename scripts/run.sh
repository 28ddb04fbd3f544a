#!/bin/sh
# Sets up a fresh Debian 12 machine, builds OX8Driver and starts it.
# Extra arguments go to the program (for example -d for the debug log).
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh

BUILD=${OX8_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOX8_BUILD_TESTS=OFF
cmake --build "$BUILD" --target ox8driver

exec "$BUILD/bin/ox8driver" "$@"
