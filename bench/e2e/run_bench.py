#!/usr/bin/env python3
"""The whole installer under Wine, timed. Prints figures; nothing fails on them.

    python3 bench/e2e/run_bench.py [--build build/win32] [--runs 7]

1. The whole modest update ("nimbra-pack-update.exe modest", from the start of
   the Wine process to its end) against copy_pack.exe, which does one plain
   CopyFileA of the same pack to the same place; the two alternate, pack
   reset to version 5 before each run. Medians and their ratio (goal: 1.3 at most).
2. The time from the start of an interactive run to its first question, as
   the box robot sees it (the question is answered No).

Needs the targets nimbra-pack-update, copy_pack, box-robot, substitute-nimbra
and win-probe built in the win32 build folder. Uses the end-to-end tests'
Wine prefix of that folder.
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from harness import config as config_module  # noqa: E402
from harness import registry as reg  # noqa: E402
from harness import robot  # noqa: E402
from harness.installation import NimbraInstallation  # noqa: E402
from harness.wine import WineSession  # noqa: E402

FOLDER = "C:\\nimbra-bench\\Nimbra\\"
GOAL_RATIO = 1.3


def timed(session, program, arguments, expected_exit=0):
    started = time.monotonic()
    completed = session.run(program, arguments)
    seconds = time.monotonic() - started
    if completed.returncode != expected_exit:
        sys.exit("%s %s ended with %d" % (program, " ".join(arguments), completed.returncode))
    return seconds


def ms(seconds):
    return "%.0f ms" % (seconds * 1000)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "win32"))
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    build = Path(args.build).resolve()
    if args.runs < 5:
        sys.exit("at least 5 runs of each")

    os.environ.setdefault("NIMBRA_E2E_CONFIG", str(build / "tests" / "e2e" / "e2e_config.json"))
    cfg = config_module.load()
    copier = build / "bench" / "e2e" / "copy_pack.exe"
    pack = cfg.pack.path if cfg.pack else None
    for needed in (cfg.installer, copier, pack):
        if needed is None or not Path(needed).exists():
            sys.exit("missing %s: build nimbra-pack-update and copy_pack first" % needed)
    session = WineSession(cfg.prefix, cfg.work_dir, cfg.wine).start()

    install = NimbraInstallation(session, FOLDER, cfg.substitute, cfg.pack.file).create(pack_version=5)
    registry = reg.Registry(session)
    registry.reset_nimbra()
    registry.apply(reg.RegistryBatch().set_string(reg.PRODUCT_KEY, "TheLastRunFolder", install.windows_folder))
    installer = session.windows_path(cfg.installer)
    copy_arguments = [session.windows_path(pack), install.windows_path(cfg.pack.file)]

    # One of each first, so that both start with a warm cache.
    timed(session, installer, ["modest"])
    timed(session, copier, copy_arguments)
    # What neither can avoid: a Wine process that does nothing (copy_pack.exe
    # without arguments), and the one child of the installer's start-up.
    updates, copies, empty_starts, ver_runs = [], [], [], []
    for _ in range(args.runs):
        install.write_pack(5)
        updates.append(timed(session, installer, ["modest"]))
        install.write_pack(5)
        copies.append(timed(session, copier, copy_arguments))
        empty_starts.append(timed(session, copier, [], expected_exit=2))
        ver_runs.append(timed(session, "cmd", ["/c", "ver"]))
    if install.pack() != pack.read_bytes():
        sys.exit("the pack was not copied")

    first_questions = []
    for _ in range(args.runs):
        install.write_pack(5)
        run = robot.run(session, cfg.box_robot, installer, answers=["no"], timeout_ms=60000)
        if not run.boxes:
            sys.exit("the interactive run showed no question: %s" % run.records)
        first_questions.append(run.boxes[0].t_ms / 1000)

    update, copy = statistics.median(updates), statistics.median(copies)
    ratio = update / copy
    print("Pack: %d bytes; %d runs of each, alternated" % (pack.stat().st_size, args.runs))
    print("Whole modest update (start to exit): median %s (min %s, max %s)"
          % (ms(update), ms(min(updates)), ms(max(updates))))
    print("Plain CopyFileA of the pack:         median %s (min %s, max %s)"
          % (ms(copy), ms(min(copies)), ms(max(copies))))
    print("Ratio: %.2f (goal: at most %.1f)%s" % (ratio, GOAL_RATIO, "" if ratio <= GOAL_RATIO else "  ABOVE GOAL"))
    print("For comparison: a Wine process doing nothing %s; \"cmd /c ver\" %s (medians)"
          % (ms(statistics.median(empty_starts)), ms(statistics.median(ver_runs))))
    print("Interactive run, start to first question: median %s (min %s, max %s)"
          % (ms(statistics.median(first_questions)), ms(min(first_questions)), ms(max(first_questions))))
    registry.reset_nimbra()
    return 0


if __name__ == "__main__":
    sys.exit(main())
