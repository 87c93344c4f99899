#!/usr/bin/env bash
# Runs a desktop test program with openbox managing the test run's X server
# (DISPLAY), so that stacking, focus and closes asked by a window manager
# (Alt+F4) are the real ones. openbox gets a private home: nothing of the
# machine's own configuration is read or written.
#   under_openbox.sh PROGRAM [ARGS...]
set -u
if [ -z "${DISPLAY:-}" ]; then
    exec "$@"
fi
if ! command -v openbox >/dev/null 2>&1; then
    echo "openbox is not installed: the window-manager run is skipped" >&2
    exit 0
fi
wmhome=$(mktemp -d)
trap 'kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null; rm -rf --one-file-system -- "$wmhome"' EXIT
HOME=$wmhome XDG_CONFIG_HOME=$wmhome/.config XDG_CACHE_HOME=$wmhome/.cache \
    DBUS_SESSION_BUS_ADDRESS= openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# openbox owns the screen once it holds the WM_S0 selection.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
# It sets that property before it has taken the screen's existing windows
# in hand: a window mapped in that moment can stay unexposed.
sleep 0.5
QUORVANE_TEST_WM=openbox "$@"
