#!/bin/sh
# `make run`: the programmer on the simulated adapter, after `make windows`.
# With a reachable display it opens the window there, on a simulated flash in build/demo/.
# Without one it programs a sample ROM image through the real window on a private X server,
# saves screenshots to build/demo/ and checks that the simulated flash then holds the image.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/tests/e2e/wine_session.sh"

SAMPLE=build/sample.ROM
DEMO=build/demo

for needed in build/windows/TRV2KFlash.exe build/windows/QBLINK.DLL build/windows/e2e_driver.exe; do
  if [ ! -f "$needed" ]; then
    echo "$needed is missing: run 'make windows' first" >&2
    exit 1
  fi
done

# 1,024 text lines of 64 bytes, each naming the flash address it lands at: easy to recognise in a
# hex dump of the simulated flash.
awk 'BEGIN {
  for (line = 0; line < 1024; line++)
    printf "%-63.63s\n", sprintf("TRV2K-3B sample ROM - line %4d - flash address 0x%04X", line, line * 64)
}' >"$SAMPLE"
if [ "$(wc -c <"$SAMPLE")" -ne 65536 ]; then
  echo "could not make the 65,536-byte sample image $SAMPLE" >&2
  exit 1
fi
mkdir -p "$DEMO"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A prefix of its own, with the desktop's window manager drawing the title bar.
  export WINEPREFIX="$ROOT/build/wineprefix-desktop"
  ensure_wine_prefix || exit 1
  echo "Opening the programmer on $DISPLAY."
  echo "Simulated adapter: \"QB USB Serial Adapter\"; simulated flash: $DEMO/flash.bin"
  echo "Sample image: $SAMPLE (the file dialog opens in build/)"
  rm -f "$DEMO/flash.bin"  # an erased chip each time
  (cd build && QBSIM_FLASH="$ROOT/$DEMO/flash.bin" wine "$ROOT/build/windows/TRV2KFlash.exe")
  if [ -f "$DEMO/flash.bin" ] && cmp -s "$SAMPLE" "$DEMO/flash.bin"; then
    echo "The simulated flash now holds $SAMPLE."
  fi
  exit 0
fi

echo "No display: programming $SAMPLE through the window on a private X server."
trap 'stop_wine_session' EXIT
trap 'exit 130' INT TERM
ensure_wine_prefix headless || exit 1
wineserver -k 2>/dev/null || true
start_xvfb || exit 1
rm -f "$DEMO"/*.png "$DEMO"/*.bmp "$DEMO/flash.bin" "$DEMO/qbsim.log"
timeout -k 10 300 wine build/windows/e2e_driver.exe demo build/windows "$SAMPLE" "$DEMO" \
  </dev/null 2>"$DEMO/wine-stderr.log"
status=$?
convert_screenshots "$DEMO"
echo "Screenshots: $(ls "$DEMO"/*.png 2>/dev/null | tr '\n' ' ')"
if [ "$status" -eq 0 ] && cmp -s "$SAMPLE" "$DEMO/flash.bin"; then
  echo "RESULT: OK - the simulated flash $DEMO/flash.bin equals $SAMPLE"
  exit 0
fi
echo "RESULT: FAILED - the simulated flash $DEMO/flash.bin does not equal $SAMPLE"
exit 1
