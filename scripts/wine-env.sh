# The Wine environment of one build folder. Source it, do not run it:
#
#     source scripts/wine-env.sh BUILD_DIR
#
# Exports WINEPREFIX=BUILD_DIR/wineprefix, WINEDEBUG and WINEDLLOVERRIDES, and
# creates the prefix on first use (about 20 s). It needs no display: when none
# is set, the prefix is made under a private Xvfb. Running the Windows tests
# still needs one (xvfb-run -a, see scripts/test.sh).

if [ -z "${1:-}" ]; then
  echo "usage: source scripts/wine-env.sh BUILD_DIR" >&2
  return 2 2>/dev/null || exit 2
fi

mkdir -p "$1"
export WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: they would prompt for downloads and the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

nimbra_create_wine_prefix() {
  # Several scripts may share a build folder: the first one creates the prefix,
  # the others wait for it.
  (
    flock 9
    if [ -f "$WINEPREFIX/.nimbra-ready" ]; then
      exit 0
    fi
    rm -rf "$WINEPREFIX"
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    local run=()
    if [ -z "${DISPLAY:-}" ]; then
      run=(xvfb-run -a)
    fi
    # Without a window manager, Wine waits about 2 s for every closed window
    # unless its windows are unmanaged.
    "${run[@]}" sh -c '
      wineboot -i && wineserver -w &&
      wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null &&
      wineserver -w' || exit 1
    touch "$WINEPREFIX/.nimbra-ready"
  ) 9>"$WINEPREFIX.lock"
}

nimbra_create_wine_prefix || {
  echo "wine-env.sh: could not create the Wine prefix $WINEPREFIX" >&2
  return 1 2>/dev/null || exit 1
}
