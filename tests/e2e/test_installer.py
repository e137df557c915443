"""The real installer under Wine, in a prepared Nimbra installation, and its
signed copy (scripts/sign.sh)."""

import unittest

from harness.case import InstallerTestCase
from harness.update_run import INSTALLED, UpdateRunTestCase


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

    def test_signed_copy_installs_its_pack_and_starts_nimbra(self):
        self.requireInstaller()
        signed = self.config.signed_installer
        self.assertTrue(signed and signed.exists(), "no signed copy at %s" % signed)
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_with_robot(self.session.windows_path(signed), "modest", "runapp")
        self.assertEndedNormally(run, INSTALLED)
        self.assertNoBoxes(run)
        self.assertPackInstalled()
        self.assertNimbraStartedOnceInItsFolder()


if __name__ == "__main__":
    unittest.main()
