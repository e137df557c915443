"""Boxes read right whatever the system's ANSI code page: each text is shown
from its own code page (built-in Russian: Windows-1251; a language file's:
its "langcharset"; paths: the system's), compared here as the user reads
them (the robot's wide text).

The paths go through a folder named "Café": the folder text
"...\\Café\\..\\Nimbra\\" reaches the installation without such a folder
existing, since Windows collapses "x\\.." in a path.
"""

import os
import unittest

from harness.case import ENGLISH, GERMAN, KAZAKH
from harness.installation import PACK_NAME, language_file
from harness.robot import NO, OK, YES
from harness.update_run import (CANNOT_INSTALL_RUSSIAN, DECLINED, ENGLISH_TEXTS, FAILED, INSTALLED,
                                NO_FILE_RUSSIAN, PACK_IN_USE, RUSSIAN_TEXTS, RUSSIAN_TITLE,
                                UpdateRunTestCase, fill)

GERMAN_TEXTS = {
    "soundquest": "Nimbra-Klangpaket",
    "liveupdatecaption": "Nimbra-Aktualisierung",
    "crickets": "Grillen",
    "installask": "%1 installiert das Klangpaket %2.\r\nMöchten Sie fortfahren?",
    "installdone": "%1 ist installiert.",
    "asktorun": "Möchten Sie Nimbra jetzt starten?",
    "codepage": "cp1252",
}


def german_language_file():
    """A file in the system's code page ("langcharset" 0) for locale 1031."""
    header = [("langname", ["Deutsch"]), ("langver", ["3"]), ("langcode", ["1031"]), ("langcharset", ["0"]),
              ("progname", ["Nimbra für Sie"])]
    texts = [(key, text.split("\r\n")) for key, text in GERMAN_TEXTS.items() if key != "codepage"]
    return language_file(header + texts, encoding="cp1252")


class ShownTextTestCase(UpdateRunTestCase):
    """Questions compared as shown (wide text), in a folder reached through "Café"."""

    def question(self, caption, text):
        return dict(caption=caption, text=text, buttons=["no", "yes"])

    def detour_folder(self):
        """The installation folder, spelt through a sibling named "Café"."""
        parent = self.install.windows_folder.rstrip("\\").rsplit("\\", 1)[0]
        return parent + "\\Café\\..\\Nimbra\\"

    def print_boxes(self, run):
        """Each box as the robot read it, with NIMBRA_E2E_FIGURES set."""
        if not os.environ.get("NIMBRA_E2E_FIGURES"):
            return
        for box in run.boxes:
            print("\n  [%s] %r\n    %r\n    buttons %r" % (self.locale, box.caption, box.text, box.buttons))


class KazakhUser(ShownTextTestCase):
    # A Cyrillic-UI locale whose ANSI code page is UTF-8.
    locale = KAZAKH
    texts = RUSSIAN_TEXTS

    def test_missing_russian_file_is_reported_in_readable_russian(self):
        self.install.create(languages=("english.lng",), pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer(answers=[OK])
        self.print_boxes(run)
        self.assertEndedNormally(run, FAILED)
        self.assertBoxes(run, [dict(caption=RUSSIAN_TITLE, text=fill(NO_FILE_RUSSIAN, "russian.lng"),
                                    buttons=["ok"], russian_buttons=True)])

    def test_russian_questions_and_a_path_in_a_russian_error_read_right(self):
        self.install.create(pack_version=None)
        # A folder where the pack belongs: nothing to probe, and no file can be created there.
        self.install.path(PACK_NAME).mkdir()
        self.set_last_run_folder(self.detour_folder())
        run = self.run_installer(answers=[YES, OK, NO])
        self.print_boxes(run)
        self.assertEndedNormally(run, FAILED)
        cannot_install = fill(CANNOT_INSTALL_RUSSIAN, self.detour_folder() + PACK_NAME)
        # After the selection the caption of a built-in error is the file's "progname".
        self.assertBoxes(run, [dict(self.installask(), russian_buttons=True),
                               dict(caption="Нимбра", text=cannot_install, russian_buttons=True),
                               dict(self.offer_to_start(), russian_buttons=True)])


class EnglishUserChoosingRussian(ShownTextTestCase):
    # Code page 1252; "LangFile" selects the Windows-1251 file.
    locale = ENGLISH
    texts = RUSSIAN_TEXTS

    def setUp(self):
        super().setUp()
        self.set_lang_file("russian.lng")

    def test_questions_are_shown_in_russian(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder()
        run = self.run_installer(self.log_argument(), answers=[YES, YES])
        self.print_boxes(run)
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [dict(self.installask(), russian_buttons=True),
                               dict(self.final_question(), russian_buttons=True)])
        self.assertPackInstalled()
        self.assertNimbraNotStartedThroughTheElevatedShell()

    def test_pack_that_cannot_be_opened_is_named_with_its_path_in_a_russian_text(self):
        self.install.create(pack_version=5)
        self.set_last_run_folder(self.detour_folder())
        nimbra = self.start_nimbra(quit_delay_ms=60000)
        self.addCleanup(nimbra.process.kill)
        run = self.run_installer(answers=[OK])
        self.print_boxes(run)
        self.assertEndedNormally(run, PACK_IN_USE)
        text = fill(self.texts["filecantopen"], self.detour_folder() + PACK_NAME)
        self.assertBoxes(run, [dict(caption="Нимбра", text=text, buttons=["ok"], russian_buttons=True)])
        self.assertEqual(self.install.pack_version(), 5)

    def test_text_missing_from_the_russian_file_comes_from_english_in_its_own_code_page(self):
        russian = (self.install.create(pack_version=None).path("language/russian.lng").read_bytes()
                   .replace(b"[soundquest]", b"[no-soundquest]"))
        self.install.write_language("russian.lng", russian)
        self.set_last_run_folder()
        run = self.run_installer(answers=[NO])
        self.assertEndedNormally(run, DECLINED)
        self.assertBoxes(run, [dict(caption=ENGLISH_TEXTS["soundquest"], text=self.installask()["text"])])


class GermanUser(ShownTextTestCase):
    # A file in the system's code page ("langcharset" 0) shows as before, byte for byte.
    locale = GERMAN
    texts = GERMAN_TEXTS

    def test_file_in_the_system_code_page_reads_as_before(self):
        self.install.create(pack_version=5)
        self.install.write_language("german.lng", german_language_file())
        self.set_last_run_folder()
        run = self.run_installer(answers=[YES, NO])
        self.assertEndedNormally(run, INSTALLED)
        self.assertBoxes(run, [self.installask(), self.final_question()])
        for box, wanted in zip(run.boxes, [self.installask(), self.final_question()]):
            self.assertEqual(box.caption_bytes, wanted["caption"].encode("cp1252"))
            self.assertEqual(box.text_bytes, wanted["text"].encode("cp1252"))
        self.assertPackInstalled()


if __name__ == "__main__":
    unittest.main()
