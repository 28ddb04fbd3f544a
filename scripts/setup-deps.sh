#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test OX8Driver.
# Safe to run repeatedly: packages already present are left alone.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config
qtbase5-dev qtbase5-dev-tools qtdeclarative5-dev
qt6-base-dev qt6-base-dev-tools qt6-declarative-dev libgl-dev
fonts-noto-cjk fonts-dejavu-core
xvfb xauth x11-utils xdotool imagemagick python3
libcpp-httplib-dev libssl-dev libargon2-dev openssl
libqt5sql5-sqlite libqt5sql5-psql libqt6sql6-sqlite libqt6sql6-psql postgresql
libquazip1-qt5-dev libquazip1-qt6-dev
clang-14 libclang-rt-14-dev
dpkg-dev help2man desktop-file-utils appstream"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    echo "Installing:$missing"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
