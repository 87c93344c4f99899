#!/bin/sh
# Runs a test program as if in a GNOME session of its own: a private D-Bus
# session bus, GSettings on dconf, and settings, runtime and data folders made
# for the run and removed after it, so the user's own settings are never touched.
#
#   dconf_session.sh [--no-schemas] program [arguments...]
#
# --no-schemas hides every installed GSettings schema from the program.
set -eu

no_schemas=0
if [ "${1:-}" = --no-schemas ]; then
    no_schemas=1
    shift
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-dconf.XXXXXX")
# rm does not follow links: nothing outside the folder goes with it.
trap 'rm -rf --one-file-system "$tmp"' EXIT INT TERM
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime" "$tmp/data" "$tmp/cache"
chmod 700 "$tmp/runtime"

unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS GSETTINGS_SCHEMA_DIR
export HOME="$tmp/home"
export GSETTINGS_BACKEND=dconf
export XDG_CURRENT_DESKTOP=GNOME
export XDG_CONFIG_HOME="$tmp/config"
export XDG_RUNTIME_DIR="$tmp/runtime"
export XDG_CACHE_HOME="$tmp/cache"
export XDG_DATA_HOME="$tmp/data"
if [ "$no_schemas" = 1 ]; then
    export XDG_DATA_DIRS="$tmp/data"
fi

status=0
dbus-run-session -- "$@" || status=$?
exit "$status"
