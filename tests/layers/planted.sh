#!/bin/sh
# Plants layer faults in a scratch tree and expects the layer check to fail
# on each, and to pass on the same tree without them.
set -u
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

tree() {
    rm -rf "$tmp/t"
    mkdir -p "$tmp/t/platform" "$tmp/t/device/familya" "$tmp/t/shell/window" "$tmp/t/sim" "$tmp/t/server"
    printf '#pragma once\n#include <QObject>\n' > "$tmp/t/platform/clock.h"
    printf '#include "platform/clock.h"\n#include "moc_x.moc"\n' > "$tmp/t/device/familya/driver.cpp"
    printf '#include "device/familya/driver.h"\n#include "ui_mainwindow.h"\n' > "$tmp/t/shell/window/mainwindow.cpp"
    printf '#include "server/store.h"\n' > "$tmp/t/server/cloudservice.cpp"
}

expect() { # expect pass|fail LABEL
    if sh "$check" "$tmp/t" > "$tmp/out" 2>&1; then got=pass; else got=fail; fi
    if [ "$got" != "$1" ]; then
        echo "FAIL: $2: expected $1, got $got"; cat "$tmp/out"; fail=1
    else
        echo "ok: $2"
    fi
}

tree; expect pass "a tree that only includes downward"

tree; printf '#include "shell/window/mainwindow.h"\n' >> "$tmp/t/device/familya/driver.cpp"
expect fail "device includes the shell"

tree; printf '  #  include "coordinator/dcdatahandle.h"\n' >> "$tmp/t/platform/clock.h"
expect fail "platform includes the coordinator, spaced"

tree; printf '#include "device/familya/driver.h"\n' >> "$tmp/t/sim/mouse.cpp"
expect fail "an emulator includes driver code"

tree; printf '#include "platform/clock.h"\n' >> "$tmp/t/server/store.cpp"
expect fail "the server includes client code"

tree; printf '#include "server/store.h"\n' >> "$tmp/t/shell/window/mainwindow.cpp"
expect fail "the program includes server code"

tree; printf '#include "clock.h"\n' >> "$tmp/t/device/familya/driver.cpp"
expect fail "a bare include not written from the root"

exit $fail
