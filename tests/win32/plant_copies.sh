#!/bin/sh
# Copies of a good 32-bit library $1 in the folder $2, unusable as broken installations leave them:
# one marked 64-bit in its header (the build has no 64-bit compiler: the machine, 0x8664, follows
# the PE header's signature); copies cut short at 1 KB (inside its headers), 3,000 bytes and half
# its length; and a whole one whose DOS and PE headers, which say 32-bit, are all that is good.
set -eu
size=$(stat -c %s "$1")
pe_header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
headers=$((pe_header + 24 + $(od -An -tu2 -j$((pe_header + 20)) -N2 "$1" | tr -d ' ')))
cp "$1" "$2/qb_64_bit.DLL"
printf '\144\206' | dd of="$2/qb_64_bit.DLL" bs=1 conv=notrunc status=none seek=$((pe_header + 4))
head -c 1024 "$1" >"$2/qb_cut_1k.DLL"
head -c 3000 "$1" >"$2/qb_cut_3000.DLL"
head -c $((size / 2)) "$1" >"$2/qb_cut_half.DLL"
{ head -c "$headers" "$1" && yes damaged | tr -d '\n' | head -c $((size - headers)); } >"$2/qb_damaged_body.DLL"
