# Helpers for tests that run the real program: a private X server and
# runtime directory, and clean-up of exactly the processes started here.
# Sourced; sets DISPLAY and XDG_RUNTIME_DIR.

started_pids=()
work_dir=$(mktemp -d)
cleanup() {
    for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work_dir"
}
trap cleanup EXIT

start_xvfb() {
    local geometry=${1:-1600x1000x24} n
    for n in $(seq $((200 + RANDOM % 300)) 999); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "$geometry" -noreset -nolisten tcp >"$work_dir/xvfb.log" 2>&1 &
    started_pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start"; cat "$work_dir/xvfb.log"; exit 1; }
    export XDG_RUNTIME_DIR="$work_dir/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# Waits for a mapped window whose title matches $1 and prints its id.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Colour of one pixel of a PNG as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
