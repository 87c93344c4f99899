#!/bin/sh
# Runs a test program on a private D-Bus session bus that activates no
# service (so no portal of the machine answers), with HOME, runtime and
# cache folders made for the run and removed after it, and no display.
#
#   private_bus.sh program [arguments...]
set -eu

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-bus.XXXXXX")
# rm does not follow links: nothing outside the folder goes with it.
trap 'rm -rf --one-file-system "$tmp"' EXIT INT TERM
mkdir -p "$tmp/home" "$tmp/runtime" "$tmp/cache" "$tmp/config"
chmod 700 "$tmp/runtime"
cat >"$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$tmp/runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export HOME="$tmp/home"
export XDG_RUNTIME_DIR="$tmp/runtime"
export XDG_CACHE_HOME="$tmp/cache"
export XDG_CONFIG_HOME="$tmp/config"
export QT_QPA_PLATFORM=offscreen
# Tests that own well-known names check for it.
export QUORVANE_PRIVATE_BUS=1

status=0
dbus-run-session --config-file="$tmp/bus.conf" -- "$@" || status=$?
exit "$status"
