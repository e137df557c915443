"""What deployment tools run: quiet modest runs that end with the Windows
Installer's exit codes and never show a box, the log, the usage box and the
detection value. (1602 cannot happen in a quiet run, which asks nothing: it is
covered by the native tests and by the interactive runs.)"""

import os
import re
import unittest

from harness.case import RUSSIAN
from harness.robot import NO, OK
from harness.update_run import (FAILED, INSTALLED, NO_NIMBRA_ENGLISH, NOT_ADMINISTRATOR, NOT_INSTALLED,
                                RESTART_REQUIRED, UpdateRunTestCase)

# A quiet run that shows no box ends within seconds; a held pack adds the 17
# attempts of 256 ms of the write's wait.
QUICK_S = 15
NO_RIGHTS_ENGLISH = ("You need administrator rights to install this update.\r\n"
                     "Please log on as an administrator and try again.")
HELD_PACK_S = 17 * 0.256


class QuietRun(UpdateRunTestCase):
    def setUp(self):
        super().setUp()
        self.set_last_run_folder()

    def run_quietly(self, *arguments, cwd=None):
        # A box would be dismissed by the robot after its time-out: any box fails the test.
        run = self.run_installer("modest", *arguments, answers=[NO, NO, NO], timeout_ms=30000, cwd=cwd)
        self.assertNoBoxes(run)
        if os.environ.get("NIMBRA_E2E_FIGURES"):
            print("\n  %s: exit code %s after %.2f s" % (" ".join(arguments), run.exit_code, run.seconds))
        return run

    def test_success_installs_records_the_pack_version_goes_to_start_nimbra_and_logs_each_step(self):
        self.install.create(pack_version=5)
        log = self.log_argument()
        run = self.run_quietly("runapp", "quiet", log)
        self.assertEndedNormally(run, INSTALLED)
        self.assertLess(run.seconds, QUICK_S)
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()
        self.assertEqual(self.pack_version_value(), 6)
        folder, pack = self.install.windows_folder, self.install.windows_path("dwix.cok")
        records = self.log_records()
        self.assertRegex(records[0], r"^command line: .*nimbra-pack-update\.exe\"? modest runapp quiet " +
                         log.replace("\\", "\\\\") + "$")
        self.assertEqual(records[1:], [
            "installer 1.0.0, carrying dwix.cok (key \"crickets\", version 6)",
            "installation folder %s (from \"TheLastRunFolder\")" % folder,
            "installed pack version 5",
            "pack written: " + pack,
            "\"EstimatedSize\" = %d KiB" % self.folder_kib(),
            "\"dwix.cok version\" = 6",
            "Nimbra not started: the desktop shell runs elevated, and Nimbra would have its administrator rights: "
            "%sNimbra.exe (step 6, 0x00000000)" % folder,
            "exit code 0"])

    def test_missing_nimbra_ends_with_1605_and_logs_the_error_it_did_not_show(self):
        self.install.create(nimbra=False, pack_version=5)
        run = self.run_quietly("runapp", "QUIET", self.log_argument())
        self.assertEndedNormally(run, NOT_INSTALLED)
        self.assertLess(run.seconds, QUICK_S)
        self.assertNothingWritten(installed_version=5)
        self.assertIsNone(self.pack_version_value())
        records = self.log_records()
        self.assertEqual(records[-2:], [
            "error \"Nimbra update\": %s (quiet: not shown)" % NO_NIMBRA_ENGLISH.replace("\r\n", " | "),
            "exit code 1605"])

    def held_run(self):
        """A quiet run while a Nimbra that never lets go holds the pack: it
        leaves the new pack to replace the held one at the next restart."""
        nimbra = self.start_nimbra(quit_delay_ms=600000)
        self.addCleanup(nimbra.process.kill)
        run = self.run_quietly("x", "quiet", self.log_argument())
        self.assertEndedNormally(run, RESTART_REQUIRED)
        self.assertGreaterEqual(run.seconds, HELD_PACK_S)
        self.assertLess(run.seconds, HELD_PACK_S + QUICK_S)
        self.assertEqual(self.install.pack_version(), 5)
        self.assertEqual(self.pack_version_value(), 6)
        self.assertIsNotNone(self.estimated_size())
        waiting = self.waiting_packs()
        self.assertEqual(len(waiting), 1, waiting)
        self.assertTrue(waiting[0].read_bytes() == self.carried.path.read_bytes())
        pack = self.install.windows_path("dwix.cok")
        records = self.log_records()
        registered = re.compile(r"^pack in use by another program \(error (5|32)\): its replacement by %s is registered "
                                r"for the next restart of Windows: %s$" % (re.escape(waiting[0].name), re.escape(pack)))
        self.assertEqual(len([record for record in records if registered.match(record)]), 1, records)
        for expected in ["Nimbra is running: asked it to quit",
                         "installed pack: cannot be opened (error 32)",
                         "\"dwix.cok version\" = 6",
                         "Nimbra not started: argument 2 is not \"runapp\"",
                         "exit code 3010"]:
            self.assertIn(expected, records)
        self.assertFalse(any("Can't install file" in record for record in records), records)
        nimbra.process.kill()
        nimbra.process.wait(10)
        return waiting[0]

    def waiting_packs(self):
        return sorted(p for p in self.install.folder.iterdir() if p.name.startswith("dwix.cok.") and p.suffix == ".new")

    def restart_windows(self):
        completed = self.session.run("wineboot", ["-r"], timeout=180)
        self.assertEqual(completed.returncode, 0, completed.stderr[-2000:])

    def test_pack_held_for_ever_is_replaced_at_the_next_restart_with_3010(self):
        self.install.create(pack_version=5)
        self.held_run()
        self.restart_windows()
        self.assertPackInstalled()
        self.assertEqual(self.waiting_packs(), [])

    def test_a_later_free_run_before_the_restart_wins(self):
        self.install.create(pack_version=5)
        waiting = self.held_run()
        run = self.run_quietly("x", "quiet")
        self.assertEndedNormally(run, INSTALLED)
        self.assertFalse(waiting.exists())
        # Nimbra's own later update of the pack: the restart must not undo it.
        self.install.write_pack(9)
        self.restart_windows()
        self.assertEqual(self.install.pack_version(), 9)
        self.assertEqual(self.waiting_packs(), [])

    def test_without_administrator_rights_ends_with_740_and_writes_nothing(self):
        # Started as an administrator's programs start without elevation.
        self.install.create(pack_version=5)
        run = self.run_installer("modest", "runapp", "quiet", self.log_argument(), answers=[NO], unelevated=True)
        self.assertEndedNormally(run, NOT_ADMINISTRATOR)
        self.assertNoBoxes(run)
        self.assertNothingWritten(installed_version=5)
        self.assertNimbraNotStarted()
        self.assertEqual(self.log_records()[-2:], [
            "error \"Nimbra\": %s (quiet: not shown)" % NO_RIGHTS_ENGLISH.replace("\r\n", " | "),
            "exit code 740"])
        # Asked, the user is told why, under the name the language file gives.
        run = self.run_installer(answers=[OK], unelevated=True)
        self.assertEndedNormally(run, NOT_ADMINISTRATOR)
        self.assertBoxes(run, [dict(caption="Nimbra", text_bytes=NO_RIGHTS_ENGLISH.encode("cp1252"), buttons=["ok"])])
        self.assertNothingWritten(installed_version=5)

    def test_a_log_path_that_names_no_log_is_left_as_it_is_and_the_run_goes_on(self):
        # The command line is the user's: the elevated installer writes logs only.
        self.install.create(pack_version=5)
        folder = self.install.folder.parent
        (folder / "settings.txt").write_bytes(b"[keep]\r\n")
        windows_folder = self.install.windows_folder.rstrip("\\").rsplit("\\", 1)[0]
        for name in ("settings.txt", "x.cmd"):
            run = self.run_quietly("x", "quiet", "log=%s\\%s" % (windows_folder, name), '"&calc&"')
            self.assertEndedNormally(run, INSTALLED)
        # Nor is a pipe opened, or a path relative to the current folder.
        for path in (r"\\.\pipe\nimbra.log", "relative.log"):
            run = self.run_quietly("x", "quiet", "log=" + path, cwd=windows_folder)
            self.assertEndedNormally(run, INSTALLED)
        self.assertEqual((folder / "settings.txt").read_bytes(), b"[keep]\r\n")
        self.assertFalse((folder / "x.cmd").exists())
        self.assertFalse((folder / "relative.log").exists())
        self.assertPackInstalled()

    def test_every_other_failure_ends_with_1603(self):
        # Language files unusable, and a write that fails (a folder where the pack belongs).
        for arrange in (lambda: self.install.create(languages=("russian.lng",), pack_version=5),
                        lambda: (self.install.create(pack_version=None), self.install.path("dwix.cok").mkdir())):
            arrange()
            run = self.run_quietly("runapp", "quiet")
            self.assertEndedNormally(run, FAILED)
            self.assertLess(run.seconds, QUICK_S)
            self.assertIsNone(self.pack_version_value())

    def test_without_quiet_the_modest_run_still_shows_its_error(self):
        self.install.create(nimbra=False, pack_version=5)
        run = self.run_installer("modest", "runapp", answers=[OK])
        self.assertEndedNormally(run, NOT_INSTALLED)
        self.assertBoxes(run, [self.english_error(NO_NIMBRA_ENGLISH)])


class Help(UpdateRunTestCase):
    def assertUsage(self, locale, title, first_words, ok_text):
        for word in ("/?", "-?", "/help", "-h", "--help"):
            run = self.run_installer(word, answers=[OK], locale=locale)
            self.assertEndedNormally(run, INSTALLED)
            self.assertEqual(len(run.boxes), 1, word)
            box = run.boxes[0]
            self.assertEqual(box.button_ids, ["ok"])
            self.assertEqual(box.buttons["ok"], ok_text)
            self.assertEqual(box.caption, title)
            self.assertTrue(box.text.startswith(first_words), box.text)
            for code in ("0", "1602", "1603", "1605", "1618", "1620", "3010", "740"):
                self.assertIn("\r\n%s - " % code, box.text)
            self.assertIsNone(self.registry.values(r"HKEY_CURRENT_USER\Software\Tarvel\Nimbra"))

    def test_help_shows_the_english_usage_and_creates_no_registry_key(self):
        self.assertUsage(None, "Nimbra update", "Installs the sound pack dwix.cok (crickets 6)", "OK")

    def test_help_for_a_russian_user_is_russian(self):
        self.assertUsage(RUSSIAN, "Обновление программы \"Нимбра\"", "Устанавливает звуковой пакет dwix.cok",
                         "ОК")


if __name__ == "__main__":
    unittest.main()
