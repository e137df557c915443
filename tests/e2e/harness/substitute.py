"""A running substitute Nimbra (nimbra.exe --serve) in an installation.

    with RunningNimbra(session, install, probe, quit_delay_ms=700) as nimbra:
        ... run the installer ...
    nimbra.events()          # started, ready, quit-received, file-released, ...
    nimbra.event("quit-received")["unix_ms"]

It runs the installation's own nimbra.exe, and by default it holds that
folder's pack (install.pack_name, e.g. dwix.cok) with no sharing. On leaving the block a substitute that is
still running is asked to quit like the installer does (WM_QUIT to its
window), and killed if it does not end.
"""

import subprocess
import time
import uuid

from .installation import read_json_lines

WINDOW_CLASS = "TNimbraMainForm"
MAPPING_NAME = "nimbra_memfile"

# Its exit codes.
ENDED, BAD_OPTIONS, HOLD_FAILED, NO_WINDOW, LIFETIME_EXPIRED = 0, 1, 2, 3, 4


class SubstituteError(RuntimeError):
    pass


class RunningNimbra:
    def __init__(self, session, install, probe, quit_delay_ms=0, hold=True, hold_path=None, window=True,
                 mapping=True, lifetime_ms=120000, locale=None):
        self.session = session
        self.install = install
        self.probe = probe
        self.window = window
        self.log_path = session.work_dir / ("nimbra-%s.log" % uuid.uuid4().hex)
        self.arguments = ["--serve", "--log", session.windows_path(self.log_path),
                          "--quit-delay-ms", str(quit_delay_ms), "--lifetime-ms", str(lifetime_ms)]
        if not hold:
            self.arguments.append("--no-hold")
        else:
            self.arguments += ["--hold", hold_path or install.windows_path(install.pack_name)]
        if not window:
            self.arguments.append("--no-window")
        if not mapping:
            self.arguments.append("--no-mapping")
        self.locale = locale
        self.process = None

    def start(self, timeout=30):
        kwargs = {"locale": self.locale} if self.locale else {}
        self.process = self.session.spawn(self.install.windows_path("nimbra.exe"), self.arguments, **kwargs)
        deadline = time.monotonic() + timeout
        while not self.event("ready"):
            if self.process.poll() is not None:
                raise SubstituteError("nimbra.exe ended with %s before it was ready: %s"
                                      % (self.process.returncode, self.events()))
            if time.monotonic() > deadline:
                raise SubstituteError("nimbra.exe was not ready within %s s" % timeout)
            time.sleep(0.02)
        return self

    def events(self):
        return read_json_lines(self.log_path)

    def event(self, name):
        """The first logged event of that name, or None."""
        return next((e for e in self.events() if e["event"] == name), None)

    def event_names(self):
        return [e["event"] for e in self.events()]

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait(self, timeout=30):
        """Its exit code once it has ended; None when it still runs after the time."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def ask_to_quit(self):
        """WM_QUIT to its window, as the installer posts it; False without a window."""
        return self.session.run(self.probe, ["post-quit", WINDOW_CLASS]).returncode == 0

    def stop(self):
        if not self.running():
            return
        if not (self.window and self.ask_to_quit() and self.wait(10) is not None):
            self.process.kill()
            self.process.wait(10)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
