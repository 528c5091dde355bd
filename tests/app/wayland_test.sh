#!/usr/bin/env bash
# Starts the real program as a native Wayland client of a headless weston and
# checks, from the protocol the compositor received, that its window comes up
# with the desktop entry's id as its app id.
set -euo pipefail
program=$1
. "$(dirname "$0")/../common/background.sh"
dir=$(mktemp -d)
background_dirs+=("$dir")
export XDG_RUNTIME_DIR="$dir/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset DISPLAY
socket=wayland-bellwarden-$$

WAYLAND_DEBUG=server weston --backend=headless-backend.so --socket="$socket" --no-config \
    --idle-time=0 >"$dir/weston.log" 2>&1 &
background_pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { echo "weston did not start"; cat "$dir/weston.log"; exit 1; }

WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$program" >"$dir/out.log" 2>&1 &
app_pid=$!
background_pids+=($app_pid)
# Up means: a titled toplevel whose surface got a buffer after its configure.
for _ in $(seq 100); do
    grep -q 'set_title("Bellwarden coded by' "$dir/weston.log" && grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' "$dir/weston.log" && break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null || { echo "program ended"; cat "$dir/out.log"; exit 1; }
grep -q 'set_title("Bellwarden coded by' "$dir/weston.log" || { echo "no titled window"; cat "$dir/out.log"; exit 1; }
grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' "$dir/weston.log" || { echo "window never drawn"; exit 1; }
app_id=$(grep -o 'xdg_toplevel[@#][0-9]*\.set_app_id("[^"]*")' "$dir/weston.log" | tail -n 1 | sed 's/.*("\(.*\)")/\1/')
[ "$app_id" = "org.bellwarden.bellwarden" ] || { echo "app id is '$app_id'"; exit 1; }
echo "wayland ok: app id $app_id"
