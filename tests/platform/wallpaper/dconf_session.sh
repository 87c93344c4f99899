#!/bin/sh
# Runs a test program as if in a desktop session of its own: a private D-Bus
# session bus (which starts xfconfd when asked), GSettings on dconf, and home,
# settings, runtime, data, state and cache folders made for the run and
# removed after it, so the user's own settings and desktop are never touched.
#
#   dconf_session.sh [--no-schemas] [--xvfb] [--sway] program [arguments...]
#
# --no-schemas  hides every installed GSettings schema and D-Bus service.
# --xvfb        starts a private X server (Xvfb) and sets DISPLAY to it.
# --sway        starts a headless sway and sets SWAYSOCK to it; when it cannot
#               start, QUORVANE_TEST_NO_SWAY tells why. Its backgrounds
#               fail to start while the file QUORVANE_TEST_SWAYBG_FAILS
#               names exists.
set -eu

no_schemas=0
xvfb=0
sway=0
while :; do
    case "${1:-}" in
    --no-schemas) no_schemas=1 ;;
    --xvfb) xvfb=1 ;;
    --sway) sway=1 ;;
    *) break ;;
    esac
    shift
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-dconf.XXXXXX")
pids=""
cleanup() {
    for pid in $pids; do
        kill "$pid" 2>/dev/null || true
    done
    # rm does not follow links: nothing outside the folder goes with it.
    rm -rf --one-file-system "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime" "$tmp/data" "$tmp/cache" "$tmp/state"
chmod 700 "$tmp/runtime"

unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS GSETTINGS_SCHEMA_DIR SWAYSOCK I3SOCK \
    DESKTOP_SESSION XDG_SESSION_TYPE
export HOME="$tmp/home"
export GSETTINGS_BACKEND=dconf
export XDG_CURRENT_DESKTOP=GNOME
export XDG_CONFIG_HOME="$tmp/config"
export XDG_RUNTIME_DIR="$tmp/runtime"
export XDG_CACHE_HOME="$tmp/cache"
export XDG_DATA_HOME="$tmp/data"
export XDG_STATE_HOME="$tmp/state"
export XDG_CONFIG_DIRS=/etc/xdg
if [ "$no_schemas" = 1 ]; then
    export XDG_DATA_DIRS="$tmp/data"
fi

if [ "$xvfb" = 1 ]; then
    # Xvfb picks a free display itself and writes its number.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$tmp/display" \
        >"$tmp/xvfb.log" 2>&1 &
    pids="$pids $!"
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.05
    done
    [ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$tmp/display")"
fi

if [ "$sway" = 1 ]; then
    if ! command -v sway >/dev/null || ! command -v swaybg >/dev/null; then
        export QUORVANE_TEST_NO_SWAY="sway and swaybg are not installed (Debian packages sway, swaybg)"
    else
        # sway refuses to run as root: then it runs as nobody, in a runtime
        # folder of its own that the test (root) can still reach.
        chmod 711 "$tmp"
        mkdir -p "$tmp/sway-runtime"
        chmod 700 "$tmp/sway-runtime"
        # sway starts swaybg through this command, which fails while the
        # test's flag file exists (its name is not swaybg until it is one).
        export QUORVANE_TEST_SWAYBG_FAILS="$tmp/swaybg-fails"
        cat >"$tmp/bg-command" <<EOF
#!/bin/sh
[ -e "$QUORVANE_TEST_SWAYBG_FAILS" ] && exit 1
exec swaybg "\$@"
EOF
        chmod 755 "$tmp/bg-command"
        printf 'output HEADLESS-1 resolution 800x600\nswaybg_command %s\n' "$tmp/bg-command" \
            >"$tmp/sway.conf"
        chmod 644 "$tmp/sway.conf"
        as_user=""
        if [ "$(id -u)" = 0 ]; then
            chown 65534:65534 "$tmp/sway-runtime"
            as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
        fi
        env -u DBUS_SESSION_BUS_ADDRESS HOME="$tmp/sway-runtime" XDG_RUNTIME_DIR="$tmp/sway-runtime" \
            WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
            $as_user sway -c "$tmp/sway.conf" >"$tmp/sway.log" 2>&1 &
        pids="$pids $!"
        for _ in $(seq 200); do
            for s in "$tmp"/sway-runtime/sway-ipc.*.sock; do
                [ -S "$s" ] && export SWAYSOCK="$s"
            done
            [ -n "${SWAYSOCK:-}" ] && break
            sleep 0.05
        done
        if [ -z "${SWAYSOCK:-}" ]; then
            export QUORVANE_TEST_NO_SWAY="headless sway did not start: $(tail -n1 "$tmp/sway.log")"
        fi
    fi
fi

bus_config=""
if [ "$no_schemas" = 1 ]; then
    # A session bus that starts no installed service (the standard one always
    # reads /usr/share/dbus-1/services).
    mkdir -p "$tmp/data/dbus-1/services"
    cat >"$tmp/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=$tmp/runtime</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$tmp/data/dbus-1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    bus_config="--config-file=$tmp/bus.conf"
fi

# The verdict is the test program's own: the session's teardown (a settings service
# losing its bus name as the bus goes) must not turn a passed run into a failure.
status=0
dbus-run-session $bus_config -- sh -c '"$@"; echo $? >"$0"' "$tmp/status" "$@" || status=$?
if [ -s "$tmp/status" ]; then
    status=$(cat "$tmp/status")
fi
exit "$status"
