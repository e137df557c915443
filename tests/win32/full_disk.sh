#!/bin/sh
# A small, really full disk for the Win32 tests: a tmpfs mounted at DIR and seen
# by Wine as drive LETTER (a symlink in $WINEPREFIX/dosdevices, which new Wine
# processes see at once).
#
#   full_disk.sh setup DIR LETTER     mount (1 MiB) and map; fails without root
#                                     or mount rights, and the tests that need
#                                     the drive do not run
#   full_disk.sh cleanup DIR LETTER   unmap and unmount
set -u
action=$1 dir=$2 letter=$(echo "$3" | tr 'A-Z' 'a-z')
link="${WINEPREFIX:-}/dosdevices/$letter:"

case "$action" in
  setup)
    if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/dosdevices" ]; then
      echo "full_disk: no Wine prefix (WINEPREFIX=${WINEPREFIX:-})"
      exit 1
    fi
    mkdir -p "$dir"
    mountpoint -q "$dir" && umount "$dir"
    if ! mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
      echo "full_disk: cannot mount a tmpfs at $dir (needs root)"
      rm -f "$link"
      exit 1
    fi
    touch "$dir/nimbra-full-disk"
    ln -sfn "$dir" "$link"
    echo "full_disk: drive $letter: is a 1 MiB tmpfs at $dir"
    ;;
  cleanup)
    [ -n "${WINEPREFIX:-}" ] && rm -f "$link"
    mountpoint -q "$dir" 2>/dev/null && umount "$dir"
    exit 0
    ;;
  *)
    echo "usage: $0 setup|cleanup DIR LETTER" >&2
    exit 2
    ;;
esac
