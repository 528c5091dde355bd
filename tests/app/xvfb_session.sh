# Helpers for tests that run the real program: a private X server and
# runtime directory, and clean-up of exactly the processes started here.
# Sourced; sets DISPLAY and XDG_RUNTIME_DIR.

. "$(dirname "${BASH_SOURCE[0]}")/../common/background.sh"
work_dir=$(mktemp -d)
background_dirs+=("$work_dir")

start_xvfb() {
    local geometry=${1:-1600x1000x24} n=
    # Xvfb picks a free display itself and names it on the pipe once it takes
    # connections; nothing to guess, nothing to poll.
    rm -f "$work_dir/display"
    mkfifo "$work_dir/display"
    Xvfb -displayfd 3 -screen 0 "$geometry" -noreset -nolisten tcp \
        3>"$work_dir/display" >"$work_dir/xvfb.log" 2>&1 &
    background_pids+=($!)
    read -r -t 20 n <"$work_dir/display" || true
    [ -n "$n" ] || { echo "Xvfb did not start"; cat "$work_dir/xvfb.log"; exit 1; }
    export DISPLAY=":$n"
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

# Waits up to $3 seconds for a line matching $2 in file $1.
wait_line() {
    for _ in $(seq $(($3 * 10))); do grep -q "$2" "$1" && return 0; sleep 0.1; done
    return 1
}

# Colour of one pixel of a PNG as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Screenshots window $1 into $2 until the pixel at ($3, $4) is "$5" (r,g,b),
# for five seconds at most: a paint is waited for, however long it takes.
shoot_until() {
    for _ in $(seq 50); do
        import -window "$1" "$2"
        [ "$(pixel "$2" "$3" "$4")" = "$5" ] && return 0
        sleep 0.1
    done
    return 1
}

# The window's own messages in a log (the bell's, under bellwarden.sound, say
# that there is no sound server here, as expected); Qt's log lines are not
# ours to judge.
unexpected_messages() {
    grep '^bellwarden:' "$1"
}
