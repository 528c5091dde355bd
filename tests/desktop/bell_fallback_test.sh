#!/usr/bin/env bash
# With no sound server the bell player says so once and falls back to the
# system beep, without hanging.
set -euo pipefail
probe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_RUNTIME_DIR="$dir" HOME="$dir" PULSE_SERVER="unix:$dir/no-such-socket"
start=$(date +%s)
QT_QPA_PLATFORM=offscreen timeout 30 "$probe" --silence 0.2 1,2 >"$dir/out" 2>"$dir/err"
elapsed=$(( $(date +%s) - start ))
cat "$dir/err"
grep -q "system-beep 1" "$dir/out" || { echo "did not fall back"; exit 1; }
[ "$(grep -c 'bells use the system beep' "$dir/err")" = 1 ] || { echo "fallback not reported exactly once"; exit 1; }
[ "$(grep -c '^request' "$dir/out")" = 3 ] || { echo "requests lost"; exit 1; }
[ "$elapsed" -le 12 ] || { echo "took ${elapsed}s"; exit 1; }
echo "fallback ok"
