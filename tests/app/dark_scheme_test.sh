#!/usr/bin/env bash
# Under a dark desktop scheme the window face follows the scheme, while the
# digits on the ready band stay dark enough to read. Keeps the screenshot.
set -euo pipefail
program=$1
shot=$2
mkdir -p "$(dirname "$shot")"
. "$(dirname "$0")/xvfb_session.sh"
start_xvfb 1600x1000x24

QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark "$program" >"$work_dir/out.log" 2>&1 &
background_pids+=($!)
wid=$(wait_window "Bellwarden coded by") || { echo "no window"; cat "$work_dir/out.log"; exit 1; }
xdotool windowsize "$wid" 630 560
shoot_until "$wid" "$shot" 462 80 "0,255,255" || { echo "ready band is not cyan"; exit 1; }

brightness() { convert "$1" -crop "$2" -colorspace Gray -format "%[fx:int(255*mean)]" info:; }
# Proof that the dark scheme is in effect: the face below the band is dark.
face=$(brightness "$shot" 20x10+480+290)
[ "$face" -lt 100 ] || { echo "window face brightness $face: the dark scheme did not load"; exit 1; }
[ "$(pixel "$shot" 462 80)" = "0,255,255" ] || { echo "ready band is not cyan"; exit 1; }

# The minutes readout "15" on the band: its strokes are near black.
dark=$(convert "$shot" -crop 228x180+6+82 -colorspace Gray -threshold 25% -negate \
    -format "%[fx:int(mean*w*h)]" info:)
[ "$dark" -gt 2000 ] || { echo "only $dark dark pixels in the digits: unreadable on the band"; exit 1; }
echo "dark scheme ok: face $face, $dark dark digit pixels"
