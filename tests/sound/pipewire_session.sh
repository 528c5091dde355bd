# A private, headless PipeWire (pipewire, wireplumber and pipewire-pulse as
# plain processes) with a null sink named "test" as the default sink, under
# its own runtime directory; stopped on exit. Sourced by scripts that run
# under dbus-run-session, as wireplumber needs a session bus. A PipeWire that
# is not installed or does not come up is the machine's, not the bell's: the
# script is then reported as skipped (77), with the servers' logs.

. "$(dirname "${BASH_SOURCE[0]}")/../common/background.sh"
pipewire_dir=$(mktemp -d)
background_dirs+=("$pipewire_dir")
export XDG_RUNTIME_DIR="$pipewire_dir/runtime" HOME="$pipewire_dir/home"
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$HOME"
# Servers and clients find each other through XDG_RUNTIME_DIR alone, never
# through a desktop's variables that lead to its own servers.
unset PULSE_SERVER PULSE_RUNTIME_PATH PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR

# The servers read their settings and keep their state in the session's own
# folders, not a user's, so that a desktop's tuning does not reach them and
# the "test" default does not reach the desktop.
pipewire_env=(env XDG_CONFIG_HOME="$pipewire_dir/config" XDG_STATE_HOME="$pipewire_dir/state")

# wireplumber's seat monitoring (for Bluetooth) watches logind's folders under
# /run/systemd, which only a machine booted with systemd has: in a container
# or a chroot wireplumber 0.4 quits as soon as it starts ("failed to start
# systemd logind monitor"), and 0.5 only says so. A headless session has no
# seat to watch. Each version reads its own format and warns about the other.
pipewire_config() {
    local config="$pipewire_dir/config/wireplumber"
    case $(wireplumber --version) in
        *"libwireplumber 0.4."*)
            mkdir -p "$config/bluetooth.lua.d"
            echo 'bluez_monitor.properties["with-logind"] = false' >"$config/bluetooth.lua.d/60-no-seat.lua"
            ;;
        *)
            mkdir -p "$config/wireplumber.conf.d"
            printf 'wireplumber.profiles = {\n  main = {\n    monitor.bluez.seat-monitoring = disabled\n  }\n}\n' \
                >"$config/wireplumber.conf.d/60-no-seat.conf"
            ;;
    esac
}

# Reports the session as skipped, with what did not come up and the logs.
pipewire_skip() {
    echo "skipped: PipeWire did not come up headless here: $1"
    local log
    for log in "$pipewire_dir"/*.log; do
        echo "== $(basename "$log")"
        cat "$log"
    done
    exit 77
}

# Waits up to ten seconds until the command $2... succeeds, while the servers
# started so far run; a server that quit is not waited for.
pipewire_wait() {
    local what=$1 name pid
    shift
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        for name in "${!pipewire_pids[@]}"; do
            pid=${pipewire_pids[$name]}
            kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; pipewire_skip "$name quit (waiting for $what)"; }
        done
        sleep 0.1
    done
    pipewire_skip "no $what after ten seconds"
}

# Starts the server $1, logging into its own file.
pipewire_start() {
    "${pipewire_env[@]}" "$1" >"$pipewire_dir/$1.log" 2>&1 &
    pipewire_pids[$1]=$!
    background_pids+=($!)
}

pipewire_default_is_test() {
    pactl info | grep -q "^Default Sink: test$"
}

# Starts the three servers and makes the null sink "test" the default. Sets
# pipewire_pid to the pipewire daemon's. wireplumber gives up at once ("Failed
# to connect to PipeWire") when the daemon has not made its socket yet, as on
# a machine's first, cold start: it and pipewire-pulse start only once the
# socket is there.
start_pipewire() {
    local tool
    for tool in pipewire wireplumber pipewire-pulse pactl; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    pipewire_config
    declare -gA pipewire_pids=()
    pipewire_start pipewire
    pipewire_pid=${pipewire_pids[pipewire]}
    pipewire_wait "pipewire socket" test -S "$XDG_RUNTIME_DIR/pipewire-0"
    pipewire_start wireplumber
    pipewire_start pipewire-pulse
    pipewire_wait "answer from pipewire-pulse" pactl info
    pactl load-module module-null-sink sink_name=test >/dev/null ||
        pipewire_skip "the null sink could not be made"
    # The sink is there for pactl once the daemon has made its node, and it is
    # the default once wireplumber, the session manager, has followed the
    # choice.
    pipewire_wait "null sink" pactl set-default-sink test
    pipewire_wait "null sink as the default" pipewire_default_is_test
    # ALSA's default leads to the same server, as on a PipeWire desktop; set
    # only now so that the servers themselves keep the machine's ALSA.
    printf 'pcm.!default { type pulse }\n' >"$pipewire_dir/alsa.conf"
    export ALSA_CONFIG_PATH="$pipewire_dir/alsa.conf"
}
