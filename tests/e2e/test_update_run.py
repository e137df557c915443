"""The whole update run of the real installer, interactive and modest, in a
prepared installation with the sample English language files."""

import os
import shutil
import time
import unittest

from harness.installation import PACK_NAME, pack_bytes
from harness import wine
from harness import registry as reg
from harness.robot import NO, OK, YES
from harness.update_run import (DECLINED, FAILED, INSTALLED, NO_NIMBRA_ENGLISH, NOT_INSTALLED, UpdateRunTestCase)

ENVIRONMENT_KEY = reg.HKCU + r"\Environment"
DEBUG_KEY = reg.HKCU + r"\Software\Wine\Debug"
# The installer's imports (kernel32, advapi32, msvcrt) and what Wine loads for them.
IMPORTED_CLOSURE = {"kernelbase.dll", "kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "sechost.dll", "advapi32.dll"}


class InteractiveRun(UpdateRunTestCase):
    def setUp(self):
        super().setUp()
        self.set_last_run_folder()

    def test_older_installed_pack_is_replaced_after_two_yes_and_nimbra_is_to_be_started(self):
        self.install.create(pack_version=5)
        run = self.run_installer(self.log_argument(), answers=[YES, YES])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_equal_installed_version_asks_only_installask_and_the_final_question(self):
        self.install.create(pack_version=self.carried.version)
        run = self.run_installer(answers=[YES, NO])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])
        self.assertPackInstalled()
        self.assertNimbraNotStarted()

    def test_newer_installed_pack_kept_when_olderfilever_is_answered_no(self):
        newer = self.carried.version + 1
        self.install.create(pack_version=newer)
        run = self.run_installer(answers=[NO])
        self.assertEndedNormally(run, DECLINED)
        self.assertBoxes(run, [self.olderfilever()])
        self.assertNothingWritten(installed_version=newer)
        self.assertNimbraNotStarted()

    def test_newer_installed_pack_replaced_when_olderfilever_is_answered_yes(self):
        self.install.create(pack_version=self.carried.version + 1)
        run = self.run_installer(answers=[YES, YES, NO])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.olderfilever(), self.installask(), self.final_question()])
        self.assertPackInstalled()
        self.assertNimbraNotStarted()

    def test_no_to_installask_writes_nothing(self):
        self.install.create(pack_version=5)
        run = self.run_installer(answers=[NO])
        self.assertEndedNormally(run, DECLINED)
        self.assertBoxes(run, [self.installask()])
        self.assertNothingWritten(installed_version=5)
        self.assertNimbraNotStarted()

    def test_without_installed_pack_installask_is_asked_and_the_pack_written(self):
        self.install.create(pack_version=None)
        run = self.run_installer(self.log_argument(), answers=[YES, YES])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()


class ModestRun(UpdateRunTestCase):
    def setUp(self):
        super().setUp()
        self.install.create(pack_version=5)
        self.set_last_run_folder()

    def test_upper_case_modest_runapp_installs_silently_and_goes_to_start_nimbra(self):
        run = self.run_installer("MODEST", "RunApp", self.log_argument())
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_modest_alone_installs_silently_without_starting_nimbra(self):
        run = self.run_installer("modest")
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStarted()

    def test_modest_alone_loads_no_gui_library(self):
        # Started directly, not under the robot, so that the DLLs traced are
        # the installer's own: nothing to show and nothing to start needs
        # user32, gdi32 or shell32.
        installer = self.requireInstaller()
        completed = self.session.run(installer, ["modest"], extra_env={"WINEDEBUG": wine.LOADDLL_DEBUG})
        self.assertEqual(completed.returncode, INSTALLED)
        self.assertPackInstalled()
        loaded = wine.loaded_dlls(completed.stderr, installer)
        self.assertIn("advapi32.dll", loaded)
        self.assertFalse({"user32.dll", "gdi32.dll", "shell32.dll"} & set(loaded), loaded)

    def test_no_library_but_the_imports_loads_before_win_main(self):
        # WinMain's first call to the system is SetDefaultDllDirectories: the
        # relay trace of that one function marks where the program's own code
        # begins. Before it, only what the imports name may be loaded: the
        # compiler's start-up code once pulled in the crypto libraries there,
        # before the search for DLLs was restricted.
        installer = self.requireInstaller()
        relay = reg.RegistryBatch().set_string(DEBUG_KEY, "RelayInclude", "SetDefaultDllDirectories")
        self.registry.apply(relay)
        self.addCleanup(self.registry.apply, reg.RegistryBatch().delete_value(DEBUG_KEY, "RelayInclude"))
        completed = self.session.run(installer, ["modest"],
                                     extra_env={"WINEDEBUG": wine.LOADDLL_DEBUG + ",+relay"})
        self.assertEqual(completed.returncode, INSTALLED)
        marker = completed.stderr.find(b"SetDefaultDllDirectories(")
        self.assertGreaterEqual(marker, 0, "no call of SetDefaultDllDirectories traced")
        before = wine.loaded_dlls(completed.stderr[:marker], installer)
        self.assertIn("advapi32.dll", before)
        self.assertLessEqual(set(before), IMPORTED_CLOSURE, before)

    def test_modest_with_another_second_argument_does_not_start_nimbra(self):
        run = self.run_installer("modest", "runapps")
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStarted()


class InstallationFolder(UpdateRunTestCase):
    def test_last_run_folder_without_trailing_backslash_is_completed(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder(self.install.windows_folder.rstrip("\\"))
        run = self.run_installer("modest", "runapp", self.log_argument())
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_without_last_run_folder_the_uninstall_entry_names_the_folder(self):
        self.install.create(pack_version=5)
        self.set_uninstall_string(self.install.windows_path("uninst.exe"))
        run = self.run_installer("modest", "runapp", self.log_argument())
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_a_folder_named_in_another_form_than_drive_or_share_is_no_installation(self):
        # "\\?\GLOBALROOT\" reaches object-manager links that any user may
        # make; "\\?\C:\" is the real folder in the same family of forms.
        self.install.create(pack_version=5)
        for folder in ("\\\\?\\GLOBALROOT\\RPC Control\\", "\\\\?\\" + self.install.windows_folder):
            self.set_last_run_folder(folder)
            run = self.run_installer(answers=[YES, YES])
            self.assertEndedNormally(run, NOT_INSTALLED)
            self.assertBoxes(run, [self.english_error(NO_NIMBRA_ENGLISH)])
        self.assertNothingWritten(installed_version=5)
        self.assertNimbraNotStarted()

    def test_a_folder_that_is_a_link_or_is_reached_through_one_is_no_installation(self):
        # A link can be re-pointed at any moment: only a folder at its path itself is opened.
        self.install.create(pack_version=5)
        parent = self.install.windows_folder.rstrip("\\").rsplit("\\", 1)[0]
        os.symlink(self.install.folder, self.install.folder.parent / "link")
        os.symlink(self.install.folder.parent, self.install.folder.parent / "way")
        for folder in (parent + "\\link", parent + "\\way\\" + self.install.folder.name):
            self.set_last_run_folder(folder)
            run = self.run_installer(self.log_argument(), answers=[YES, YES])
            self.assertEndedNormally(run, NOT_INSTALLED)
            self.assertBoxes(run, [self.english_error(NO_NIMBRA_ENGLISH)])
            self.assertIn("installation folder refused: a link, or reached through one (error 1920)",
                          self.log_records())
        self.assertNothingWritten(installed_version=5)
        self.assertNimbraNotStarted()

    def test_temporaries_an_earlier_run_left_are_removed_and_other_files_kept(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        carried = self.carried.path.read_bytes()
        # Cut short mid-write, before the rename, and another installer's
        # version left waiting for a restart: each is a pack's, so each goes.
        left = {"dwix.cok.abcdefgh.new": carried[:70000], "dwix.cok.zzzzzzzz.new": carried,
                "dwix.cok.pppppppp.new": b"dwix\x27" + b"another pack" * 1000}
        kept = {"dwix.cok.qqqqqqqq.new": b"someone else's", "dwix.cok.new": carried[:10], "notes.txt": b"mine"}
        for name, data in {**left, **kept}.items():
            self.install.path(name).write_bytes(data)
        run = self.run_installer("modest")
        self.assertEndedNormally(run, INSTALLED)
        for name in left:
            self.assertFalse(self.install.path(name).exists(), name)
        for name, data in kept.items():
            self.assertEqual(self.install.path(name).read_bytes(), data, name)
        self.assertEqual(self.install.pack(), carried)

    def test_missing_nimbra_exe_shows_only_the_bilingual_error(self):
        self.install.create(nimbra=False, pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer(answers=[YES, YES])
        self.assertEndedNormally(run, NOT_INSTALLED)
        self.assertBoxes(run, [self.english_error(NO_NIMBRA_ENGLISH)])
        self.assertNothingWritten(installed_version=5)
        self.assertNimbraNotStarted()


class OtherPack(UpdateRunTestCase):
    """The installer built for another pack: version 7, key "birds", file
    Birds7.pak (tests/e2e/CMakeLists.txt). The literal texts below make sure
    that it is that pack, whatever the harness was told."""
    other_pack = True

    def setUp(self):
        super().setUp()
        self.set_last_run_folder()

    def test_installed_version_7_is_not_newer_and_only_its_own_file_is_replaced(self):
        self.install.create(pack_version=7)
        self.install.path(PACK_NAME).write_bytes(pack_bytes(5))
        run = self.run_installer(answers=[YES, NO])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])
        self.assertIn(b"the sound pack Birds 7.", run.boxes[0].text_bytes)
        self.assertIn(b"(Birds 7) has been installed.", run.boxes[1].text_bytes)
        self.assertPackInstalled()
        self.assertEqual(self.install.path(PACK_NAME).read_bytes(), pack_bytes(5))
        self.assertNimbraNotStarted()

    def test_installed_version_8_is_newer(self):
        self.install.create(pack_version=8)
        run = self.run_installer(answers=[NO])
        self.assertEndedNormally(run, DECLINED)
        self.assertBoxes(run, [self.olderfilever()])
        self.assertIn(b"The installed file Birds7.pak is newer", run.boxes[0].text_bytes)
        self.assertNothingWritten(installed_version=8)
        self.assertNimbraNotStarted()


class UntrustedInputs(UpdateRunTestCase):
    """What any program of the user can change without elevation: per-user
    environment variables and the language files. None of it gets the
    installer's rights."""

    def setUp(self):
        super().setUp()
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        self.addCleanup(self.registry.apply, reg.RegistryBatch().delete_value(ENVIRONMENT_KEY, "ComSpec")
                        .delete_value(ENVIRONMENT_KEY, "Temp").delete_value(ENVIRONMENT_KEY, "TMP"))
        self.addCleanup(self.registry.apply, reg.RegistryBatch().delete_key(self.app_defaults()))

    def app_defaults(self):
        return reg.HKCU + r"\Software\Wine\AppDefaults" + "\\" + self.requireInstaller().split("\\")[-1]

    def test_planted_comspec_and_temp_with_percent_text_change_nothing(self):
        # The substitute, planted as the interpreter, logs any start of it beside itself.
        planted = self.install.folder.parent / "planted"
        planted.mkdir()
        shutil.copy(self.config.substitute, planted / "cmd.exe")
        temp = planted / "temp"
        temp.mkdir()
        self.registry.apply(reg.RegistryBatch()
                            .set_string(ENVIRONMENT_KEY, "ComSpec", self.session.windows_path(planted / "cmd.exe"))
                            .set_string(ENVIRONMENT_KEY, "Temp", self.session.windows_path(temp) + "\\%ComSpec%")
                            .set_string(ENVIRONMENT_KEY, "TMP", self.session.windows_path(temp) + "\\%ComSpec%"))
        for version in ("win10", "win7"):
            self.registry.apply(reg.RegistryBatch().set_string(self.app_defaults(), "Version", version))
            for arguments, answers in ((("modest", "runapp"), ()), ((), (YES, NO))):
                run = self.run_installer(*arguments, answers=answers)
                self.assertEndedNormally(run, INSTALLED)
        self.assertPackInstalled()
        self.assertFalse((planted / "nimbra-started.log").exists(), "the planted interpreter ran")
        self.assertEqual(list(temp.iterdir()), [])

    def test_hostile_language_file_ends_quickly_with_its_exit_code(self):
        english = self.install.path("language/english.lng").read_bytes()
        hostile = english.replace(b"Nimbra Live Update", b"%2" * 100000)
        self.assertNotEqual(hostile, english)
        self.install.write_language("english.lng", hostile)
        started = time.monotonic()
        run = self.run_installer(answers=[YES, NO])
        seconds = time.monotonic() - started
        print("[figure] hostile language file: interactive run %.1f s" % seconds)
        self.assertEndedNormally(run, INSTALLED)
        self.assertEqual(len(run.boxes), 2)
        self.assertLess(seconds, 30)
        self.assertPackInstalled()

    def test_a_language_file_that_never_ends_ends_the_run_at_once_with_a_clear_error(self):
        # A link to an endless device, listed as a language file and chosen by "LangFile".
        os.symlink("/dev/zero", self.install.path("language/zero.lng"))
        self.set_lang_file("zero.lng")
        self.assertEndsAtOnceWithTheError("zero.lng")

    def test_a_language_file_that_is_a_fifo_ends_the_run_at_once_with_a_clear_error(self):
        # A pipe with no writer: an open or a read of it would wait for one for ever.
        os.mkfifo(self.install.path("language/pipe.lng"))
        self.set_lang_file("pipe.lng")
        self.assertEndsAtOnceWithTheError("pipe.lng")

    def assertEndsAtOnceWithTheError(self, name):
        for arguments, answers in ((("modest", "quiet"), []), ((), [OK] * 8)):
            started = time.monotonic()
            run = self.run_installer(*arguments, answers=answers, timeout_ms=60000)
            seconds = time.monotonic() - started
            print("[figure] language file %s, %s: %.1f s" % (name, " ".join(arguments) or "interactive", seconds))
            self.assertEndedNormally(run, FAILED)
            self.assertLess(seconds, 30)
            self.assertNothingWritten(installed_version=5)
            if arguments:
                self.assertNoBoxes(run)
            else:
                self.assertEqual(run.boxes[-1].text_bytes,
                                 name.encode() + b" file contains errors.\r\nPlease reinstall the program.")


if __name__ == "__main__":
    unittest.main()
