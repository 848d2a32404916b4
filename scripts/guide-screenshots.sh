#!/bin/sh
# `make guide-screenshots`: the operator's guide's pictures of the real window, taken under Wine on
# the simulated adapter and written to docs/images/ as PNG files cropped to the windows on screen.
# Run after `make windows`; commit the pictures with the guide. Taken again, they come out the
# same but for the position of the progress bar.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/tests/e2e/wine_session.sh"
# A prefix of its own, so the ROM file can stand at the same Windows path on every machine.
export WINEPREFIX="$ROOT/build/wineprefix-guide"
SHOTS=build/guide-screenshots
IMAGES=docs/images

for needed in build/windows/TRV2KFlash.exe build/windows/QBLINK.DLL build/windows/e2e_driver.exe; do
  if [ ! -f "$needed" ]; then
    echo "$needed is missing: run 'make windows' first" >&2
    exit 1
  fi
done

trap 'stop_wine_session' EXIT
trap 'exit 130' INT TERM
ensure_wine_prefix headless || exit 1
wineserver -k 2>/dev/null || true
start_xvfb || exit 1
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
timeout -k 10 300 wine build/windows/e2e_driver.exe guide build/windows 'C:\Firmware\TRV2K-3B.ROM' \
  "$SHOTS" </dev/null 2>"$SHOTS/wine-stderr.log"
status=$?
stop_wine_session
if [ "$status" -ne 0 ]; then
  echo "taking the pictures failed; see $SHOTS/wine-stderr.log" >&2
  exit 1
fi

# The screen is black around the windows: trimming it leaves the windows. No time stamps in the
# files, so unchanged pictures stay byte for byte the same.
mkdir -p "$IMAGES"
for bmp in "$SHOTS"/*.bmp; do
  png="$IMAGES/$(basename "${bmp%.bmp}").png"
  convert "$bmp" -trim +repage -strip -define png:exclude-chunks=date,time "$png" || exit 1
  echo "$png"
done
