# The Wine environment of one build folder. Source it, do not run it:
#
#     source scripts/wine-env.sh BUILD_DIR
#
# Exports WINEPREFIX=BUILD_DIR/wineprefix, WINEDEBUG and WINEDLLOVERRIDES, and
# creates the prefix on first use (about 25 s). It needs no display: when none
# is set, the prefix is made under a private Xvfb. Running the Windows tests
# still needs one (xvfb-run -a, see scripts/test.sh).

if [ -z "${1:-}" ]; then
  echo "usage: source scripts/wine-env.sh BUILD_DIR" >&2
  return 2 2>/dev/null || exit 2
fi

mkdir -p "$1"
export WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko (they would prompt for downloads and the tests need
# neither), and no crash debugger, which never ends under qemu-i386.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Under qemu-i386 (where the kernel refuses 32-bit code), the emulated
# programs load libgcc_s at start: glibc otherwise opens it when a thread
# ends, and under emulation that open races with Wine's own descriptors and
# kills the process ("libgcc_s.so.1: cannot close file descriptor"). $LIB
# names each program's own library folder, so 64-bit children are served too.
# Natively nothing reads it.
export QEMU_SET_ENV='LD_PRELOAD=/usr/$LIB/libgcc_s.so.1'

# The prefix is made by the end-to-end harness, each step bounded in time;
# several scripts may share a build folder: the first one makes the prefix,
# the others wait for it.
python3 "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/harness/wine.py" "$WINEPREFIX" || {
  echo "wine-env.sh: could not create the Wine prefix $WINEPREFIX" >&2
  return 1 2>/dev/null || exit 1
}
