#!/usr/bin/env bash
# Builds the Debian package as a user's install does (a release build of its
# own, signed by whoever builds it), checks its metadata and contents, has
# lintian check it, validates its desktop entry and AppStream file, checks that
# its dependencies can be met here, and starts the packaged program from the
# desktop entry's Exec line under Xvfb.
set -euo pipefail
source_dir=$1
here=$(dirname "$0")
. "$here/xvfb_session.sh"
build="$work_dir/build"
DEBFULLNAME="Package Test" DEBEMAIL="package-test@example.org" \
    cmake -S "$source_dir" -B "$build" -DBELLWARDEN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
(cd "$build" && cpack -G DEB -B "$work_dir/pkg" >/dev/null)
deb=$(ls "$work_dir"/pkg/bellwarden_*.deb)
lintian --pedantic --fail-on error "$deb" || { echo "lintian finds errors"; exit 1; }
info=$(dpkg-deb --info "$deb")
echo "$info" | grep -q '^ Maintainer: Package Test <package-test@example.org>$' || { echo "$info"; exit 1; }
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
         ./usr/share/icons/hicolor/scalable/apps/org.bellwarden.bellwarden.svg \
         ./usr/share/icons/hicolor/16x16/apps/org.bellwarden.bellwarden.png \
         ./usr/share/icons/hicolor/256x256/apps/org.bellwarden.bellwarden.png \
         ./usr/share/doc/bellwarden/copyright ./usr/share/doc/bellwarden/changelog.gz \
         ./usr/share/man/man1/bellwarden.1.gz; do
    echo "$contents" | grep -q " $f\$" || { echo "missing $f"; exit 1; }
done

root="$work_dir/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.bellwarden.bellwarden.desktop"
# The project has no homepage yet: that is the one finding allowed.
metainfo="$root/usr/share/metainfo/org.bellwarden.bellwarden.metainfo.xml"
if ! report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1); then
    others=$(grep -E '^[EWIP]: ' <<<"$report" | grep -v 'url-homepage-missing' || true)
    grep -q 'url-homepage-missing' <<<"$report" && [ -z "$others" ] || { echo "$report"; exit 1; }
fi
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    "$root/usr/share/doc/bellwarden/copyright" || { echo "copyright file is not machine-readable"; exit 1; }
apt-get install --simulate -qq "$deb" >/dev/null || { echo "dependencies cannot be met"; exit 1; }

exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/org.bellwarden.bellwarden.desktop")
start_xvfb 1280x800x24
PATH="$root/usr/bin:$PATH" $exec_line >"$work_dir/out.log" 2>&1 &
background_pids+=($!)
wait_window "Bellwarden coded by" >/dev/null || { echo "packaged program showed no window"; cat "$work_dir/out.log"; exit 1; }
echo "package ok: $(basename "$deb")"
