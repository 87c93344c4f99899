#!/usr/bin/env bash
# The main window as a screen reader meets it: the program started on a
# private D-Bus session with the accessibility bus (at-spi), in a private
# home with two pictures, then read and operated by screen_reader.py.
#   screen_reader.sh QUORVANE
# Exits 77 (skipped) without a display, at-spi or pyatspi.
set -u
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
if [ -z "${DISPLAY:-}" ] || [ ! -x "$launcher" ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "no display, at-spi or pyatspi: skipped"
    exit 77
fi
# A folder of this run's own (mktemp makes it private to the user); rm does not
# follow links out of it, nor cross into anything mounted below it.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-reader.XXXXXX") || exit 1
trap 'rm -rf --one-file-system "$tmp"' EXIT
trap 'exit 1' INT TERM
mkdir -p "$tmp/home/Documents/Quorvane" "$tmp/home/pics" "$tmp/runtime"
chmod 700 "$tmp/home" "$tmp/runtime"
convert -size 64x40 xc:'#c81e1e' "$tmp/home/pics/p0.jpg"
convert -size 64x40 xc:'#1eb428' "$tmp/home/pics/p1.jpg"
printf '%s\r\n' "$tmp/home/pics/p0.jpg" "$tmp/home/pics/p1.jpg" \
    >"$tmp/home/Documents/Quorvane/list.txt"

env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP \
    HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share" \
    XDG_CACHE_HOME="$tmp/home/.cache" XDG_STATE_HOME="$tmp/home/.local/state" \
    XDG_RUNTIME_DIR="$tmp/runtime" LANGUAGE=en LC_ALL=C.UTF-8 \
    dbus-run-session -- bash -c '
        "$1" --launch-immediately >/dev/null 2>&1 &
        bus=$!
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$2" --show >/dev/null 2>&1 &
        app=$!
        timeout 60 /usr/bin/python3 "$3"
        status=$?
        kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
        pkill -P "$bus" 2>/dev/null
        kill "$bus" 2>/dev/null; wait "$bus" 2>/dev/null
        exit $status' reader "$launcher" "$program" "$here/screen_reader.py" </dev/null
