"""Runs a program under the box robot and reads its transcript.

The transcript (box-robot.exe, one JSON object per line) holds texts twice:
"caption", "text" and the button texts as shown (wide text), and "*_hex" as
the ANSI bytes the program's code page gives them, for exact comparison.
"""

import json
import os
import uuid
from dataclasses import dataclass, field
from typing import Dict, List, Optional

from . import wine as wine_module

# The robot's own exit codes.
ROBOT_ENDED, ROBOT_USAGE, ROBOT_NOT_STARTED, ROBOT_TIMED_OUT = 0, 1, 2, 3
# The program's exit code after the robot's time-out killed it.
KILLED_EXIT_CODE = 124

YES, NO, OK, CANCEL = "yes", "no", "ok", "cancel"


@dataclass
class Box:
    caption: str
    caption_bytes: bytes
    text: str
    text_bytes: bytes
    buttons: Dict[str, str]          # "yes"/"no"/"ok"/"cancel" -> text as shown ("&Да")
    button_bytes: Dict[str, bytes]   # the same in ANSI bytes
    script: Optional[str]            # the scripted answer; None once the script ran out
    answer: Optional[str]            # the button clicked; None when left open
    t_ms: int                        # since the robot started the program
    unix_ms: int

    @classmethod
    def from_record(cls, record):
        return cls(
            caption=record["caption"], caption_bytes=bytes.fromhex(record["caption_hex"]),
            text=record["text"], text_bytes=bytes.fromhex(record["text_hex"]),
            buttons={b["id"]: b["text"] for b in record["buttons"]},
            button_bytes={b["id"]: bytes.fromhex(b["text_hex"]) for b in record["buttons"]},
            script=record["script"], answer=record["answer"],
            t_ms=record["t_ms"], unix_ms=record["unix_ms"])

    @property
    def button_ids(self):
        return sorted(self.buttons)

    def has_russian_buttons(self):
        return self.buttons.get("yes") == "&Да" or self.buttons.get("ok") == "ОК"

    def has_english_buttons(self):
        return self.buttons.get("yes") == "&Yes" or self.buttons.get("ok") == "OK"


@dataclass
class RobotRun:
    robot_exit: int
    exit_code: Optional[int]         # the program's; None when it never started
    timed_out: bool
    boxes: List[Box]
    answers_left: int
    start: dict
    records: List[dict] = field(default_factory=list)
    output: bytes = b""              # the program's standard output
    seconds: float = 0.0

    @property
    def ended_by_itself(self):
        return self.robot_exit == ROBOT_ENDED and not self.timed_out


def run(session, robot_exe, program, arguments=(), answers=(), cwd=None, timeout_ms=60000,
        locale=wine_module.ENGLISH, unscripted="dismiss", raw_tail=None, poll_ms=None, unelevated=False):
    """Starts program (a Windows path) with the arguments under the robot,
    answers its boxes in order, and returns what happened. poll_ms: how often
    the robot looks for boxes (its own default when None); unelevated: with
    the Administrators group for deny only, as an administrator's programs
    run without elevation."""
    transcript = session.work_dir / ("transcript-%s.jsonl" % uuid.uuid4().hex)
    options = ["--transcript", session.windows_path(transcript), "--timeout-ms", str(timeout_ms),
               "--answers", ",".join(answers), "--unscripted", unscripted]
    if poll_ms is not None:
        options += ["--poll-ms", str(poll_ms)]
    if cwd is not None:
        options += ["--cwd", cwd]
    if raw_tail is not None:
        options += ["--raw-tail", raw_tail]
    if unelevated:
        options += ["--token", "filtered"]
    options += ["--", program]
    if raw_tail is None:
        options += list(arguments)
    completed = session.run(robot_exe, options, locale=locale, timeout=timeout_ms / 1000 + 60)
    try:
        records = [json.loads(line) for line in transcript.read_text("ascii").splitlines() if line.strip()]
    finally:
        transcript.unlink(missing_ok=True)

    exit_record = next((r for r in records if r["event"] == "exit"), None)
    result = RobotRun(
        robot_exit=completed.returncode,
        exit_code=exit_record["code"] if exit_record else None,
        timed_out=any(r["event"] == "timeout" for r in records),
        boxes=[Box.from_record(r) for r in records if r["event"] == "box"],
        answers_left=exit_record["answers_left"] if exit_record else len(answers),
        start=next((r for r in records if r["event"] in ("start", "error")), {}),
        records=records,
        output=completed.stdout,
        seconds=completed.seconds)
    _show(program, arguments if raw_tail is None else [raw_tail], locale, result)
    return result


def _show(program, arguments, locale, result):
    """With NIMBRA_E2E_SHOW=1 in the environment, prints what a run did (its
    command line, each box as the robot read it, the exit code), for people
    who want to see the installer at work in a test (ctest -V)."""
    if os.environ.get("NIMBRA_E2E_SHOW") != "1":
        return
    print("[run] %s %s  (%s)" % (str(program).rsplit("\\", 1)[-1], " ".join(arguments), locale))
    for box in result.boxes:
        buttons = "/".join(box.buttons[b].replace("&", "") for b in box.button_ids)
        print("[box] %r: %r [%s] -> %s" % (box.caption, box.text, buttons, box.answer))
    print("[exit] %s%s" % (result.exit_code, " (timed out)" if result.timed_out else ""))
