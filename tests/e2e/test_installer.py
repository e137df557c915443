"""The real installer under Wine, in a prepared Nimbra installation."""

import unittest

from harness.case import InstallerTestCase


class InstallerStarts(InstallerTestCase):
    def test_modest_run_in_a_prepared_installation_shows_no_box_and_exits_with_0(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer("modest", timeout_ms=30000)
        self.assertEndedNormally(run, exit_code=0)
        self.assertNoBoxes(run)
        # "modest" alone never starts Nimbra.
        self.assertEqual(self.install.starts(), [])


if __name__ == "__main__":
    unittest.main()
