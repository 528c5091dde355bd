#!/usr/bin/env bash
# What a user sees when the machine lacks something: a missing package for a
# user who is neither root nor able to use sudo, and no graphical session.
# Each must be one clear sentence, not a shell or Qt failure.
set -euo pipefail
program=$1
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"

# A package this release lacks is named alone, not with every missing one.
unknown=$(. "$source_dir/scripts/packages.sh"; unavailable_packages bash bellwarden-no-such-package)
[ "$unknown" = bellwarden-no-such-package ] || { echo "unavailable packages: '$unknown'"; exit 1; }

rc=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1) || rc=$?
[ "$rc" -eq 1 ] || { echo "rc $rc without a display: $out"; exit 1; }
[ "$out" = "bellwarden: no graphical session found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." ] ||
    { echo "unclear message without a display: $out"; exit 1; }

# Switching to an unprivileged user takes root.
[ "$(id -u)" -eq 0 ] || { echo "skipped the missing-package message: it needs root"; exit 77; }
# A copy the unprivileged user can read wherever the checkout lives (/root is not).
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$source_dir/scripts/packages.sh" "$copy/"
chmod -R a+rX "$copy"
out=$(setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/usr/bin:/bin HOME=/tmp \
    bash -c ". '$copy/packages.sh'; ensure_packages bellwarden-no-such-package" 2>&1 </dev/null) && {
    echo "a missing package went unnoticed: $out"; exit 1; }
echo "$out" | grep -q "su -c 'apt-get update && apt-get install bellwarden-no-such-package'" ||
    { echo "no install command given: $out"; exit 1; }
echo "$out" | grep -q "command not found" && { echo "bare shell error: $out"; exit 1; }

echo "setup messages ok"
