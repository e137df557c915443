#!/usr/bin/env python3
"""The demo behind scripts/demo.sh: a sample Nimbra installation in a Wine
prefix of its own, and the real installer run on it.

    demo.py --config BUILD/tests/e2e/e2e_config.json --prefix DIR [--auto] [--russian]

The installation (C:\\Nimbra\\) holds the substitute nimbra.exe, the sample
English and Russian language files and the pack (dwix.cok, or the file that
the build carries) of version 5; the registry
names it ("TheLastRunFolder" and the uninstall entry). With --auto the box
robot answers Yes to every question, without it the person at the display
does. Then it prints what the installer did.
"""

import argparse
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

from harness import config as config_module  # noqa: E402
from harness import registry as reg  # noqa: E402
from harness import robot  # noqa: E402
from harness.installation import NimbraInstallation  # noqa: E402
from harness.update_run import START_WAIT_SECONDS  # noqa: E402
from harness.wine import ENGLISH, RUSSIAN, WineSession  # noqa: E402

FOLDER = "C:\\Nimbra\\"
EXIT_MEANINGS = {0: "installed", 740: "no administrator rights", 1602: "declined", 1603: "failed",
                 1605: "Nimbra is not installed", 1618: "the pack is in use"}


def shown(text):
    return text.replace("\r\n", "\n").replace("\n", "\n      ")


def prepare(session, cfg):
    install = NimbraInstallation(session, FOLDER, cfg.substitute, cfg.pack.file).create(pack_version=5)
    registry = reg.Registry(session)
    registry.reset_nimbra()
    registry.apply(reg.RegistryBatch()
                   .set_string(reg.PRODUCT_KEY, "TheLastRunFolder", install.windows_folder)
                   .set_string(reg.UNINSTALL_KEY, "UninstallString", install.windows_path("uninst.exe")))
    print("Sample installation %s: nimbra.exe (substitute), language\\english.lng, language\\russian.lng,"
          " %s version %d (%d bytes)" % (install.windows_folder, install.pack_name, install.pack_version(),
                                          len(install.pack())))
    return install, registry


def run_auto(session, cfg, locale):
    run = robot.run(session, cfg.box_robot, session.windows_path(cfg.installer), answers=["yes"] * 3,
                    locale=locale, timeout_ms=120000)
    for number, box in enumerate(run.boxes, 1):
        print("Box %d: %s" % (number, box.caption))
        print("      " + shown(box.text))
        print("      buttons: %s; answered: %s"
              % (", ".join(box.buttons[b].replace("&", "") for b in sorted(box.buttons)),
                 box.buttons.get(box.answer, box.answer).replace("&", "") if box.answer else "(left open)"))
    if run.timed_out:
        print("The installer did not end in time and was stopped.")
    return run.exit_code


def run_interactive(session, cfg, locale):
    print("Answer the installer's boxes on the display.")
    return session.run(cfg.installer, locale=locale, timeout=3600).returncode


def report(exit_code, install, registry):
    print("Exit code: %s (%s)" % (exit_code, EXIT_MEANINGS.get(exit_code, "unknown")))
    pack = install.pack()
    if pack is None:
        print("Pack: none")
    else:
        print("Pack: %s%s, %d bytes, version byte 0x%02x (version %d)"
              % (install.windows_folder, install.pack_name, len(pack), pack[4], install.pack_version()))
    size = registry.value(reg.UNINSTALL_KEY, "EstimatedSize")
    print("EstimatedSize: %s" % ("not written" if size is None else "%d KiB" % size.data))
    # The desktop shell starts Nimbra on the installer's behalf, after the
    # installer may have ended.
    deadline = time.monotonic() + START_WAIT_SECONDS
    while not install.starts() and exit_code == 0 and time.monotonic() < deadline:
        time.sleep(0.2)
    starts = install.starts()
    if not starts:
        print("Nimbra: not started")
    for start in starts:
        print("Nimbra started: %s, current directory %s, by %s"
              % (start["command_line"], start["cwd"], start.get("parent", "?")))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--config", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--auto", action="store_true", help="the robot answers Yes to every box")
    parser.add_argument("--russian", action="store_true", help="run as a Russian user (ru_RU.UTF-8)")
    args = parser.parse_args()

    os.environ["NIMBRA_E2E_CONFIG"] = args.config
    os.environ["WINEPREFIX"] = args.prefix
    if args.auto:
        # A private Xvfb: the robot's boxes never reach a person's screen.
        os.environ.pop("DISPLAY", None)
    cfg = config_module.load()
    if cfg.installer is None:
        sys.exit("demo.py: the build has no installer")
    session = WineSession(args.prefix, Path(args.prefix).parent / "work", cfg.wine).start()
    locale = RUSSIAN if args.russian else ENGLISH

    install, registry = prepare(session, cfg)
    exit_code = (run_auto if args.auto else run_interactive)(session, cfg, locale)
    report(exit_code, install, registry)
    return 0 if exit_code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
