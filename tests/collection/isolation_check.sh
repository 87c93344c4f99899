#!/bin/sh
# Runs the logic tests given as arguments inside a GNOME session of their own
# (dconf_session.sh) after setting the desktop's wallpaper there, and fails
# when any of them changed it: tests that apply pictures must never reach the
# desktop they run on.
#   isolation_check.sh test-program [more test programs...]
set -eu
key="org.gnome.desktop.background"
before="file:///usr/share/backgrounds/quorvane-isolation-check.png"
gsettings set "$key" picture-uri "'$before'"
gsettings set "$key" picture-uri-dark "'$before'"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for program in "$@"; do
    # Quiet when it passes; a failing program's report is shown.
    "$program" >"$log" 2>&1 || { cat "$log"; exit 1; }
done
status=0
for name in picture-uri picture-uri-dark; do
    after=$(gsettings get "$key" "$name")
    if [ "$after" != "'$before'" ]; then
        echo "$name changed by the tests: $after" >&2
        status=1
    fi
done
[ "$status" = 0 ] && echo "the desktop's wallpaper is unchanged"
exit "$status"
