# Sourced by scripts/run.sh and tests/e2e/run.sh: a private Wine prefix and a private X server.
# Expects ROOT (the repository) to be set; sets WINEPREFIX, DISPLAY and XVFB_PID.

export WINEPREFIX="$ROOT/build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono/Gecko installers and no desktop menu entries: the programs need none of them.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
XVFB_PID=""

# Wine's own fonts: Marlett, whose glyphs are the title bars' buttons, Tahoma, MS Sans Serif and
# the rest. Debian's Wine never looks for them where its fonts-wine package puts them, so a prefix
# has none of them unless they are placed in its Fonts folder, where Windows keeps its fonts.
WINE_FONTS=/usr/share/wine/fonts

# Creates the prefix $WINEPREFIX on first use (about 15 s), without any display so that nothing
# asks, and gives it Wine's fonts. With "headless", Wine draws the title bars itself and does not
# wait for a window manager (unmanaged windows): the private X server has none, and with managed
# windows every box that closed cost a 2 s time-out.
ensure_wine_prefix() {
  if [ "${1:-}" = headless ]; then
    grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null || create_wine_prefix "$1" || return 1
  else
    [ -f "$WINEPREFIX/system.reg" ] || create_wine_prefix || return 1
  fi
  install_wine_fonts
}

create_wine_prefix() {
  echo "Preparing the Wine prefix $WINEPREFIX ..."
  mkdir -p "$WINEPREFIX"
  log="$WINEPREFIX.log"
  env -u DISPLAY wineboot -i </dev/null >"$log" 2>&1 || {
    echo "Preparing the Wine prefix failed; see $log" >&2
    return 1
  }
  if [ "${1:-}" = headless ]; then
    for setting in Decorated Managed; do
      env -u DISPLAY wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$setting" /d N /f \
        </dev/null >>"$log" 2>&1 || {
        echo "Preparing the Wine prefix failed; see $log" >&2
        return 1
      }
    done
  fi
  wineserver -w
}

# Links each of Wine's fonts into the prefix's Fonts folder; prefixes made before get them too.
install_wine_fonts() {
  if [ ! -f "$WINE_FONTS/marlett.ttf" ]; then
    echo "Wine's fonts are not in $WINE_FONTS (Debian package fonts-wine): without them" \
      "every title bar's close button shows the letter r" >&2
    return 1
  fi
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for font in "$WINE_FONTS"/*; do
    [ -e "$fonts/$(basename "$font")" ] || ln -s "$font" "$fonts/" || return 1
  done
}

# Starts Xvfb on a free display it picks itself and exports DISPLAY.
start_xvfb() {
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  tries=0
  while ! grep -q '[0-9]' "$display_file" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
      echo "Xvfb did not start" >&2
      rm -f "$display_file"
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=":$(head -n 1 "$display_file")"
  rm -f "$display_file"
}

# Ends what this session started: the prefix's Wine processes, then our X server.
stop_wine_session() {
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# Converts the driver's BMP screenshots in a folder to PNG.
convert_screenshots() {
  for bmp in "$1"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}
