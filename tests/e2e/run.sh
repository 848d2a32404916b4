#!/bin/sh
# The tests under Wine, on a private X server, both GoogleTest programs of the test tree:
#   sh tests/e2e/run.sh                  the end-to-end scenarios, then the Windows tests
#   sh tests/e2e/run.sh <group>...       those groups of scenarios only, e.g. window rom_access
#   sh tests/e2e/run.sh --gtest_filter=Window.FileDialog*   the scenarios the filter names
#   sh tests/e2e/run.sh --win32 [GoogleTest options]        the Windows tests only
# The scenarios (build/windows-tests/e2e_tests.exe) work the program build's TRV2KFlash.exe beside
# its stand-in QBLINK.DLL, and run in build/e2e, where each group keeps its files and each
# scenario leaves its screenshot. Each program's output goes to build/e2e/<program>.log too, and
# Wine's own messages to build/e2e/<program>-wine.log.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/scripts/wine_session.sh"

scenarios=yes windows_tests=yes
case ${1:-} in
  "") ;;
  --win32) shift && scenarios=no ;;
  *) windows_tests=no ;;
esac
for file in build/windows/TRV2KFlash.exe build/windows/TRV2KCheck.exe build/windows/QBLINK.DLL \
  build/windows-tests/e2e_tests.exe build/windows-tests/planted/QBLINK.DLL \
  build/windows-tests/win32_tests.exe; do
  if [ ! -f "$file" ]; then
    echo "$file is missing: run 'make windows windows-tests' first" >&2
    exit 1
  fi
done

# Files made immutable for the Windows tests are made writable again on every way out, so that the
# next run, or `make clean`, can remove them.
IMMUTABLE=build/e2e/immutable
release_immutable() { [ -d "$IMMUTABLE" ] && chattr -R -i "$IMMUTABLE" 2>/dev/null; }
trap 'release_immutable; stop_wine_session' EXIT
trap 'exit 130' INT TERM
ensure_wine_prefix headless || exit 1
# A Wine server left from an earlier run would still talk to that run's X server.
wineserver -k 2>/dev/null || true
start_xvfb || exit 1
release_immutable
rm -rf build/e2e
mkdir -p build/e2e

# A file and a folder that refuse writing, even to root, for the Windows tests of the flash saved
# whole (tests/win32/file_save_test.cpp), which find them through TRV_IMMUTABLE_FOLDER.
make_immutable() {
  mkdir -p "$IMMUTABLE/locked" && printf 'old' >"$IMMUTABLE/held.ROM" &&
    printf 'old' >"$IMMUTABLE/locked/old.ROM" &&
    chattr +i "$IMMUTABLE/held.ROM" "$IMMUTABLE/locked" 2>/dev/null &&
    export TRV_IMMUTABLE_FOLDER="Z:$(echo "$ROOT/$IMMUTABLE" | tr / '\\')"
}

# Runs build/windows-tests/<program>.exe under Wine in the folder `folder`, stopped after `limit`
# seconds should Wine itself hang (every wait of the tests is bounded); its exit status.
run_tests() {  # program folder limit [argument...]
  program=$1 folder=$2 limit=$3
  shift 3
  {
    (cd "$folder" && timeout -k 10 "$limit" wine "$ROOT/build/windows-tests/$program.exe" "$@" \
      </dev/null 2>"$ROOT/build/e2e/$program-wine.log")
    echo $? >"build/e2e/$program.status"
  } | tr -d '\r' | tee "build/e2e/$program.log"  # the Windows side ends its lines in CR LF
  code=$(cat "build/e2e/$program.status")
  [ "$code" -eq 124 ] && echo "$program stopped after $limit s"
  return "$code"
}

failed=""
if [ "$scenarios" = yes ]; then
  run_tests e2e_tests build/e2e 600 "$@" || failed="$failed e2e_tests"
  convert_screenshots build/e2e
fi
if [ "$windows_tests" = yes ]; then
  make_immutable || echo "note: no immutable files (chattr +i needs root); their tests are skipped"
  run_tests win32_tests . 180 "$@" || failed="$failed win32_tests"
fi
[ -z "$failed" ] || echo "failed:$failed (see build/e2e/<program>.log)"
[ -z "$failed" ]
