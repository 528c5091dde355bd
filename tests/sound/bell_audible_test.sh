#!/usr/bin/env bash
# The chair is told when the bell plays but would not be heard, on a private
# PulseAudio with a null sink: audible at the first start (nothing said);
# then, each at a new start and undone during the session, the sink muted,
# the bell's own stream muted, and the sink's volume at 0 %: each told within
# two seconds, and the all-clear once it is undone. Nothing here changes the
# volume or the mute but the test itself.
set -euo pipefail
probe=$1
here=$(dirname "$0")
. "$here/pulse_session.sh"
dir=$pulse_dir
start_pulse
printf 'pcm.!default { type pulse }\n' >"$dir/alsa.conf"
export ALSA_CONFIG_PATH="$dir/alsa.conf" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="bellwarden.sound.debug=true"

mkfifo "$dir/commands"
"$probe" - <"$dir/commands" >"$dir/requests" 2>"$dir/stderr" &
background_pids+=($!)
exec 3>"$dir/commands"
say() { echo "$*" >&3; }
fail() { echo "$1"; cat "$dir/stderr"; exit 1; }
count() { grep -c "$1" "$dir/stderr" || true; }
# Waits up to $3 s for the count of $1 on stderr to reach $2.
await() {
    for _ in $(seq $(($3 * 10))); do
        [ "$(count "$1")" -ge "$2" ] && return 0
        sleep 0.1
    done
    fail "not told within $3 s: $1 (case: $4)"
}
warned="The bell will not be heard"
cleared="The bell can be heard again"
bell_stream() { pactl list short sink-inputs | awk '{print $1; exit}'; }

say ready 5 # a bell is near: the output stays open through the session
say session 1
sleep 2.5
[ "$(count "$warned")" = 0 ] || fail "an audible output was reported unheard"
say session 0

n=0
for case in sink-mute stream-mute volume; do
    case $case in
        sink-mute) pactl set-sink-mute test 1 ;;
        volume) pactl set-sink-volume test 0% ;;
    esac
    say session 1
    if [ "$case" = stream-mute ]; then
        for _ in $(seq 20); do [ -n "$(bell_stream)" ] && break; sleep 0.1; done
        pactl set-sink-input-mute "$(bell_stream)" 1
    fi
    n=$((n + 1))
    await "$warned" "$n" 2 "$case"
    case $case in
        sink-mute) pactl set-sink-mute test 0 ;;
        stream-mute) pactl set-sink-input-mute "$(bell_stream)" 0 ;;
        volume) pactl set-sink-volume test 100% ;;
    esac
    await "$cleared" "$n" 2 "$case undone"
    say session 0
done
grep -q "'Null Output' is muted" "$dir/stderr" || fail "the device was not named"
say quit 0
cat "$dir/stderr"
echo "audibility ok"
