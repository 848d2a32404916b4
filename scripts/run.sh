#!/bin/sh
# `make run`: the programmer on the simulated adapter, after `make windows`.
# With a reachable display it opens the window there, on a simulated flash in build/demo/.
# Without one it programs a sample ROM image through the real window on a private X server,
# saves screenshots to build/demo/ and checks that the simulated flash then holds the image.
# `make run-check WIRING=...` (arguments "check <wiring>"): the adapter and chip check on the
# simulated adapter wired to the chip, to a loopback plug or to nothing, see below.
# `make guide-screenshots` (argument "guide"): the operator's guide's pictures, see below.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/scripts/wine_session.sh"

SAMPLE=build/sample.ROM
DEMO=build/demo
SHOTS=build/guide-screenshots
IMAGES=docs/images

for needed in build/windows/TRV2KFlash.exe build/windows/TRV2KCheck.exe build/windows/QBLINK.DLL \
  build/windows/demo.exe build/windows/guide_pictures.exe build/windows/check_demo.exe; do
  if [ ! -f "$needed" ]; then
    echo "$needed is missing: run 'make windows' first" >&2
    exit 1
  fi
done

# Wine on a private X server, in the prefix $WINEPREFIX, ended when this script ends.
start_private_session() {
  trap 'stop_wine_session' EXIT
  trap 'exit 130' INT TERM
  ensure_wine_prefix headless || exit 1
  wineserver -k 2>/dev/null || true
  start_xvfb || exit 1
}

# The guide's pictures of the real window in each state, written to docs/images/ as PNG files
# cropped to the windows on the (black) screen, without time stamps: taken again, they come out
# the same, byte for byte. Commit them with the guide.
take_guide_pictures() {
  # A prefix of its own, so the ROM file stands at the same Windows path on every machine.
  export WINEPREFIX="$ROOT/build/wineprefix-guide"
  start_private_session
  # A text cursor that does not blink is in every picture that shows it, however late it is taken.
  grep -q '"CursorBlinkRate"="-1"' "$WINEPREFIX/user.reg" ||
    wine reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f >/dev/null 2>&1 || exit 1
  rm -rf "$SHOTS"
  mkdir -p "$SHOTS" "$IMAGES"
  timeout -k 10 300 wine build/windows/guide_pictures.exe build/windows \
    'C:\Firmware\TRV2K-3B.ROM' "$SHOTS" </dev/null 2>"$SHOTS/wine-stderr.log" || {
    echo "taking the pictures failed; see $SHOTS/wine-stderr.log" >&2
    exit 1
  }
  for bmp in "$SHOTS"/*.bmp; do
    png="$IMAGES/$(basename "${bmp%.bmp}").png"
    convert "$bmp" -trim +repage -strip -define png:exclude-chunks=date,time "$png" || exit 1
    echo "$png"
  done
}

# The check with the stand-in wired as `$1` says (QBSIM_WIRING). On a display it opens the window
# on the simulated flash that `make run` programs, so that "Save flash..." and "Compare with
# file..." have something to read. Without one it runs one check through the window on a private X
# server, prints the report and saves a screenshot as build/demo/check-<wiring>.png.
run_check() {
  case $1 in
    chip | loopback | open) ;;
    *)
      echo "WIRING must be chip, loopback or open, not '$1'" >&2
      exit 2
      ;;
  esac
  export QBSIM_WIRING="$1"
  mkdir -p "$DEMO"
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="$ROOT/build/wineprefix-desktop"
    ensure_wine_prefix || exit 1
    echo "Opening the check on $DISPLAY, the simulated adapter wired to: $1"
    echo "Simulated flash: $DEMO/flash.bin (what 'make run' programmed there, if it ran)"
    (cd build && QBSIM_FLASH="$ROOT/$DEMO/flash.bin" wine "$ROOT/build/windows/TRV2KCheck.exe")
    exit 0
  fi
  echo "No display: one check through the window on a private X server, wired to: $1"
  start_private_session
  rm -f "$DEMO/check.bmp" "$DEMO/check-$1.png"
  QBSIM_FLASH="$ROOT/$DEMO/flash.bin" timeout -k 10 120 wine build/windows/check_demo.exe \
    build/windows "$DEMO" </dev/null >"$DEMO/check.log" 2>"$DEMO/check-wine-stderr.log"
  status=$?
  tr -d '\r' <"$DEMO/check.log"
  [ -f "$DEMO/check.bmp" ] && convert "$DEMO/check.bmp" "$DEMO/check-$1.png" && rm -f "$DEMO/check.bmp" &&
    echo "Screenshot: $DEMO/check-$1.png"
  exit "$status"
}

if [ "${1:-}" = guide ]; then
  take_guide_pictures
  exit 0
fi
if [ "${1:-}" = check ]; then
  run_check "${2:-chip}"
fi

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
start_private_session
rm -f "$DEMO"/*.png "$DEMO"/*.bmp "$DEMO/flash.bin" "$DEMO/qbsim.log"
timeout -k 10 300 wine build/windows/demo.exe build/windows "$SAMPLE" "$DEMO" \
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
