#!/bin/sh
# Prints the version of the source tree, the one name the zip, the program's version resource and
# the guide share. From the newest tag vMAJOR.MINOR.PATCH that HEAD descends from, as git describe
# gives it: "1.2.0" on the tagged commit, "1.2.0-3-g0123456789" three commits later. Without such
# a tag: "0.0.0-<commits>-g<hash>", the same form counted from the first commit. Outside a git
# checkout: "0.0.0". Uncommitted changes to tracked files add "-dirty".
cd "$(dirname "$0")/.." || exit 1
# A tree exported from git has no history of its own, even when it lies inside another checkout.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" != "$(pwd -P)" ] ||
  ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
  echo 0.0.0
  exit 0
fi
version=$(git describe --tags --match 'v[0-9]*.[0-9]*.[0-9]*' --abbrev=10 --dirty 2>/dev/null) || {
  version="v0.0.0-$(git rev-list --count HEAD)-g$(git rev-parse --short=10 HEAD)"
  git update-index -q --refresh >/dev/null 2>&1
  git diff-index --quiet HEAD -- 2>/dev/null || version="$version-dirty"
}
echo "${version#v}"
