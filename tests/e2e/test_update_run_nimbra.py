"""The update run against a running substitute Nimbra, and installations
that fail."""

import os
import unittest

from harness.robot import NO, OK, YES
from harness.update_run import FAILED, INSTALLED, PACK_IN_USE, UpdateRunTestCase

# How long the substitute keeps the pack after WM_QUIT, as Nimbra does while closing.
QUIT_DELAY_MS = 700
# The probe gives up after 17 opens, 4,352 ms of sleeps.
PROBE_PATIENCE_MS = 17 * 256


class RunningNimbra(UpdateRunTestCase):
    def setUp(self):
        super().setUp()
        self.install.create(pack_version=5)
        self.set_last_run_folder()

    def test_running_nimbra_is_asked_to_quit_before_the_first_question_and_the_probe_waits_for_the_pack(self):
        nimbra = self.start_nimbra(quit_delay_ms=QUIT_DELAY_MS)
        run = self.run_installer(answers=[YES, NO])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])

        self.assertEqual(nimbra.wait(10), 0, nimbra.events())
        quit_ms = nimbra.event("quit-received")["unix_ms"]
        released_ms = nimbra.event("file-released")["unix_ms"]
        first_box_ms = run.boxes[0].unix_ms
        self.assertLess(quit_ms, first_box_ms)
        # The probe's exclusive open only succeeded once the pack was let go.
        self.assertLessEqual(released_ms, first_box_ms)
        wait_ms = first_box_ms - quit_ms
        self.assertGreaterEqual(wait_ms, QUIT_DELAY_MS)
        self.assertLess(wait_ms, QUIT_DELAY_MS + PROBE_PATIENCE_MS)
        if os.environ.get("NIMBRA_E2E_FIGURES"):
            print("\n  WM_QUIT to the first question: %d ms (the substitute held the pack %d ms)"
                  % (wait_ms, QUIT_DELAY_MS))
        self.assertPackInstalled()
        self.assertNimbraNotStarted()

    def test_pack_held_throughout_a_modest_runapp_run_fails_as_in_use_and_nimbra_is_still_to_be_started(self):
        # Long after the run has given up, the substitute still holds the pack;
        # afterwards it is killed rather than waited for.
        nimbra = self.start_nimbra(quit_delay_ms=60000)
        self.addCleanup(nimbra.process.kill)
        run = self.run_installer("modest", "runapp", self.log_argument())
        self.assertEndedNormally(run, PACK_IN_USE)
        self.assertBoxes(run, [self.english_error("Can't install file " + self.install.windows_path(self.carried.file))])
        self.assertEqual(self.install.pack_version(), 5)
        # The size is recorded all the same.
        self.assertEqual(self.estimated_size(), self.folder_kib())
        self.assertNimbraNotStartedThroughTheElevatedShell()


class FailedWrite(UpdateRunTestCase):
    def test_failed_interactive_write_only_offers_to_start_nimbra(self):
        self.install.create(pack_version=None)
        # A folder where the pack belongs: nothing to probe, and no file can be created there.
        self.install.path(self.carried.file).mkdir()
        self.set_last_run_folder()
        run = self.run_installer(self.log_argument(), answers=[YES, OK, YES])
        self.assertEndedNormally(run, FAILED)
        self.assertBoxes(run, [self.installask(),
                               self.english_error("Can't install file " + self.install.windows_path(self.carried.file)),
                               self.offer_to_start()])
        self.assertTrue(self.install.path(self.carried.file).is_dir())
        self.assertEqual(self.estimated_size(), self.folder_kib())
        self.assertNimbraNotStartedThroughTheElevatedShell()


if __name__ == "__main__":
    unittest.main()
