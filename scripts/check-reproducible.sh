#!/bin/sh
# `make reproducible`: builds the release twice, from two fresh clones of HEAD in two folders of
# different names and depths, and checks that the executables and the zips are byte-identical.
# Uncommitted changes are not in the clones, so this checks the last commit.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
WORK=build/reproducible
COMMIT=$(git rev-parse HEAD) || exit 1
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "note: uncommitted changes are left out; checking commit $COMMIT"

rm -rf "$WORK"
for clone in "$WORK/one" "$WORK/second/clone"; do
  mkdir -p "$(dirname "$clone")"
  git clone -q --no-checkout "$ROOT" "$clone" && git -C "$clone" checkout -q --detach "$COMMIT" || exit 1
  if ! make -C "$clone" dist >"$clone.log" 2>&1; then
    echo "make dist failed in $clone; see $clone.log" >&2
    tail -20 "$clone.log" >&2
    exit 1
  fi
done

status=0
for file in build/windows/TRV2KFlash.exe "build/dist/$(cd "$WORK/one/build/dist" && ls ./*.zip)"; do
  if cmp "$WORK/one/$file" "$WORK/second/clone/$file"; then
    echo "reproducible: $(basename "$file") $(sha256sum <"$WORK/one/$file" | sed 's/ .*//')"
  else
    echo "NOT reproducible: $file differs between $WORK/one and $WORK/second/clone" >&2
    status=1
  fi
done
exit $status
