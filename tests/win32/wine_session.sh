#!/bin/sh
# The Wine session of the tests in $WINEPREFIX, for ctest's fixtures.
#
#   wine_session.sh start   makes the prefix when it is missing, then starts
#                           its wineserver and Wine's own service processes,
#                           detached, to stay until stopped
#   wine_session.sh stop    ends the server and everything Wine started
#
# Whatever Wine starts on behalf of a test (the wineserver, services.exe,
# explorer.exe, ...) inherits that test's output pipe, and ctest waits until
# every holder of the pipe has gone: seconds after each test, while the server
# lingers out. Started here, in a session of their own and with no pipe, they
# serve every test of the prefix. A server that is just lingering out (say
# after the tests were listed) is let go first.
# Without a prefix the one made would be the current folder, and making it
# clears that folder first.
: "${WINEPREFIX:?is not set: source scripts/wine-env.sh first}"
case "${1:-}" in
  start)
    python3 "$(dirname "$0")/../e2e/harness/wine.py" "$WINEPREFIX" || exit 1
    timeout 5 wineserver -w 2>/dev/null
    setsid sh -c 'wineserver -p; timeout 300 wine cmd /c exit' </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
exit 0
