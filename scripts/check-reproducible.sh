#!/bin/sh
# `make reproducible`: builds the release twice, from two fresh clones of HEAD in two folders of
# different names and depths, unsigned and then signed with a certificate made for the purpose,
# and checks that the executables, their debug files and both zips are byte-identical, that the
# signature verifies and that SHA256SUMS.txt holds the signed files' checksums, in Windows lines.
# Uncommitted changes are not in the clones, so this checks the last commit.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
WORK=build/reproducible
SIGNING="$ROOT/$WORK/signing"
COMMIT=$(git rev-parse HEAD) || exit 1
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "note: uncommitted changes are left out; checking commit $COMMIT"

rm -rf "$WORK"
# A throwaway self-signed code-signing certificate, never kept beyond this folder.
mkdir -p "$SIGNING"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$SIGNING/key.pem" -out "$SIGNING/cert.pem" \
  >"$SIGNING/openssl.log" 2>&1 || { cat "$SIGNING/openssl.log" >&2; exit 1; }

# Fails with the log's end when `make` fails in a clone.
make_in() {
  folder=$1
  shift
  if ! make -C "$folder" "$@" >>"$folder.log" 2>&1; then
    echo "make $* failed in $folder; see $folder.log" >&2
    tail -20 "$folder.log" >&2
    exit 1
  fi
}

for clone in "$WORK/one" "$WORK/second/clone"; do
  mkdir -p "$(dirname "$clone")"
  git clone -q --no-checkout "$ROOT" "$clone" && git -C "$clone" checkout -q --detach "$COMMIT" || exit 1
  make_in "$clone" dist
  mkdir -p "$clone/build/unsigned"
  mv "$clone"/build/dist/*.zip "$clone/build/unsigned/"
  make_in "$clone" dist SIGN_CERT="$SIGNING/cert.pem" SIGN_KEY="$SIGNING/key.pem"
done

for zip in "$WORK"/one/build/dist/*.zip; do ZIP=$(basename "$zip"); done
status=0
for file in build/windows/TRV2KFlash.exe build/windows/TRV2KFlash.exe.debug \
  build/windows/TRV2KCheck.exe build/windows/TRV2KCheck.exe.debug "build/unsigned/$ZIP" \
  "build/dist/$ZIP"; do
  if cmp "$WORK/one/$file" "$WORK/second/clone/$file"; then
    echo "reproducible: $file $(sha256sum <"$WORK/one/$file" | sed 's/ .*//')"
  else
    echo "NOT reproducible: $file differs between $WORK/one and $WORK/second/clone" >&2
    status=1
  fi
done

STAGE="$WORK/one/build/dist/$(basename "$ZIP" .zip)"
for program in TRV2KFlash.exe TRV2KCheck.exe; do
  osslsigncode verify -CAfile "$SIGNING/cert.pem" -in "$STAGE/$program" >"$WORK/verify.log" 2>&1 || {
    echo "the signed $program does not verify; see $WORK/verify.log" >&2
    status=1
  }
done
(cd "$STAGE" && sha256sum --quiet -c SHA256SUMS.txt) || {
  echo "SHA256SUMS.txt does not match the signed release's files" >&2
  status=1
}
# Notepad on Windows 7 shows a file with Unix line ends as one line.
if grep -qv "$(printf '\r')\$" "$STAGE/SHA256SUMS.txt"; then
  echo "SHA256SUMS.txt has lines that do not end in CR LF" >&2
  status=1
fi
exit $status
