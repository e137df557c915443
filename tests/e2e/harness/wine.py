"""The Wine session of the end-to-end tests: prefix, display, server, paths.

One session per test process. It uses $WINEPREFIX when set (scripts/wine-env.sh
sets it), else the prefix named by the configuration; it creates the prefix
when it is missing, starts a private Xvfb when no display is set, and keeps
the wineserver alive between the short Wine processes of a test run.

Every Wine process gets its output in files, never in pipes: Wine's own
service processes, started by the first program of a session, inherit the
standard handles and would keep a pipe open long after the program ended.
"""

import atexit
import fcntl
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path, PureWindowsPath

ENGLISH = "en_US.UTF-8"   # LCID 1033, ANSI code page 1252
RUSSIAN = "ru_RU.UTF-8"   # LCID 1049, ANSI code page 1251
GERMAN = "de_DE.UTF-8"    # LCID 1031, ANSI code page 1252
KAZAKH = "kk_KZ.UTF-8"    # LCID 1087 (Cyrillic UI), ANSI code page 65001 (UTF-8)

# Without a window manager under Xvfb every closed window costs about 2 s
# unless Wine's windows are unmanaged.
_X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"
# The crash debugger kept out of the prefix for good, whatever a process's
# WINEDLLOVERRIDES says (an empty override disables the program).
_DLL_OVERRIDES_KEY = r"HKCU\Software\Wine\DllOverrides"
# The marker and lock that scripts/wine-env.sh uses, so that both cooperate.
_READY_MARKER = ".nimbra-ready"
# Seconds the wineserver outlives its last program: more than the gaps between
# tests, little enough that a final "wineserver -w" does not wait long.
_SERVER_PERSISTENCE = 5


# No Mono or Gecko (they would prompt for downloads), and no crash debugger:
# under qemu-i386 "winedbg --auto" never ends, and whatever waits for it
# (wineserver -w) would wait for ever. A crashing program just ends.
DLL_OVERRIDES = "mscoree,mshtml=;winedbg.exe=d"
# What qemu-i386 adds to the environment of the programs it emulates (see
# scripts/wine-env.sh); natively nothing reads it.
QEMU_GUEST_ENVIRONMENT = "LD_PRELOAD=/usr/$LIB/libgcc_s.so.1"
# The longest any one step of making a prefix or starting its server may take;
# a prefix is made in about 25 s, under emulation too.
_STEP_TIMEOUT = 300


# Wine's own tools (reg, cmd) in a win64 prefix: run by the 64-bit loader they
# are 64-bit programs and run natively; by the 32-bit one they would be the
# 32-bit copies, under qemu-i386 several times slower.
_WINE_TOOLS = ("reg", "cmd")
_WINE64 = "/usr/lib/wine/wine64"


def _loader(program, wine):
    if str(program) in _WINE_TOOLS and os.path.exists(_WINE64):
        return _WINE64
    return wine


class WineError(RuntimeError):
    pass


def _bounded_run(command, env, timeout):
    """Runs a Wine command with its output discarded; on a time-out, ends the
    command and everything of the prefix's server, and raises WineError."""
    try:
        subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout, check=False)
    except subprocess.TimeoutExpired:
        subprocess.run([shutil.which("wineserver") or "wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30, check=False)
        raise WineError("%s did not end within %d s (prefix %s)" % (" ".join(map(str, command)), timeout,
                                                                    env.get("WINEPREFIX")))


def create_prefix(prefix, env, wine="wine", wineserver="wineserver"):
    """Makes the Wine prefix once (a marker says it is ready; a lock lets
    several processes share it). Each step is bounded in time. The session
    that made the prefix is ended: Wine's desktop serves the shell's windows
    (the route by which the installer starts Nimbra) only in a server session
    started after the prefix was made."""
    prefix = Path(prefix)
    env = dict(env, WINEPREFIX=str(prefix))
    with open(str(prefix) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (prefix / _READY_MARKER).exists():
            return
        shutil.rmtree(prefix, ignore_errors=True)
        _bounded_run(["wineboot", "-i"], env, _STEP_TIMEOUT)
        _bounded_run([wineserver, "-w"], env, _STEP_TIMEOUT)
        for key, name, data in ((_X11_DRIVER_KEY, "Managed", "N"), (_DLL_OVERRIDES_KEY, "winedbg.exe", "")):
            _bounded_run([_loader("reg", wine), "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f"], env,
                         _STEP_TIMEOUT)
        _bounded_run([wineserver, "-w"], env, _STEP_TIMEOUT)
        if not (prefix / "system.reg").exists():
            raise WineError("wineboot made no prefix at %s" % prefix)
        (prefix / _READY_MARKER).touch()


# WINEDEBUG for loaded_dlls: every trace line starts with "pid:tid:".
LOADDLL_DEBUG = "-all,+pid,+loaddll"
_LOADED = re.compile(rb'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"([^"]+)"', re.MULTILINE)


def loaded_dlls(stderr, program):
    """The DLLs that program (its path or file name) loaded in a run under
    LOADDLL_DEBUG, in order, as lower-case file names ("kernel32.dll"). The
    loads of other processes (its children, Wine's services) are left out."""
    loads = [(pid, path.decode("utf-8", "replace").replace("\\\\", "\\").rsplit("\\", 1)[-1].lower())
             for pid, path in _LOADED.findall(stderr)]
    name = PureWindowsPath(str(program)).name.lower()
    own = next((pid for pid, loaded in loads if loaded == name), None)
    return [loaded for pid, loaded in loads if pid == own and loaded != name]


class Completed:
    """The end of a Wine process: exit code and what it wrote."""

    def __init__(self, returncode, stdout, stderr, seconds):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.seconds = seconds


class WineSession:
    def __init__(self, prefix, work_dir, wine="wine"):
        self.prefix = Path(prefix).resolve()
        self.work_dir = Path(work_dir).resolve()
        self.wine = wine
        self.wineserver = shutil.which("wineserver") or "wineserver"
        self._xvfb = None
        self.work_dir.mkdir(parents=True, exist_ok=True)

    # --- set-up -----------------------------------------------------------

    def start(self):
        self._ensure_display()
        self._ensure_prefix()
        self._ensure_server()
        return self

    def _ensure_display(self):
        if os.environ.get("DISPLAY"):
            return
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as displayfd:
            number = displayfd.readline().strip()
        if not number:
            raise WineError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number
        atexit.register(self._stop_display)

    def _stop_display(self):
        if self._xvfb and self._xvfb.poll() is None:
            self._xvfb.terminate()
            self._xvfb.wait(10)

    def _ensure_prefix(self):
        create_prefix(self.prefix, self.environment(), self.wine, self.wineserver)

    def _ensure_server(self):
        # Under ctest a fixture keeps the server and Wine's services running
        # (tests/win32/wine_session.sh); else each later program would pay
        # about 2 s for a new server and the services.
        if os.environ.get("NIMBRA_WINESERVER_UP") == "1":
            return
        _bounded_run([self.wineserver, "-p%d" % _SERVER_PERSISTENCE], self.environment(), 30)
        _bounded_run([_loader("cmd", self.wine), "cmd", "/c", "exit"], self.environment(), _STEP_TIMEOUT)

    # --- processes --------------------------------------------------------

    def environment(self, locale=ENGLISH, extra=None):
        """The Unix environment of a Wine process. The locale decides the
        user's LCID and the ANSI code page (LC_ALL, not only LANG)."""
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": DLL_OVERRIDES,
            "QEMU_SET_ENV": QEMU_GUEST_ENVIRONMENT,
            "LC_ALL": locale,
            "LANG": locale,
        })
        env.update(extra or {})
        return env

    def run(self, program, arguments=(), locale=ENGLISH, timeout=120, cwd=None, extra_env=None):
        """Runs a Windows program to its end; program is a Unix or Windows path
        or a name Wine finds (reg, cmd). extra_env: Unix variables to add or
        replace, e.g. {"WINEDEBUG": LOADDLL_DEBUG}."""
        with tempfile.TemporaryFile(dir=self.work_dir) as out, tempfile.TemporaryFile(dir=self.work_dir) as err:
            started = time.monotonic()
            result = subprocess.run([_loader(program, self.wine), str(program), *map(str, arguments)],
                                    env=self.environment(locale, extra_env),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout,
                                    cwd=cwd, check=False)
            seconds = time.monotonic() - started
            out.seek(0)
            err.seek(0)
            return Completed(result.returncode, out.read(), err.read(), seconds)

    def spawn(self, program, arguments=(), locale=ENGLISH):
        """Starts a Windows program and returns at once (subprocess.Popen)."""
        return subprocess.Popen([self.wine, str(program), *map(str, arguments)], env=self.environment(locale),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # --- paths ------------------------------------------------------------

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def windows_path(self, unix_path):
        """The Windows path of a Unix path: C:\\ inside drive_c, else Z:\\."""
        path = Path(unix_path).resolve()
        try:
            inside = path.relative_to(self.drive_c.resolve())
            return str(PureWindowsPath("C:\\", *inside.parts))
        except ValueError:
            return "Z:" + str(path).replace("/", "\\")

    def unix_path(self, windows_path):
        """The Unix path of a path on C:\\ (the only drive the tests lay out)."""
        path = PureWindowsPath(windows_path)
        if path.drive.upper() != "C:":
            raise ValueError("not on drive C: " + windows_path)
        return self.drive_c.joinpath(*path.parts[1:])


if __name__ == "__main__":
    # python3 wine.py PREFIX: makes the prefix (scripts/wine-env.sh), under a
    # private Xvfb when no display is set.
    import sys
    try:
        session = WineSession(sys.argv[1], Path(sys.argv[1]).parent)
        session._ensure_display()
        session._ensure_prefix()
    except (WineError, IndexError) as error:
        sys.exit("wine.py: %s" % (error or "usage: python3 wine.py PREFIX"))
