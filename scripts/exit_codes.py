"""The installer's exit codes, read from the table the program is compiled
from (src/deployment/exit_codes.def): for the deployment kit, its checks and
the end-to-end tests, so that none of them keeps a copy. Standard library only.

    import exit_codes
    for code in exit_codes.read():
        print(code.code, code.name, code.tool_kind)
"""

import re
from pathlib import Path
from typing import NamedTuple

TABLE = Path(__file__).resolve().parents[1] / "src" / "deployment" / "exit_codes.def"
# How Intune and Configuration Manager name each kind of return code.
TOOL_KINDS = {"success": "Success", "softReboot": "Soft reboot", "hardReboot": "Hard reboot",
              "retry": "Retry", "failed": "Failed"}

_LINE = re.compile(r'^NIMBRA_EXIT_CODE\((\w+), (-?\d+), (\w+), (\w+), (\w+), "([^"\\]*)"\)$')


class ExitCode(NamedTuple):
    name: str             # the C++ enumerator, e.g. PackInUse
    code: int             # e.g. 1618
    windows_error: str    # e.g. ERROR_INSTALL_ALREADY_RUNNING
    winget_response: str  # winget's ReturnResponse, or "none" for winget's default
    tool_kind: str        # a key of TOOL_KINDS
    meaning: str


def read(table=TABLE):
    """The table's codes in its order. A line of the table that does not read
    as one is an error, never skipped."""
    codes = []
    for number, line in enumerate(Path(table).read_text("utf-8").splitlines(), 1):
        if not line.startswith("NIMBRA_EXIT_CODE("):
            continue
        match = _LINE.match(line)
        if not match:
            raise ValueError("%s:%d: not a line of the form NIMBRA_EXIT_CODE(Name, code, WINDOWS_ERROR, "
                             "wingetResponse, toolKind, \"meaning\")" % (table, number))
        name, code, windows_error, winget_response, tool_kind, meaning = match.groups()
        if tool_kind not in TOOL_KINDS:
            raise ValueError("%s:%d: the kind %r is none of %s" % (table, number, tool_kind, ", ".join(TOOL_KINDS)))
        codes.append(ExitCode(name, int(code), windows_error, winget_response, tool_kind, meaning))
    values = [code.code for code in codes]
    if not codes or len(set(values)) != len(values):
        raise ValueError("%s: expected codes, each value once; found %s" % (table, values))
    return codes


def by_name(table=TABLE):
    """{enumerator name: value}, e.g. {"PackInUse": 1618, ...}."""
    return {code.name: code.code for code in read(table)}
