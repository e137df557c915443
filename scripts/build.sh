#!/usr/bin/env bash
# Builds the installer, nimbra-pack-update.exe, and prints its path.
#
#     bash scripts/build.sh [CMAKE_OPTION]...     e.g. -DNIMBRA_PACK=/path/to/dwix.cok
#
# The options (README, "Options") stay in the build folder's cache for later
# builds; the build ends by saying which pack it carries. Sign the result
# with scripts/sign.sh.
#
# On a fresh Debian 12, run as root: it installs what the build needs first
# (skipped when already there). NIMBRA_BUILD_ROOT (default: build) is where the
# build folders go; this one is $NIMBRA_BUILD_ROOT/win32.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/packages.sh
nimbra_require_packages "${NIMBRA_BUILD_PACKAGES[@]}"

build_dir="${NIMBRA_BUILD_ROOT:-build}/win32"
cmake --preset win32 -B "$build_dir" "$@"
cmake --build "$build_dir" --target nimbra-pack-update -j2

installer="$(cd "$build_dir" && pwd)/nimbra-pack-update.exe"
echo
echo "Installer: $installer ($(stat -c %s "$installer") bytes)"
echo "Deployment kit: ${installer%.exe}.installer.yaml (winget), ${installer%.exe}.deployment.md (Intune, Configuration Manager)"
# What it carries, from this run's options or an earlier one's (the cache).
cat "$build_dir/carried-pack.txt"

# Without a display (CI) the build goes on to show the installer at work;
# with one, the person chooses when.
if ! nimbra_wine_runs; then
  echo "The installer is built, but this machine cannot run it under Wine: no demo." >&2
  exit 1
elif [ -z "${DISPLAY:-}" ]; then
  echo
  bash scripts/demo.sh --auto
else
  echo "Demo: bash scripts/demo.sh (you answer the boxes), or bash scripts/demo.sh --auto"
fi
