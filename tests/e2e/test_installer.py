"""The real installer under Wine, in a prepared Nimbra installation, its
signed copy (scripts/sign.sh), and a copy damaged on its way to the user."""

import re
import unittest

from harness.case import InstallerTestCase
from harness.robot import OK, YES
from harness.update_run import DAMAGED_ENGLISH, INSTALLED, INSTALLER_DAMAGED, UpdateRunTestCase


class InstallerStarts(InstallerTestCase):
    def test_modest_run_in_a_prepared_installation_shows_no_box_and_exits_with_0(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer("modest", timeout_ms=30000)
        self.assertEndedNormally(run, exit_code=0)
        self.assertNoBoxes(run)
        # "modest" alone never starts Nimbra.
        self.assertEqual(self.install.starts(), [])


class SignedInstaller(UpdateRunTestCase):
    """The copy that installer.SignedCopy signed with a throwaway certificate
    (tests/signing/check_signed_copy.py): signing leaves it an installer."""

    def test_signed_copy_installs_its_pack_and_goes_to_start_nimbra(self):
        self.requireInstaller()
        signed = self.config.signed_installer
        self.assertTrue(signed and signed.exists(), "no signed copy at %s" % signed)
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_with_robot(self.session.windows_path(signed), "modest", "runapp", self.log_argument())
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()


class DamagedInstaller(UpdateRunTestCase):
    """A copy of the installer with one byte of its carried pack changed, as a
    bad download or a bad sector leaves it: it must not install."""

    def setUp(self):
        super().setUp()
        installer = self.config.installer
        if installer is None:
            self.skipTest("this build has no installer")
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        self.before = self.install.pack()
        data = bytearray(installer.read_bytes())
        pack = self.carried.path.read_bytes()
        at = data.find(pack[:4096])
        self.assertGreater(at, 0, "the carried pack is not in %s" % installer)
        data[at + len(pack) // 2] ^= 0x01
        self.damaged = self.install.folder.parent / "damaged" / installer.name
        self.damaged.parent.mkdir(parents=True, exist_ok=True)
        self.damaged.write_bytes(data)

    def assertNothingChanged(self):
        self.assertEqual(self.install.pack(), self.before)
        self.assertEqual(sorted(p.name for p in self.install.folder.iterdir() if p.suffix == ".new"), [])
        self.assertIsNone(self.estimated_size())
        self.assertIsNone(self.pack_version_value())

    def test_a_quiet_run_writes_nothing_logs_both_checksums_ends_with_1620_and_goes_to_restart_nimbra(self):
        log = self.log_argument()
        run = self.run_with_robot(self.session.windows_path(self.damaged), "modest", "runapp", "quiet", log,
                                  timeout_ms=30000)
        self.assertEndedNormally(run, INSTALLER_DAMAGED)
        self.assertNoBoxes(run)
        self.assertNothingChanged()
        records = self.log_records()
        size = self.carried.path.stat().st_size
        check = re.compile(r"^pack not written: the carried pack failed its check \(CRC-32C (0x[0-9a-f]{8}) of %d "
                           r"bytes, expected CRC-32C (0x[0-9a-f]{8}) of %d bytes\): the installer is damaged$"
                           % (size, size))
        found = [check.match(record) for record in records if check.match(record)]
        self.assertEqual(len(found), 1, records)
        self.assertNotEqual(found[0].group(1), found[0].group(2))
        self.assertIn("error \"Nimbra update\": %s (quiet: not shown)" % DAMAGED_ENGLISH.replace("\r\n", " | "),
                      records)
        self.assertEqual(records[-1], "exit code 1620")
        # Nimbra was asked to quit for the update: "runapp" starts it again.
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_an_interactive_run_says_the_installer_is_damaged_and_asks_nothing_more(self):
        run = self.run_with_robot(self.session.windows_path(self.damaged), answers=[YES, OK, YES])
        self.assertEndedNormally(run, INSTALLER_DAMAGED)
        self.assertBoxes(run, [self.installask(), self.english_error(DAMAGED_ENGLISH)])
        self.assertNothingChanged()
        self.assertNimbraNotStarted()


if __name__ == "__main__":
    unittest.main()
