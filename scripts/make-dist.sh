#!/bin/sh
# `make dist`: build/dist/TRV2KFlash-<version>-win32.zip from the Windows build's programs in the
# folder given as argument 1 (TRV2KFlash.exe, the programmer, and TRV2KCheck.exe, the adapter and
# chip check), the operator's guide rendered as one self-contained HTML page, a README for the
# operator, the change list and SHA256SUMS.txt (named .txt so that a double click opens it). The
# same commit gives the same zip, byte for byte, wherever it is built: every file's time is the
# commit's, the names go in sorted, and nothing of the machine goes in.
#
# With SIGN_CERT (a PEM file: the signing certificate, then any intermediate certificates) and
# SIGN_KEY (its private key as PEM; SIGN_KEY_PASS names a file holding its pass phrase, if it has
# one), the zip's programs carry an Authenticode signature, SHA-256, signed at the commit's time:
# the same commit signed with the same key gives the same bytes again.
set -eu
# Files named relative to where make ran, before this script moves to the repository.
absolute() { case $1 in /* | '') echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
SIGN_CERT=$(absolute "${SIGN_CERT:-}")
SIGN_KEY=$(absolute "${SIGN_KEY:-}")
SIGN_KEY_PASS=$(absolute "${SIGN_KEY_PASS:-}")
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILT=$1
DIST=build/dist
# Each program, with the icon whose pictures it must carry and the description Windows names it by
# when it asks whether to run it.
PROGRAMS="TRV2KFlash:src/ui/TRV2KFlash.ico:ZORPA TRV2K-3B Flash Programmer
TRV2KCheck:src/check_ui/TRV2KCheck.ico:ZORPA TRV2K-3B Adapter and Chip Check"

VERSION=$(sh scripts/version.sh)
# The commit's time; outside git, the earliest time a zip file can hold.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
NAME="TRV2KFlash-$VERSION-win32"
STAGE="$DIST/$NAME"
ZIP="$DIST/$NAME.zip"
GUIDE=TRV2KFlash-Guide.html

if [ -n "$SIGN_CERT$SIGN_KEY" ]; then
  for file in "$SIGN_CERT" "$SIGN_KEY" ${SIGN_KEY_PASS:+"$SIGN_KEY_PASS"}; do
    if [ ! -f "$file" ]; then
      echo "signing needs SIGN_CERT and SIGN_KEY, both files; '$file' is none" >&2
      exit 1
    fi
  done
  command -v osslsigncode >/dev/null || {
    echo "osslsigncode is missing: run 'make deps'" >&2
    exit 1
  }
fi

hex() { od -An -tx1 -v | tr -d ' \n'; }
number() { od -An -tu"$3" -j"$2" -N"$3" "$1" | tr -d ' '; }
# The executable `$1` must be the one of this version, not a build left from an earlier commit,
# and carry every picture of its icon `$2` as in the icon's file: Explorer, the taskbar and the
# title bar show them. Compared as hexadecimal text, each picture (its place and size in the file's
# directory of 16-byte entries after a 6-byte header) against the executable.
check_program() {
  if ! strings -a -el "$1" | grep -qxF "$VERSION"; then
    echo "$1 does not carry the version $VERSION: rebuild it with 'make dist'" >&2
    exit 1
  fi
  program=$(hex <"$1")
  entry=0
  while [ "$entry" -lt "$(number "$2" 4 2)" ]; do
    size=$(number "$2" $((6 + 16 * entry + 8)) 4)
    offset=$(number "$2" $((6 + 16 * entry + 12)) 4)
    case $program in
      *"$(tail -c +$((offset + 1)) "$2" | head -c "$size" | hex)"*) ;;
      *)
        echo "$1 lacks picture $entry of $2: rebuild it with 'make dist'" >&2
        exit 1
        ;;
    esac
    entry=$((entry + 1))
  done
}
echo "$PROGRAMS" | while IFS=: read -r name icon description; do
  check_program "$BUILT/$name.exe" "$icon"
done || exit 1
# Internet Explorer 8, the browser of a bare Windows 7, shows no embedded picture over 32 KiB.
for image in docs/images/*.png; do
  if [ "$(wc -c <"$image")" -gt 32768 ]; then
    echo "$image is over 32 KiB: older browsers would not show it in the guide" >&2
    exit 1
  fi
done

rm -rf "$STAGE" "$ZIP"
mkdir -p "$STAGE"
echo "$PROGRAMS" | while IFS=: read -r name icon description; do
  if [ -n "$SIGN_CERT" ]; then
    osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" ${SIGN_KEY_PASS:+-readpass "$SIGN_KEY_PASS"} \
      -h sha256 -n "$description" -time "$SOURCE_DATE_EPOCH" \
      -in "$BUILT/$name.exe" -out "$STAGE/$name.exe" >"$DIST/sign.log" 2>&1 || {
      cat "$DIST/sign.log" >&2
      echo "signing $BUILT/$name.exe failed" >&2
      exit 1
    }
    echo "$name.exe signed with $SIGN_CERT"
  else
    cp "$BUILT/$name.exe" "$STAGE/$name.exe"
  fi
done || exit 1
# A table of contents at the top, down to the message tables, each one click away.
pandoc docs/operator-guide.md --from markdown-smart --to html4 --standalone --self-contained \
  --resource-path=docs --css docs/guide.css --metadata subtitle="Version $VERSION" \
  --toc --toc-depth=3 --variable toc-title=Contents --fail-if-warnings --output "$STAGE/$GUIDE"
# Windows line ends, so that every Notepad shows the lines.
sed "s/@VERSION@/$VERSION/; s/\$/\r/" docs/release-readme.txt >"$STAGE/README.txt"
sed 's/$/\r/' CHANGELOG.md >"$STAGE/CHANGELOG.txt"
# Windows line ends here too, which sha256sum -c accepts.
(cd "$STAGE" && sha256sum CHANGELOG.txt README.txt TRV2KCheck.exe TRV2KFlash.exe "$GUIDE" |
  sed 's/$/\r/' >SHA256SUMS.txt)

chmod 644 "$STAGE"/*
touch -d "@$SOURCE_DATE_EPOCH" "$STAGE"/*
# Extra fields with times and owners left out (-X); names in a fixed order.
(cd "$STAGE" && ls | sort | zip -X -q -9 "../$NAME.zip" -@)

expected="CHANGELOG.txt README.txt SHA256SUMS.txt $GUIDE TRV2KCheck.exe TRV2KFlash.exe"
listed=$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$listed" != "$(echo "$expected" | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')" ]; then
  echo "$ZIP holds [$listed], not [$expected]" >&2
  exit 1
fi
echo "$ZIP"
sha256sum "$ZIP" | sed 's/ .*//'
