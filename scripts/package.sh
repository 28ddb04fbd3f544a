#!/bin/sh
# Builds the Debian packages (Qt 5, release build in build-release/) and
# installs ox8driver with apt, which brings in the libraries it needs.
#   ./scripts/package.sh               build and install
#   ./scripts/package.sh --no-install  only build build-release/*.deb
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOX8_BUILD_TESTS=OFF
cmake --build build-release
(cd build-release && cpack -G DEB)
ls build-release/*.deb

if [ "${1:-}" != "--no-install" ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y "$(ls "$PWD"/build-release/ox8driver_*.deb)"
fi
