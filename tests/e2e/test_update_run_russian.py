"""One whole interactive run for a Russian user (LC_ALL=ru_RU.UTF-8): the
questions come from russian.lng in Windows-1251 with Russian buttons."""

import unittest

from harness.case import RUSSIAN
from harness.robot import YES
from harness.update_run import INSTALLED, RUSSIAN_TEXTS, UpdateRunTestCase


class RussianUser(UpdateRunTestCase):
    locale = RUSSIAN
    texts = RUSSIAN_TEXTS

    def test_russian_user_is_asked_in_russian_and_the_pack_installed(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer(self.log_argument(), answers=[YES, YES])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [dict(self.installask(), russian_buttons=True),
                               dict(self.final_question(), russian_buttons=True)])
        # The bytes themselves, not only their round trip through the code page.
        self.assertEqual(run.boxes[0].caption_bytes[:10], b"\xc7\xe2\xf3\xea\xee\xe2\xee\xe9 \xef")
        self.assertEqual(run.boxes[0].text_bytes.split(b"\r\n")[1], b"\xcf\xf0\xee\xe4\xee\xeb\xe6\xe8\xf2\xfc?")
        self.assertEqual(run.boxes[0].buttons["yes"], "&Да")
        self.assertEqual(run.boxes[0].buttons["no"], "&Нет")
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()


if __name__ == "__main__":
    unittest.main()
