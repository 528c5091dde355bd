# Helpers for tests that run the real program: a private X server and
# runtime directory, and clean-up of exactly the processes started here.
# Sourced; sets DISPLAY and XDG_RUNTIME_DIR.

. "$(dirname "${BASH_SOURCE[0]}")/../common/background.sh"
work_dir=$(mktemp -d)
background_dirs+=("$work_dir")

start_xvfb() {
    local geometry=${1:-1600x1000x24} n
    for n in $(seq $((200 + RANDOM % 300)) 999); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "$geometry" -noreset -nolisten tcp >"$work_dir/xvfb.log" 2>&1 &
    background_pids+=($!)
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

# The program's own messages in a log, but for the expected note that there is
# no sound server here; Qt's log lines are not ours to judge.
unexpected_messages() {
    grep '^bellwarden:' "$1" | grep -v 'bells use the system beep'
}
