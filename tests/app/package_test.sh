#!/usr/bin/env bash
# Builds the Debian package from this build, checks its metadata and contents,
# validates its desktop entry and AppStream file, checks that its dependencies
# can be met here, and starts the packaged program from the desktop entry's
# Exec line under Xvfb.
set -euo pipefail
build_dir=$1
here=$(dirname "$0")
. "$here/xvfb_session.sh"
(cd "$build_dir" && cpack -G DEB -B "$work_dir/pkg" >/dev/null)
deb=$(ls "$work_dir"/pkg/bellwarden_*.deb)
info=$(dpkg-deb --info "$deb")
echo "$info" | grep -q '^ Package: bellwarden$' || { echo "$info"; exit 1; }
echo "$info" | grep -q '^ Version: 1.0.0.0$' || { echo "$info"; exit 1; }
for dep in libqt6widgets6 libpulse0 libqt6dbus6 libc6 qt6-qpa-plugins; do
    echo "$info" | grep '^ Depends:' | grep -q "$dep" || { echo "Depends lacks $dep"; echo "$info"; exit 1; }
done
for rec in fonts-texgyre qt6-wayland; do
    echo "$info" | grep '^ Recommends:' | grep -q $rec || { echo "Recommends lacks $rec"; exit 1; }
done

contents=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/bellwarden ./usr/share/applications/org.bellwarden.bellwarden.desktop \
         ./usr/share/metainfo/org.bellwarden.bellwarden.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/bellwarden.svg \
         ./usr/share/icons/hicolor/16x16/apps/bellwarden.png \
         ./usr/share/icons/hicolor/256x256/apps/bellwarden.png \
         ./usr/share/doc/bellwarden/copyright; do
    echo "$contents" | grep -q " $f\$" || { echo "missing $f"; exit 1; }
done

root="$work_dir/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.bellwarden.bellwarden.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.bellwarden.bellwarden.metainfo.xml" \
    || appstreamcli validate --no-net "$root/usr/share/metainfo/org.bellwarden.bellwarden.metainfo.xml"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    "$root/usr/share/doc/bellwarden/copyright" || { echo "copyright file is not machine-readable"; exit 1; }
apt-get install --simulate -qq "$deb" >/dev/null || { echo "dependencies cannot be met"; exit 1; }

exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/org.bellwarden.bellwarden.desktop")
start_xvfb 1280x800x24
PATH="$root/usr/bin:$PATH" $exec_line >"$work_dir/out.log" 2>&1 &
background_pids+=($!)
wait_window "Bellwarden coded by" >/dev/null || { echo "packaged program showed no window"; cat "$work_dir/out.log"; exit 1; }
echo "package ok: $(basename "$deb")"
