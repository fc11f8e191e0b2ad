#!/usr/bin/env bash
# Starts a copy of orvo with no settings file on a virtual X display (Xvfb), presses Escape
# as a user would, and checks that the program ended by itself and left a settings file
# holding every look key beside itself.
#
#     escape-under-xvfb.sh ORVO KESTRUM_PROP XKEYS
#
# Exit status 77 (skipped) when Xvfb or the X tools are not installed.
set -euo pipefail
orvo=$1 prop=$2 xkeys=$3
for tool in Xvfb xwininfo python3; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp "$orvo" "$scratch/bin/orvo"

# shellcheck disable=SC2016
"$(dirname "$0")/../../../scripts/on-xvfb" 1280x900 bash -c '
    set -eu
    scratch=$1 xkeys=$2
    cd "$scratch"
    XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=xcb \
        "$scratch/bin/orvo" &
    pid=$!
    # Polls up to 20 seconds for the window, then up to 20 seconds for the end.
    for _ in $(seq 200); do
        xwininfo -root -tree | grep -qF "\"Tessaly\":" && break
        kill -0 "$pid" 2>/dev/null || { echo "orvo ended before its window came" >&2; exit 1; }
        sleep 0.1
    done
    xwininfo -root -tree | grep -qF "\"Tessaly\":" || { kill "$pid"; echo "no window" >&2; exit 1; }
    "$xkeys" Escape
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        echo "Escape did not end orvo" >&2
        exit 1
    fi
    wait "$pid"
' bash "$scratch" "$xkeys"

settings=$scratch/bin/orvo.cfg
[ -f "$settings" ] || { echo "no settings file beside the program" >&2; exit 1; }
keys=$("$prop" dump "$settings" | cut -f2 | sort | tr '\n' ' ')
expected="Align AntiAlias BkgColor Box ExtendBlanks Font LastPath LeftMargin Outline \
OutlineSpacing PAL RightMargin TextBkgColor TextColor VerticalOffset "
if [ "$keys" != "$expected" ]; then
    echo "the settings file holds: $keys" >&2
    echo "expected:                $expected" >&2
    exit 1
fi
echo "orvo ended on Escape and saved every look key"
