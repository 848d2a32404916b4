#!/bin/sh
# End-to-end tests: the real TRV2KFlash.exe beside the stand-in QBLINK.DLL, worked from outside by
# build/windows/e2e_driver.exe under Wine on a private X server. Screenshots go to build/e2e/.
# Then the Windows tests (build/windows-tests/win32_tests.exe, GoogleTest) on the same server.
# Arguments (optional): scenario groups to run, e.g. `sh tests/e2e/run.sh window win10`; the group
# win32 is the Windows tests, which take GoogleTest's options, e.g.
# `sh tests/e2e/run.sh win32 --gtest_filter='Form.*'`. Without a group, everything runs.
# `make e2e GROUP="window win10"` passes the groups on.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/scripts/wine_session.sh"

groups=""
gtest_options=""
windows_tests=$([ $# -eq 0 ] && echo yes || echo no)
for argument in "$@"; do
  case $argument in
    win32) windows_tests=yes ;;
    --gtest_*) windows_tests=yes gtest_options="$gtest_options $argument" ;;
    *) groups="$groups $argument" ;;
  esac
done
scenarios=$([ $# -eq 0 ] || [ -n "$groups" ] && echo yes || echo no)

needed=""
[ "$scenarios" = yes ] && needed="build/windows/TRV2KFlash.exe build/windows/QBLINK.DLL \
build/windows/e2e_driver.exe build/windows/planted/QBLINK.DLL"
[ "$windows_tests" = yes ] && needed="$needed build/windows-tests/win32_tests.exe"
for file in $needed; do
  if [ ! -f "$file" ]; then
    echo "$file is missing: run 'make windows windows-tests' first" >&2
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
status=0
if [ "$scenarios" = yes ]; then
  echo "Screenshots of every scenario's final state go to build/e2e/*.png"
  # Every wait in the driver is bounded; this is the last resort should Wine itself hang.
  {
    # Wine's own chatter (e.g. about volume labels of Z:) goes to a file, not between the verdicts.
    timeout -k 10 600 wine build/windows/e2e_driver.exe build/windows build/e2e $groups \
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
fi

# The Windows tests of the window, the platform code and the executable. Their counts come from
# GoogleTest's summary; a run that ends without one counts as one more failure.
windows_status=0
if [ "$windows_tests" = yes ]; then
  echo "Windows tests (win32_tests.exe):"
  {
    set -f  # a filter such as Form.* goes as written
    timeout -k 10 180 wine build/windows-tests/win32_tests.exe $gtest_options </dev/null \
      2>build/e2e/win32-tests-stderr.log
    echo $? >build/e2e/.windows_status
  } | tr -d '\r' | tee build/e2e/win32_tests.log  # the Windows side ends its lines in CR LF
  windows_status=$(cat build/e2e/.windows_status 2>/dev/null || echo 1)
  log=build/e2e/win32_tests.log
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log")
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:$/\1/p' "$log")
  grep -q '^\[==========\] [0-9]* tests\{0,1\} from .* ran\.' "$log" || failed=$((${failed:-0} + 1))
  echo "win32: ${passed:-0} passed, ${failed:-0} failed"
fi

# One closing line for both.
set -- $(cat build/e2e/driver.log 2>/dev/null | sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p') 0 0
total_passed=$(($1 + ${passed:-0}))
total_failed=$(($2 + ${failed:-0}))
[ "$windows_status" -ne 0 ] && [ "$total_failed" -eq 0 ] && total_failed=1
echo "total: $total_passed passed, $total_failed failed"
[ "$status" -eq 0 ] && [ "$windows_status" -eq 0 ]
