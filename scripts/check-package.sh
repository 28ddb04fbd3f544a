#!/bin/sh
# Builds the Debian packages from a configured and built tree and checks
# them: the files the install layout promises (cmake/Ox8Package.cmake), the
# computed dependencies and maintainer scripts, and the desktop entry and
# AppStream metainfo through their validators.
#   scripts/check-package.sh BUILD_DIR
set -eu

build=${1:?usage: check-package.sh BUILD_DIR}
id=org.ox8driver.OX8Driver
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
driver=$(ls "$out"/ox8driver_*.deb)
cloud=$(ls "$out"/ox8cloud_*.deb)

failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

dpkg-deb -c "$driver" | awk '{print $6}' | sed 's#^\./#/#' >"$out/driver.list"
dpkg-deb -c "$cloud" | awk '{print $6}' | sed 's#^\./#/#' >"$out/cloud.list"

for f in /usr/bin/ox8driver /usr/bin/ox8ctl \
    /usr/share/ox8driver/Language/translate.json \
    /usr/lib/udev/rules.d/70-ox8driver.rules \
    /usr/share/applications/$id.desktop \
    /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/man/man1/ox8driver.1 /usr/share/man/man1/ox8ctl.1; do
    grep -qx "$f" "$out/driver.list" || fail "ox8driver package lacks $f"
done
for size in 16 22 24 32 48 64 128 256; do
    f=/usr/share/icons/hicolor/${size}x$size/apps/$id.png
    grep -qx "$f" "$out/driver.list" || fail "ox8driver package lacks $f"
done
grep -qx /usr/bin/ox8cloud "$out/cloud.list" || fail "ox8cloud package lacks /usr/bin/ox8cloud"
if grep -q ox8cloud "$out/driver.list"; then fail "ox8cloud belongs in its own package"; fi
# The per-user APP is seeded from share/ox8driver: nothing there may be a
# profile, macro or setting of a user.
if grep -E '^/usr/share/ox8driver/.*(ConfigFiles|system|\.ini)' "$out/driver.list"; then
    fail "share/ox8driver holds user data"
fi

dpkg-deb -f "$driver" Depends | grep -q 'libqt[56]' || fail "no Qt dependency computed: $(dpkg-deb -f "$driver" Depends)"
dpkg-deb -f "$cloud" Depends | grep -q 'libqt[56]' || fail "ox8cloud: no Qt dependency computed"
dpkg-deb -e "$driver" "$out/control"
for script in postinst postrm; do
    grep -q 'udevadm control --reload-rules' "$out/control/$script" 2>/dev/null || fail "$script does not reload the udev rules"
done

dpkg-deb -x "$driver" "$out/root"
grep -q 'TAG+="uaccess"' "$out/root/usr/lib/udev/rules.d/70-ox8driver.rules" || fail "udev rule without uaccess"
# Every mouse and receiver the udev rule opens (the boot loaders aside) is
# hardware a software centre should suggest the program for.
ids=$(grep -o 'ATTRS{idVendor}=="33f9", ATTRS{idProduct}=="[0-9a-f]*"' \
    "$out/root/usr/lib/udev/rules.d/70-ox8driver.rules" | sed 's/.*=="\([0-9a-f]*\)"$/\1/' | grep -v '^02ff$')
[ -n "$ids" ] || fail "no USB ids in the udev rule"
for pid in $ids; do
    upper=$(echo "$pid" | tr 'a-f' 'A-F')
    grep -q "<modalias>usb:v33F9p${upper}d\*</modalias>" "$out/root/usr/share/metainfo/$id.metainfo.xml" \
        || fail "metainfo lacks the modalias of 33f9:$pid"
done
desktop-file-validate "$out/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$out/root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

if [ "$failed" -ne 0 ]; then
    echo "check-package: FAILED" >&2
    exit 1
fi
echo "check-package: $(basename "$driver") and $(basename "$cloud") are complete"
