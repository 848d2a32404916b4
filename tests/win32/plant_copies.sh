#!/bin/sh
# Copies of a good 32-bit library `library`, made unusable in `folder` as a broken installation
# leaves them, for the driver library's reports: one marked 64-bit in its header (the build has no
# 64-bit compiler); copies cut short as a copy that did not finish leaves them, at 1 KB (inside its
# headers), at 3,000 bytes and at half its length; and a whole one whose DOS and PE headers, which
# say 32-bit, are good and all after them damaged.
set -eu
library=$1 folder=$2
size=$(stat -c %s "$library")
pe_header=$(od -An -tu4 -j60 -N4 "$library" | tr -d ' ')
optional_header_size=$(od -An -tu2 -j$((pe_header + 20)) -N2 "$library" | tr -d ' ')

# The machine, 0x8664 for x86-64, is the first field after the PE header's 4-byte signature.
cp "$library" "$folder/qb_64_bit.DLL"
printf '\144\206' | dd of="$folder/qb_64_bit.DLL" bs=1 conv=notrunc status=none seek=$((pe_header + 4))

head -c 1024 "$library" >"$folder/qb_cut_1k.DLL"
head -c 3000 "$library" >"$folder/qb_cut_3000.DLL"
head -c $((size / 2)) "$library" >"$folder/qb_cut_half.DLL"

headers=$((pe_header + 24 + optional_header_size))
{
  head -c "$headers" "$library"
  yes damaged | tr -d '\n' | head -c $((size - headers))
} >"$folder/qb_damaged_body.DLL"
