#!/usr/bin/env python3
"""The whole installer under Wine, timed against its references. Prints figures; nothing fails on them.

    python3 bench/e2e/run_bench.py [--build build/win32] [--twin build/twin] [--rounds 15] [--installer EXE]

Two builds, side by side in one run:

  twin  the x86-64 twin (preset "twin", cmake/mingw-x86_64.cmake): the
        installer's sources and flags and the same references built for
        x86-64, run by 64-bit Wine natively. Its times mean something: the
        goals are read from it.
  real  the installer, the 32-bit one that every test checks, with the 32-bit
        references, in 32-bit Wine. Where the kernel refuses 32-bit code, that
        runs under qemu-i386, which distorts times and ratios: figures only.

Jobs of each build, each under the prefix's default Windows version (6.1) and
under "win10" (which reports 6.2, as Windows 8 to 11 do to the installer), all
alternated in every round, the pack reset to version 5 before each:

  A  the installer, modest: "nimbra-pack-update.exe modest", start to exit
  B  A built without the check of its pack against the build's record
     (nimbra-pack-update-unchecked.exe): A/B is what the check costs
  D  the installer, interactive: start to its first question (box robot)
  E  safe-write.exe: the same bytes written safely (temporary file, flush,
     replace) by a program importing kernel32 alone: the limit for A
  H  safe-write-gui.exe: E importing user32, advapi32 and shell32 as well
  G  first-box.exe: the installer's manifest and one question at once: the
     floor for D

Medians with min and max, and the ratios A/E (goal 1.3), A/B (goal 1.03)
and D/G (goal 1.1).
Then the DLLs that one silent update loads under each version, and the size
of the installer beyond its pack. --installer times another build of the
32-bit installer (e.g. an older one) against the same references.

Needs the target e2e-bench built in the win32 build folder and in the twin's
(by default the folder "twin" beside it). Uses the end-to-end tests' Wine
prefix of the win32 folder, for both builds.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import threading
import time
from dataclasses import dataclass
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
GOALS = {"A/E": 1.3, "A/B": 1.03, "D/G": 1.1}
JOBS = "ABEHDG"
TITLES = {"A": "A installer, modest, replaces the pack",
          "B": "B the same without the pack's check (its cost: A/B)",
          "D": "D installer, interactive, to its first question",
          "E": "E safe write, kernel32 only (limit for A)", "H": "H safe write importing user32/advapi32/shell32",
          "G": "G manifest + one question at once (floor for D)"}
# The robot looks for boxes this often: finer than its default, coarse enough
# not to take the CPU from the program it watches.
ROBOT_POLL_MS = 5
QEMU_I386 = Path("/proc/sys/fs/binfmt_misc/qemu-i386")


def fail(message):
    sys.exit("run_bench: " + message)


def timed(session, program, arguments, expected_exit=0, timeout=120):
    """Seconds from the program's start to its end. Not through session.run:
    a wait with a time-out polls for the end, in steps that grow to 50 ms,
    and would round every time up to the next step. Here the wait blocks
    and a timer ends a program that runs too long."""
    started = time.monotonic()
    process = subprocess.Popen([session.wine, program, *arguments], env=session.environment(),
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    watchdog = threading.Timer(timeout, process.kill)
    watchdog.start()
    try:
        returncode = process.wait()
        seconds = time.monotonic() - started
    finally:
        watchdog.cancel()
    if returncode != expected_exit:
        fail("%s %s ended with %d" % (program, " ".join(arguments), returncode))
    return seconds


def first_question(session, robot_exe, program, expected_exit):
    run = robot.run(session, robot_exe, program, answers=["no"], timeout_ms=60000, poll_ms=ROBOT_POLL_MS)
    if not run.boxes or run.exit_code != expected_exit:
        fail("%s showed no question or ended with %s: %s" % (program, run.exit_code, run.records))
    return run.boxes[0].t_ms / 1000


class Programs:
    """Each program copied twice into one folder: NAME[-TAG].exe runs under
    the default version, NAME[-TAG]-win10.exe under win10 (AppDefaults go by
    file name, so each build's copies have names of their own)."""

    def __init__(self, session, folder, sources, tag):
        folder.mkdir(parents=True, exist_ok=True)
        batch = reg.RegistryBatch()
        self.paths = {}
        for job, source in sources.items():
            for version, _ in VERSIONS:
                name = "-".join(word for word in (source.stem, tag, version) if word) + ".exe"
                shutil.copyfile(source, folder / name)
                self.paths[job, version] = session.windows_path(folder / name)
                batch.delete_key(APP_DEFAULTS + "\\" + name)
                if version:
                    batch.set_string(APP_DEFAULTS + "\\" + name, "Version", version)
        reg.Registry(session).apply(batch)

    def __getitem__(self, key):
        return self.paths[key]


@dataclass
class Build:
    """One build's programs and the Wine loader that runs them."""
    name: str          # "twin" or "real"
    description: str
    goals: bool        # whether the goals are read from its times
    session: wine.WineSession
    programs: Programs
    box_robot: Path
    pack: Path         # what its installer carries
    installer: Path


def load_config(path):
    """The harness's configuration in the file path (the harness reads it from NIMBRA_E2E_CONFIG)."""
    os.environ["NIMBRA_E2E_CONFIG"] = str(path)
    cfg = config_module.load()
    if cfg.pack is None:
        fail("%s names no installer: build the target e2e-bench" % path)
    return cfg


def reference_sources(build_dir, installer):
    sources = {"A": installer,
               "B": build_dir / "bench" / "e2e" / "unchecked" / "nimbra-pack-update-unchecked.exe",
               "E": build_dir / "bench" / "e2e" / "safe-write.exe",
               "H": build_dir / "bench" / "e2e" / "safe-write-gui.exe",
               "G": build_dir / "bench" / "e2e" / "first-box.exe"}
    for needed in sources.values():
        if not needed.is_file():
            fail("missing %s: build the target e2e-bench in %s" % (needed, build_dir))
    return sources


def i386_emulated():
    try:
        return QEMU_I386.read_text().startswith("enabled")
    except OSError:
        return False


def summary(values):
    return "%4.0f (%3.0f-%3.0f)" % tuple(1000 * v for v in (statistics.median(values), min(values), max(values)))


def print_table(build, times):
    print("\n%s: %s" % (build.name, build.description))
    print("%-50s %-18s %-18s" % ("", *(label for _, label in VERSIONS)))
    for job, title in TITLES.items():
        print("%-50s %-18s %-18s" % (title, *(summary(times[build.name, job, version]) for version, _ in VERSIONS)))
    for ratio, goal in GOALS.items():
        top, bottom = ratio.split("/")
        cells = []
        for version, _ in VERSIONS:
            value = statistics.median(times[build.name, top, version]) / statistics.median(
                times[build.name, bottom, version])
            # On a busy machine the minimums come closest to the programs' own cost.
            least = min(times[build.name, top, version]) / min(times[build.name, bottom, version])
            above = " ABOVE" if build.goals and value > goal else ""
            cells.append("%.2f%s [%.2f]" % (value, above, least))
        label = "%s (goal: at most %g)" % (ratio, goal) if build.goals else "%s (no goal here)" % ratio
        print("%-50s %-18s %-18s" % (label, *cells))


def loaded_dlls(build, version, install):
    """The DLLs one silent update loads, in its own process."""
    install.write_pack(5)
    program = build.programs["A", version]
    completed = build.session.run(program, ["modest"], extra_env={"WINEDEBUG": wine.LOADDLL_DEBUG})
    return wine.loaded_dlls(completed.stderr, program)


def open_builds(build_dir, twin_dir, installer):
    """(the win32 build's configuration, [twin, real]). The twin's
    configuration only says where its programs are: both builds run in the
    win32 folder's prefix, with one display, one server and one installation."""
    config_file = os.environ.get("NIMBRA_E2E_CONFIG") or build_dir / "tests" / "e2e" / "e2e_config.json"
    twin_cfg = load_config(twin_dir / "tests" / "e2e" / "e2e_config.json")
    cfg = load_config(config_file)
    real_sources = reference_sources(build_dir, Path(installer or cfg.installer).resolve())
    twin_sources = reference_sources(twin_dir, twin_cfg.installer)
    for needed in (cfg.pack.path, twin_cfg.pack.path, Path(cfg.box_robot), Path(twin_cfg.box_robot)):
        if not needed.is_file():
            fail("missing %s: build the target e2e-bench in %s and in %s" % (needed, build_dir, twin_dir))

    session = wine.WineSession(cfg.prefix, cfg.work_dir, cfg.wine).start()
    twin_session = wine.WineSession(cfg.prefix, cfg.work_dir, twin_cfg.wine)
    folder = session.work_dir / "bench-programs"
    real_wine = "under qemu-i386: emulated, its times and ratios distorted" if i386_emulated() else "(native)"
    return cfg, [
        Build("twin", "x86-64 build of the installer's sources and flags and of the references, "
              "64-bit Wine, native: the goals are read from it", True, twin_session,
              Programs(twin_session, folder, twin_sources, "twin"), twin_cfg.box_robot, twin_cfg.pack.path,
              twin_sources["A"]),
        Build("real", "the 32-bit installer that the tests check, 32-bit references, 32-bit Wine " + real_wine,
              False, session, Programs(session, folder, real_sources, ""), cfg.box_robot, cfg.pack.path,
              real_sources["A"]),
    ]


def run_job(build, job, version, install):
    """Seconds of one job, from the pack of version 5."""
    install.write_pack(5)
    programs = build.programs
    if job in "AB":
        return timed(build.session, programs[job, version], ["modest"])
    if job == "D":  # answered No: the run ends declined
        return first_question(build.session, build.box_robot, programs["A", version], expected_exit=1602)
    if job == "G":
        return first_question(build.session, build.box_robot, programs["G", version], expected_exit=7)
    arguments = [build.session.windows_path(build.pack), install.windows_path(install.pack_name)]
    return timed(build.session, programs[job, version], arguments)


def measure(builds, install, rounds):
    """({(build name, job, version): [seconds of each round]}, seconds the rounds took)."""
    jobs = [(build, job, version) for version, _ in VERSIONS for build in builds for job in JOBS]
    for build, job, version in jobs:  # once each first, so that all start with a warm cache
        run_job(build, job, version, install)
    times = {(build.name, job, version): [] for build, job, version in jobs}
    started = time.monotonic()
    for _ in range(rounds):
        for build, job, version in jobs:
            times[build.name, job, version].append(run_job(build, job, version, install))
    seconds = time.monotonic() - started
    for build in builds:
        install.write_pack(5)
        timed(build.session, build.programs["A", ""], ["modest"])
        if install.pack() != build.pack.read_bytes():
            fail("the %s installer did not write the pack" % build.name)
    return times, seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "win32"))
    parser.add_argument("--twin", help="the twin's build folder (default: \"twin\" beside --build)")
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--installer", help="the 32-bit installer to time (default: the build's)")
    args = parser.parse_args()
    build_dir = Path(args.build).resolve()
    twin_dir = Path(args.twin).resolve() if args.twin else build_dir.parent / "twin"
    if args.rounds < 1:
        fail("at least one round")

    cfg, builds = open_builds(build_dir, twin_dir, args.installer)
    session = builds[-1].session
    install = NimbraInstallation(session, FOLDER, cfg.substitute, cfg.pack.file).create(pack_version=5)
    registry = reg.Registry(session)
    registry.reset_nimbra()
    registry.apply(reg.RegistryBatch().set_string(reg.PRODUCT_KEY, "TheLastRunFolder", install.windows_folder))

    times, seconds = measure(builds, install, args.rounds)
    print("Median ms (min-max) of %d alternated rounds; ratios of the medians, in brackets of the minimums"
          % args.rounds)
    for build in builds:
        print_table(build, times)
    print("\n(%d rounds in %.0f s)" % (args.rounds, seconds))
    for build in builds:
        for version, label in VERSIONS:
            print("DLLs a silent update loads, %s, %s: %s"
                  % (build.name, label, " ".join(loaded_dlls(build, version, install)) or "none seen"))
    for build in builds:
        size, pack_size = build.installer.stat().st_size, build.pack.stat().st_size
        print("Installer, %s: %d bytes, %d bytes (%.1f KiB) beyond the pack of %d bytes"
              % (build.name, size, size - pack_size, (size - pack_size) / 1024, pack_size))
    registry.reset_nimbra()
    return 0


if __name__ == "__main__":
    sys.exit(main())
