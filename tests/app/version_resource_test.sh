#!/usr/bin/env bash
# Compiles the Windows version record with llvm-rc and checks the strings it carries.
set -euo pipefail
rc_file=$1
rc=$(command -v llvm-rc || command -v llvm-rc-14)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$rc" /FO "$out/bellwarden.res" "$rc_file"
# Strings are stored as UTF-16; look for each one.
for s in "1.00" "bellwarden" "bellwarden.exe" "041104B0" "OriginalFilename"; do
    if ! iconv -f UTF-16LE -t UTF-8 "$out/bellwarden.res" 2>/dev/null | tr -d '\0' | grep -aq -- "$s"; then
        echo "missing string: $s"; exit 1
    fi
done
# FILEVERSION 1.0.0.0 as two 32-bit words: 0x00010000, 0x00000000.
od -An -tx1 -v "$out/bellwarden.res" | tr -d ' \n' | grep -q 'bd04effe00000100000001000000000000000100' \
    || { echo "fixed file info does not say 1.0.0.0"; exit 1; }
echo "version record ok"
