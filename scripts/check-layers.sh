#!/bin/sh
# Fails when a source file includes a header from a layer above its own.
# Includes are written from the project root ("device/familya/usbdriverox7.h"),
# so the first path component names the layer. Usage: check-layers.sh [ROOT]
set -eu
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Each layer and the layers it may include (itself included).
allowed() {
    case "$1" in
        platform)    echo "platform" ;;
        discovery)   echo "platform discovery" ;;
        config)      echo "platform discovery config" ;;
        device)      echo "platform discovery config device" ;;
        coordinator) echo "platform discovery config device coordinator" ;;
        sim)         echo "platform discovery sim" ;;
        cloud)       echo "platform discovery config device coordinator cloud" ;;
        update)      echo "platform discovery config device coordinator cloud editors update" ;;
        analytics)   echo "platform discovery config device coordinator analytics" ;;
        editors)     echo "platform discovery config device coordinator editors" ;;
        shell)       echo "platform discovery config device coordinator cloud update analytics editors shell" ;;
        app)         echo "platform discovery config device coordinator sim cloud update analytics editors shell app" ;;
        server)      echo "server" ;;
        *)           echo "*" ;;
    esac
}

status=0
for layer in platform discovery config device coordinator sim cloud update analytics editors shell app server; do
    [ -d "$layer" ] || continue
    ok=$(allowed "$layer")
    # file:line:#include "x/..."
    hits=$(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$layer" || true)
    [ -n "$hits" ] || continue
    bad=$(printf '%s\n' "$hits" | awk -v ok=" $ok " '
        {
            line = $0
            inc = line; sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
            if (inc ~ /\.moc$/ || inc ~ /^ui_/) next
            if (index(inc, "/") == 0) { print line "   (not written from the project root)"; next }
            top = inc; sub(/\/.*$/, "", top)
            if (index(ok, " " top " ") == 0) print line
        }')
    if [ -n "$bad" ]; then
        echo "Layer '$layer' may include only: $ok"
        printf '%s\n' "$bad" | sed 's/^/  /'
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "Layers: every include points to the same or a lower layer."
exit "$status"
