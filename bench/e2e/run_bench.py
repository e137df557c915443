#!/usr/bin/env python3
"""The whole installer under Wine, timed against its references. Prints figures; nothing fails on them.

    python3 bench/e2e/run_bench.py [--build build/win32] [--rounds 15] [--installer EXE]

Jobs, each under the prefix's default Windows version (6.1) and under "win10"
(which reports 6.2, as Windows 8 to 11 do to the installer), all alternated
in every round, the pack reset to version 5 before each:

  A  the installer, modest: "nimbra-pack-update.exe modest", start to exit
  D  the installer, interactive: start to its first question (box robot)
  E  safe-write.exe: the same bytes written safely (temporary file, flush,
     replace) by a program importing kernel32 alone: the limit for A
  H  safe-write-gui.exe: E importing user32, advapi32 and shell32 as well
  G  first-box.exe: the installer's manifest and one question at once: the
     floor for D

Medians with min and max, and the ratios A/E (goal 1.3) and D/G (goal 1.1).
Then the DLLs that one silent update loads under each version, and the size
of the installer beyond its pack. --installer times another build of the
installer (e.g. an older one) against the same references.

Needs the targets nimbra-pack-update, safe-write, safe-write-gui, first-box,
box-robot and substitute-nimbra built in the win32 build folder. Uses the
end-to-end tests' Wine prefix of that folder.
"""

import argparse
import os
import shutil
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from harness import config as config_module  # noqa: E402
from harness import registry as reg  # noqa: E402
from harness import robot  # noqa: E402
from harness import wine  # noqa: E402
from harness.installation import NimbraInstallation  # noqa: E402

FOLDER = "C:\\nimbra-bench\\Nimbra\\"
APP_DEFAULTS = reg.HKCU + r"\Software\Wine\AppDefaults"
# Windows version name in AppDefaults ("" for the prefix's default) and its label.
VERSIONS = (("", "default (6.1)"), ("win10", "win10 (6.2)"))
GOALS = {"A/E": 1.3, "D/G": 1.1}
# The robot looks for boxes this often: finer than its default, coarse enough
# not to take the CPU from the program it watches.
ROBOT_POLL_MS = 5


def fail(message):
    sys.exit("run_bench: " + message)


def timed(session, program, arguments, expected_exit=0):
    completed = session.run(program, arguments)
    if completed.returncode != expected_exit:
        fail("%s %s ended with %d" % (program, " ".join(arguments), completed.returncode))
    return completed.seconds


def first_question(session, robot_exe, program, expected_exit):
    run = robot.run(session, robot_exe, program, answers=["no"], timeout_ms=60000, poll_ms=ROBOT_POLL_MS)
    if not run.boxes or run.exit_code != expected_exit:
        fail("%s showed no question or ended with %s: %s" % (program, run.exit_code, run.records))
    return run.boxes[0].t_ms / 1000


class Programs:
    """Each program copied twice into one folder: NAME.exe runs under the
    default version, NAME-win10.exe under win10 (AppDefaults go by file name)."""

    def __init__(self, session, folder, sources):
        folder.mkdir(parents=True, exist_ok=True)
        batch = reg.RegistryBatch()
        self.paths = {}
        for job, source in sources.items():
            for version, _ in VERSIONS:
                name = source.stem + ("-" + version if version else "") + ".exe"
                shutil.copyfile(source, folder / name)
                self.paths[job, version] = session.windows_path(folder / name)
                batch.delete_key(APP_DEFAULTS + "\\" + name)
                if version:
                    batch.set_string(APP_DEFAULTS + "\\" + name, "Version", version)
        reg.Registry(session).apply(batch)

    def __getitem__(self, key):
        return self.paths[key]


def summary(values):
    return "%4.0f (%3.0f-%3.0f)" % tuple(1000 * v for v in (statistics.median(values), min(values), max(values)))


def print_table(times, rounds):
    print("Median ms (min-max) of %d alternated rounds:" % rounds)
    print("%-50s %-18s %-18s" % ("", *(label for _, label in VERSIONS)))
    titles = {"A": "A installer, modest, replaces the pack", "D": "D installer, interactive, to its first question",
              "E": "E safe write, kernel32 only (limit for A)", "H": "H safe write importing user32/advapi32/shell32",
              "G": "G manifest + one question at once (floor for D)"}
    for job, title in titles.items():
        print("%-50s %-18s %-18s" % (title, *(summary(times[job, version]) for version, _ in VERSIONS)))
    for ratio, goal in GOALS.items():
        top, bottom = ratio.split("/")
        cells = []
        for version, _ in VERSIONS:
            value = statistics.median(times[top, version]) / statistics.median(times[bottom, version])
            # On a busy machine the minimums come closest to the programs' own cost.
            least = min(times[top, version]) / min(times[bottom, version])
            cells.append("%.2f%s [%.2f]" % (value, "" if value <= goal else " ABOVE", least))
        print("%-50s %-18s %-18s" % ("%s (goal: at most %.1f)" % (ratio, goal), *cells))
    print("(ratios of the medians; in brackets, of the minimums)")


def loaded_dlls(session, installer_path, install):
    """The DLLs one silent update loads, in its own process."""
    install.write_pack(5)
    completed = session.run(installer_path, ["modest"], extra_env={"WINEDEBUG": wine.LOADDLL_DEBUG})
    return wine.loaded_dlls(completed.stderr, installer_path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "win32"))
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--installer", help="the installer to time (default: the build's)")
    args = parser.parse_args()
    build = Path(args.build).resolve()
    if args.rounds < 1:
        fail("at least one round")

    os.environ.setdefault("NIMBRA_E2E_CONFIG", str(build / "tests" / "e2e" / "e2e_config.json"))
    cfg = config_module.load()
    if cfg.pack is None:
        fail("the test configuration names no installer: build nimbra-pack-update first")
    pack = cfg.pack.path
    sources = {"A": Path(args.installer or cfg.installer or "").resolve(),
               "E": build / "bench" / "e2e" / "safe-write.exe",
               "H": build / "bench" / "e2e" / "safe-write-gui.exe",
               "G": build / "bench" / "e2e" / "first-box.exe"}
    for needed in (*sources.values(), pack, Path(cfg.box_robot)):
        if not needed.is_file():
            fail("missing %s: build nimbra-pack-update, safe-write, safe-write-gui, first-box and the tools" % needed)
    session = wine.WineSession(cfg.prefix, cfg.work_dir, cfg.wine).start()
    programs = Programs(session, session.work_dir / "bench-programs", sources)

    install = NimbraInstallation(session, FOLDER, cfg.substitute, cfg.pack.file).create(pack_version=5)
    registry = reg.Registry(session)
    registry.reset_nimbra()
    registry.apply(reg.RegistryBatch().set_string(reg.PRODUCT_KEY, "TheLastRunFolder", install.windows_folder))
    write_arguments = [session.windows_path(pack), install.windows_path(cfg.pack.file)]

    def run_job(job, version):
        install.write_pack(5)
        if job == "A":
            return timed(session, programs["A", version], ["modest"])
        if job == "D":  # answered No: the run ends declined
            return first_question(session, cfg.box_robot, programs["A", version], expected_exit=1602)
        if job == "G":
            return first_question(session, cfg.box_robot, programs["G", version], expected_exit=7)
        return timed(session, programs[job, version], write_arguments)

    jobs = [(job, version) for version, _ in VERSIONS for job in "AEHDG"]
    for job, version in jobs:  # once each first, so that all start with a warm cache
        run_job(job, version)
    times = {key: [] for key in jobs}
    started = time.monotonic()
    for _ in range(args.rounds):
        for job, version in jobs:
            times[job, version].append(run_job(job, version))
    install.write_pack(5)
    timed(session, programs["A", ""], ["modest"])
    if install.pack() != pack.read_bytes():
        fail("the installer did not write the pack")

    print_table(times, args.rounds)
    print("(%d rounds in %.0f s)" % (args.rounds, time.monotonic() - started))
    for version, label in VERSIONS:
        print("DLLs a silent update loads, %s: %s"
              % (label, " ".join(loaded_dlls(session, programs["A", version], install)) or "none seen"))
    size = sources["A"].stat().st_size
    print("Installer: %d bytes, %d bytes (%.1f KiB) beyond the pack of %d bytes"
          % (size, size - pack.stat().st_size, (size - pack.stat().st_size) / 1024, pack.stat().st_size))
    registry.reset_nimbra()
    return 0


if __name__ == "__main__":
    sys.exit(main())
