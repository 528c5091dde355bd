#!/usr/bin/env bash
# Compiles the Windows version record with llvm-rc and checks the strings it carries.
set -euo pipefail
rc_file=$1
rc=$(command -v llvm-rc)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# llvm-rc reads any argument that starts with "/" as a Windows-style option, so an
# absolute path such as /usr/... or /data/... is taken for /U or /D. Pass both
# files relative to the directory they live in.
cp "$rc_file" "$out/bellwarden.rc"
# It has nothing to preprocess, and newer llvm-rc wants clang for that.
(cd "$out" && "$rc" /no-preprocess /FO bellwarden.res bellwarden.rc)
hex=$(od -An -tx1 -v "$out/bellwarden.res" | tr -d ' \n')
# Strings are stored as UTF-16LE; look for each one.
for s in "1.00" "bellwarden" "bellwarden.exe" "041104B0" "OriginalFilename" "ProductVersion"; do
    pattern=$(printf '%s' "$s" | iconv -t UTF-16LE | od -An -tx1 -v | tr -d ' \n')
    grep -q "$pattern" <<<"$hex" || { echo "missing string: $s"; exit 1; }
done
# The icon group holds the three images: 32x32 two-colour, 32x32 and 16x16 sixteen-colour.
grep -q "0000010003002020" <<<"$hex" || { echo "icon group with three images missing"; exit 1; }
# FILEVERSION 1.0.0.0 as two 32-bit words: 0x00010000, 0x00000000.
grep -q 'bd04effe00000100000001000000000000000100' <<<"$hex" \
    || { echo "fixed file info does not say 1.0.0.0"; exit 1; }
echo "version record ok"
