#!/bin/sh
# Makes src/ui/TRV2KFlash.ico, the program's icon in every size Windows asks for (16 to 256
# pixels), from its drawing src/ui/TRV2KFlash.svg, with ImageMagick. Run it after changing the
# drawing and commit both: the build takes the .ico as committed, so that it needs no drawing
# tools and gives the same bytes on every machine.
set -eu
cd "$(dirname "$0")/.."
WORK=build/icon
rm -rf "$WORK"
mkdir -p "$WORK"
pictures=""
for size in 16 20 24 32 40 48 64 256; do
  # Drawn at each size from the drawing, not scaled down from a large picture: the density makes
  # the 32-unit grid `size` pixels wide.
  convert -background none -density "$((72 * size / 32))" src/ui/TRV2KFlash.svg \
    -resize "${size}x${size}" -depth 8 -strip "$WORK/$size.png"
  pictures="$pictures $WORK/$size.png"
done
# shellcheck disable=SC2086 # one argument per picture
convert $pictures -depth 8 -define png:exclude-chunks=date,time src/ui/TRV2KFlash.ico
identify src/ui/TRV2KFlash.ico
