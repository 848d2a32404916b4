#!/bin/sh
# Installs every Debian package the build and the tests need; quiet when all are there.
set -e
# git names the version, pandoc and zip make the release, osslsigncode signs it (openssl makes the
# tests' throwaway certificate), clang-format checks the layout of the code; fonts-wine holds the
# fonts Windows draws title bars and dialogs with, which Wine only recommends; googletest is
# GoogleTest's source, which the Windows tests build with the cross compiler; unicode-data is the
# Unicode Character Database, from which scripts/make-grapheme-table.sh makes the table of where
# characters end.
PACKAGES="cmake make git g++ clang clang-format libgtest-dev libgmock-dev libbenchmark-dev \
googletest g++-mingw-w64-i686 wine wine32:i386 fonts-wine xvfb x11-utils imagemagick pandoc zip unzip \
osslsigncode openssl unicode-data"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
