#!/usr/bin/env bash
# Shows the installer at work: prepares a sample Nimbra installation in a Wine
# prefix of its own and runs the real installer on it.
#
#     bash scripts/demo.sh [--auto] [--russian]
#
# With a display and without --auto, you answer the installer's boxes. With
# --auto, or when no DISPLAY is set (CI), it runs under a private Xvfb, the box
# robot answers Yes, and each box is printed. Either way it ends with what the
# installer did: exit code, pack written, EstimatedSize, Nimbra started.
# NIMBRA_BUILD_ROOT (default: build) as for scripts/build.sh; the prefix is
# $NIMBRA_BUILD_ROOT/win32/demo/wineprefix.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/packages.sh
# 32-bit Wine runs the installer: natively, or through qemu-i386 where the
# kernel refuses 32-bit code.
nimbra_wine_runs >/dev/null || exit 1

options=()
for argument in "$@"; do
  case "$argument" in
    --auto | --russian) options+=("$argument") ;;
    *) echo "usage: bash scripts/demo.sh [--auto] [--russian]" >&2; exit 2 ;;
  esac
done
if [ -z "${DISPLAY:-}" ] && [[ " ${options[*]-} " != *" --auto "* ]]; then
  options+=(--auto)
fi

build_dir="${NIMBRA_BUILD_ROOT:-build}/win32"
# Quiet unless the build fails.
if ! log="$( { [ -f "$build_dir/CMakeCache.txt" ] || cmake --preset win32 -B "$build_dir"; } 2>&1 &&
             cmake --build "$build_dir" --target nimbra-pack-update box-robot substitute-nimbra win-probe -j2 2>&1)"; then
  printf '%s\n' "$log" >&2
  exit 1
fi

build_dir="$(cd "$build_dir" && pwd)"
mkdir -p "$build_dir/demo"
exec python3 scripts/demo.py --config "$build_dir/tests/e2e/e2e_config.json" \
  --prefix "$build_dir/demo/wineprefix" "${options[@]}"
