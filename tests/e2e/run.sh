#!/bin/sh
# End-to-end tests: the real TRV2KFlash.exe beside the stand-in QBLINK.DLL, worked from outside by
# build/windows/e2e_driver.exe under Wine on a private X server. Screenshots go to build/e2e/.
# Arguments (optional): scenario groups to run, e.g. `sh tests/e2e/run.sh window win10`
# (`make e2e GROUP="window win10"`).
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/scripts/wine_session.sh"

for needed in build/windows/TRV2KFlash.exe build/windows/QBLINK.DLL build/windows/e2e_driver.exe \
  build/windows/planted/QBLINK.DLL; do
  if [ ! -f "$needed" ]; then
    echo "$needed is missing: run 'make windows' first" >&2
    echo "0 passed, 1 failed"
    exit 1
  fi
done

trap 'stop_wine_session' EXIT
trap 'exit 130' INT TERM
ensure_wine_prefix headless || exit 1
# A Wine server left from an earlier run would still talk to that run's X server.
wineserver -k 2>/dev/null || true
start_xvfb || exit 1

rm -rf build/e2e
mkdir -p build/e2e
echo "Screenshots of every scenario's final state go to build/e2e/*.png"
# Every wait in the driver is bounded; this is the last resort should Wine itself hang.
{
  # Wine's own chatter (e.g. about volume labels of Z:) goes to a file, not between the verdicts.
  timeout -k 10 600 wine build/windows/e2e_driver.exe build/windows build/e2e "$@" \
    </dev/null 2>build/e2e/wine-stderr.log
  echo $? >build/e2e/.status
} | tee build/e2e/driver.log
status=$(cat build/e2e/.status 2>/dev/null || echo 1)
convert_screenshots build/e2e
if ! grep -q '^[0-9]* passed, [0-9]* failed$' build/e2e/driver.log; then
  echo "the end-to-end driver did not finish (stopped after 600 s or crashed);" \
    "see build/e2e/wine-stderr.log"
  echo "$(grep -c '^PASS ' build/e2e/driver.log) passed, $(($(grep -c '^FAIL ' build/e2e/driver.log) + 1)) failed"
  exit 1
fi

# The Windows program's own tests of its window, file and library code, when all groups ran.
ui_status=0
if [ $# -eq 0 ]; then
  echo "Windows program tests (ui_tests.exe):"
  # Console output from the Windows side ends its lines in CR LF.
  timeout -k 10 180 wine build/windows/ui_tests.exe </dev/null 2>build/e2e/ui-tests-stderr.log |
    tr -d '\r' | tee build/e2e/ui_tests.log
  grep -q '^[0-9]* passed, 0 failed$' build/e2e/ui_tests.log || ui_status=1
fi

# One closing line for both.
set -- $(cat build/e2e/driver.log build/e2e/ui_tests.log 2>/dev/null |
  sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' |
  awk '{ p += $1; f += $2 } END { print p + 0, f + 0 }')
[ "$ui_status" -ne 0 ] && [ "$2" -eq 0 ] && set -- "$1" 1
echo "total: $1 passed, $2 failed"
[ "$status" -eq 0 ] && [ "$ui_status" -eq 0 ]
