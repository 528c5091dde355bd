# Gives the calling test a private session bus, an X server and an
# accessibility bus of its own. Sourced first: it re-runs the script under
# dbus-run-session, then starts the rest.

if [ -z "${BELLWARDEN_PRIVATE_BUS:-}" ]; then
    export BELLWARDEN_PRIVATE_BUS=1
    exec dbus-run-session -- bash "$0" "$@"
fi
. "$(dirname "${BASH_SOURCE[0]}")/xvfb_session.sh"
start_xvfb 1280x800x24
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work_dir/atspi.log" 2>&1 &
background_pids+=($!)
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    sleep 0.05
done
