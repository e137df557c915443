#!/bin/sh
# Starts the wineserver of $WINEPREFIX, and Wine's own service processes,
# detached from ctest, before the Win32 tests run.
#
# Whatever Wine starts on behalf of a test (the wineserver, services.exe,
# explorer.exe, ...) inherits that test's output pipe, and ctest waits until
# every holder of the pipe has gone: about 3 s after each test, while the
# server lingers out. Started here, in a session of their own and with no
# pipe, they serve every test and end 10 s after the last Wine process.
#
# A server that is just lingering out (say after GoogleTest's discovery) is
# let go first; one that stays (wineserver -p) is kept and used.
timeout 5 wineserver -w 2>/dev/null
setsid sh -c 'wineserver -p10; wine cmd /c exit' </dev/null >/dev/null 2>&1
exit 0
