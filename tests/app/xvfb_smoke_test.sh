#!/usr/bin/env bash
# Starts the real program under Xvfb, checks what it shows, starts a session
# by a click and keeps screenshots at each layout unit in the given folder.
# Also checks that the window carries every icon size the program claims, and
# that its class is the one the desktop entry names.
set -euo pipefail
program=$1
shots=$2
mkdir -p "$shots"
. "$(dirname "$0")/xvfb_session.sh"
start_xvfb 2600x1400x24

"$program" >"$work_dir/out.log" 2>&1 &
app_pid=$!
background_pids+=($app_pid)
wid=$(wait_window "Bellwarden coded by") || { echo "no window"; cat "$work_dir/out.log"; exit 1; }
shoot_until "$wid" "$shots/unit15-ready.png" 462 80 "0,255,255" ||
    { echo "ready band is $(pixel "$shots/unit15-ready.png" 462 80), not cyan"; exit 1; }

source_dir="$(dirname "$0")/../.."
icons=$(xprop -len 100000000 -id "$wid" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u) || true
for size in $(grep -o 'icon-[0-9]*' "$source_dir/window/resources.qrc" | cut -d- -f2); do
    echo "$icons" | grep -q "($size x $size)" || { echo "no ${size}x$size icon on the window: $icons"; exit 1; }
done
class=$(sed -n 's/^StartupWMClass=//p' "$source_dir/data/org.bellwarden.bellwarden.desktop")
xprop -id "$wid" WM_CLASS | grep -q "\"$class\"" || { echo "WM_CLASS is not $class"; exit 1; }

xdotool mousemove --window "$wid" 438 297 click 1 # Start
sleep 2.5
import -window "$wid" "$shots/unit15-counting.png"
kill -0 "$app_pid" || { echo "program ended"; exit 1; }

# One screenshot per layout unit (no window manager here, so the outer width is
# the client width), each once the band reaches as far as that unit takes it.
for width_unit in 640:20 900:25 1100:32 1400:40; do
    width=${width_unit%:*} unit=${width_unit#*:}
    xdotool windowsize "$wid" "$width" 700
    shot="$shots/width$width.png" x=$((462 * unit / 15)) y=$((80 * unit / 15))
    shoot_until "$wid" "$shot" $x $y "0,255,255" ||
        { echo "band at unit $unit is $(pixel "$shot" $x $y)"; exit 1; }
done

unexpected_messages "$work_dir/out.log" && {
    echo "program wrote to stderr:"; cat "$work_dir/out.log"; exit 1; }
echo "smoke test ok; screenshots in $shots"
