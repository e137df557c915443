"""What every whole-run test needs: the installer's exit codes, the texts its
boxes show with the sample language files, and checks of what a run left.

    class InteractiveRun(UpdateRunTestCase):
        def test_...(self):
            self.install.create(pack_version=5)
            self.set_last_run_folder()
            run = self.run_installer(answers=[YES, YES])
            self.assertBoxes(run, [self.installask(), self.final_question()])
            self.assertPackInstalled()
"""

import os
import re
import sys
import time
from pathlib import Path

from . import registry as reg
from .case import InstallerTestCase
from .installation import PACK_MAGIC, STARTED_LOG

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "scripts"))
import exit_codes  # noqa: E402

# The installer's exit codes, those of the Windows Installer, from the table
# the program is compiled from (src/deployment/exit_codes.def).
_CODES = exit_codes.by_name()
INSTALLED = _CODES["Installed"]
NOT_ADMINISTRATOR = _CODES["NotAdministrator"]
DECLINED = _CODES["Declined"]
FAILED = _CODES["Failed"]
NOT_INSTALLED = _CODES["NotInstalled"]
PACK_IN_USE = _CODES["PackInUse"]
RESTART_REQUIRED = _CODES["RestartRequired"]
INSTALLER_DAMAGED = _CODES["InstallerDamaged"]

# The desktop shell starts Nimbra after the installer has asked it to, not
# before the installer ends: how long a test waits for the start to show.
START_WAIT_SECONDS = 15

ENGLISH_TEXTS = {
    "soundquest": "Nimbra sound pack",
    "liveupdatecaption": "Nimbra Live Update",
    "crickets": "Crickets",
    "birds": "Birds",
    "installask": "%1 is going to install the sound pack %2.\r\nDo you want to continue?",
    "olderfilever": "The installed file %1 is newer than the one in this update.\r\n"
                    "Do you want to replace it with the older one?",
    "installdone": "%1 has been installed.",
    "asktorun": "Do you want to start Nimbra now?",
    "filecantopen": "Can't open the file %1.\r\nPlease close Nimbra and try again.",
    "codepage": "cp1252",
}

RUSSIAN_TEXTS = {
    "soundquest": "Звуковой пакет программы \"Нимбра\"",
    "liveupdatecaption": "Обновление \"Нимбры\"",
    "crickets": "Сверчки",
    "birds": "Птицы",
    "installask": "%1 установит звуковой пакет %2.\r\nПродолжить?",
    "olderfilever": "Установленный файл %1 новее, чем файл этого обновления.\r\nЗаменить его более старым?",
    "installdone": "%1: установка завершена.",
    "asktorun": "Запустить программу \"Нимбра\" сейчас?",
    "filecantopen": "Не удаётся открыть файл %1.\r\nЗакройте программу \"Нимбра\" и повторите попытку.",
    "codepage": "cp1251",
}

# A line of the installer's log: local ISO 8601 time to the millisecond, a blank, the record.
LOG_LINE = re.compile(r"^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d) (.*)$")

NO_NIMBRA_ENGLISH = "There's no Nimbra installed.\r\nPlease install the program first."
ENGLISH_TITLE = "Nimbra update"
# The built-in Russian texts and program title, as a user reads them.
RUSSIAN_TITLE = "Обновление программы \"Нимбра\""
NO_FILE_RUSSIAN = "Работа без файла %1 невозможна!\r\nПожалуйста, переустановите программу."
CANNOT_INSTALL_RUSSIAN = "Не удается установить файл %1"
DAMAGED_ENGLISH = ("The installer is damaged: the sound pack it carries failed its check.\r\n"
                   "Please download the installer again.")


def fill(text, *arguments):
    for number, argument in enumerate(arguments, 1):
        text = text.replace("%%%d" % number, argument)
    return text


class UpdateRunTestCase(InstallerTestCase):
    texts = ENGLISH_TEXTS

    # --- the boxes, as assertBoxes wants them -----------------------------

    def _encode(self, text):
        return text.encode(self.texts["codepage"])

    def question(self, caption, text):
        return dict(caption_bytes=self._encode(caption), text_bytes=self._encode(text), buttons=["no", "yes"])

    def carried_name(self):
        """The pack as the questions name it: its name in the language files
        and its version, "Crickets 6"."""
        return "%s %d" % (self.texts[self.carried.key], self.carried.version)

    def olderfilever(self):
        t = self.texts
        return self.question(t["soundquest"], fill(t["olderfilever"], self.carried.file))

    def installask(self):
        t = self.texts
        return self.question(t["soundquest"], fill(t["installask"], t["liveupdatecaption"], self.carried_name()))

    def final_question(self):
        t = self.texts
        done = "%s (%s)" % (t["liveupdatecaption"], self.carried_name())
        return self.question(t["liveupdatecaption"], fill(t["installdone"], done) + "\r\n\r\n" + t["asktorun"])

    def offer_to_start(self):
        """The final question after a failed write: it claims no installation."""
        t = self.texts
        return self.question(t["liveupdatecaption"], t["asktorun"])

    def english_error(self, text):
        return dict(caption=ENGLISH_TITLE, text_bytes=text.encode("cp1252"), buttons=["ok"])

    # --- what the run left ------------------------------------------------

    def folder_kib(self):
        """The folder's size in KiB as the installer measured it: before the
        started substitute appended its start log."""
        files = [p for p in self.install.folder.rglob("*") if p.is_file() and p.name != STARTED_LOG]
        return sum(p.stat().st_size for p in files) >> 10

    def log_argument(self, name="pack.log"):
        """The argument log=PATH for a fresh log in the test's folder (beside the installation)."""
        (self.install.folder.parent / name).unlink(missing_ok=True)
        return "log=" + self.install.windows_folder.rstrip("\\").rsplit("\\", 1)[0] + "\\" + name

    def log_records(self, name="pack.log"):
        """The records of the log (without their timestamps), after checking
        that every line is UTF-8, ends with CR LF and starts with a timestamp."""
        path = self.install.folder.parent / name
        if not path.exists():
            return None
        text = path.read_bytes().decode("utf-8")
        self.assertTrue(text.endswith("\r\n"), text)
        records = []
        for line in text[:-2].split("\r\n"):
            match = LOG_LINE.match(line)
            self.assertIsNotNone(match, line)
            records.append(match.group(2))
        if os.environ.get("NIMBRA_E2E_SHOW") == "1":
            print("[log] " + "\n[log] ".join(records))
        return records

    def pack_version_value(self):
        """The detection value "dwix.cok version" of the uninstall entry (64-bit view), or None."""
        value = self.registry.value(reg.UNINSTALL_KEY, self.carried.file + " version")
        return None if value is None else value.data

    def assertPackInstalled(self):
        pack = self.install.pack()
        self.assertIsNotNone(pack, "no %s in the installation" % self.carried.file)
        self.assertEqual(pack[:5], PACK_MAGIC + bytes([self.carried.version + 32]))
        built = self.carried.path.read_bytes()
        self.assertEqual(len(pack), len(built))
        self.assertTrue(pack == built, "the installed pack differs from the carried one")
        self.assertEqual(self.estimated_size(), self.folder_kib())

    def assertNothingWritten(self, installed_version):
        self.assertEqual(self.install.pack_version(), installed_version)
        self.assertIsNone(self.estimated_size())

    def wait_for_starts(self, seconds=START_WAIT_SECONDS):
        deadline = time.monotonic() + seconds
        while not self.install.starts() and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.install.starts()

    def assertNimbraNotStartedThroughTheElevatedShell(self, log="pack.log"):
        """The installer went to start Nimbra, and refused the desktop shell:
        every Wine process is elevated, so the installer never starts Nimbra
        itself, and Wine's shell is elevated too, so Nimbra would get its
        administrator rights. Its log (log_argument(log)) says so. The route
        through the shell itself is shown by win32.ProcessesTest."""
        self.assertIn("Nimbra not started: the desktop shell runs elevated, and Nimbra would have its administrator "
                      "rights: %sNimbra.exe (step 6, 0x00000000)" % self.install.windows_folder, self.log_records(log))
        self.assertNimbraNotStarted()

    def assertNimbraNotStarted(self):
        self.assertEqual(self.wait_for_starts(seconds=1), [])
