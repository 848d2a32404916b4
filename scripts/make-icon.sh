#!/bin/sh
# Makes the programs' icons in every size Windows asks for (16 to 256 pixels) from their drawings
# with ImageMagick: src/ui/TRV2KFlash.ico, the programmer's, and src/check_ui/TRV2KCheck.ico, the
# check's. Each has a small drawing (<name>-small.svg) for 16 to 24 pixels, where the chip must
# still show, and a drawing for the rest (<name>.svg). Run it after changing a drawing and commit
# them all: the build takes the .ico files as committed, so that it needs no drawing tools and gives
# the same bytes on every machine.
set -eu
cd "$(dirname "$0")/.."
WORK=build/icon
for icon in src/ui/TRV2KFlash src/check_ui/TRV2KCheck; do
  rm -rf "$WORK"
  mkdir -p "$WORK"
  pictures=""
  for size in 16 20 24; do
    # Drawn without smoothing at twelve times the size and averaged down, so that at 16 pixels each
    # unit of the 16-unit grid is one sharp pixel.
    convert +antialias -background none -density "$((72 * size))" "$icon-small.svg" \
      -filter box -resize "${size}x${size}" -depth 8 -strip "$WORK/$size.png"
    pictures="$pictures $WORK/$size.png"
  done
  for size in 32 40 48 64 256; do
    # Drawn at each size from the drawing, not scaled down from a large picture: the density makes
    # the 32-unit grid `size` pixels wide.
    convert -background none -density "$((72 * size / 32))" "$icon.svg" \
      -resize "${size}x${size}" -depth 8 -strip "$WORK/$size.png"
    pictures="$pictures $WORK/$size.png"
  done
  # shellcheck disable=SC2086 # one argument per picture
  convert $pictures -depth 8 -define png:exclude-chunks=date,time "$icon.ico"
  identify "$icon.ico"
done
