"""The end-to-end harness: the real installer under Wine, in a prepared Nimbra
installation, with the substitute Nimbra and the box robot.

Tests derive from harness.case.InstallerTestCase (see there for a full
example); the pieces:
    wine.py          the session: prefix, display, wineserver, path conversion
    registry.py      exact registry values through .reg import/export (64-bit view)
    installation.py  the installation folder: nimbra.exe, language files, dwix.cok
    substitute.py    a running substitute Nimbra and its event log
    robot.py         a program run under box-robot.exe, its boxes and exit code

Running: ctest registers every test as e2e.<Class>.<test>, for example
    ctest --test-dir build/win32 -R '^e2e\\.' --output-on-failure
(within a display, as scripts/test.sh runs the Windows layer). Directly,
without ctest, display or existing prefix (they are made as needed):
    NIMBRA_E2E_CONFIG=build/win32/tests/e2e/e2e_config.json \\
        python3 -m unittest discover -s tests/e2e -v
A new test file or test shows up in ctest after the next build (or cmake run).
"""
