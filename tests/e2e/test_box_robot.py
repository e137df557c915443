"""box-robot.exe as the end-to-end tests use it: a program's boxes read
exactly, answered from a script, its end or its time-out reported."""

import json
import unittest

from harness import robot
from harness.case import RUSSIAN, InstallerTestCase
from harness.robot import NO, OK, YES

MB_OK, MB_YESNO, MB_YESNOCANCEL = 0x0, 0x4, 0x3
MB_ICONQUESTION, MB_ICONERROR = 0x20, 0x10
LANG_RUSSIAN = "25"
MESSAGE_BOX_A = "-"


def box(style, language, caption, text):
    """The four win-probe arguments of one box; texts given as bytes go as hex."""
    def argument(value):
        return "hex:" + value.hex() if isinstance(value, bytes) else value
    return ["0x%x" % style, language, argument(caption), argument(text)]


class BoxRobotCli(InstallerTestCase):
    def show(self, *boxes, answers=(), **kw):
        arguments = ["boxes"] + [a for b in boxes for a in b]
        return self.run_with_robot(self.session.windows_path(self.config.win_probe), *arguments,
                                   answers=answers, **kw)

    @staticmethod
    def results(run):
        return [json.loads(line)["result"] for line in run.output.decode("ascii").splitlines()
                if line.startswith('{"event":"result"')]

    def test_reads_caption_text_and_buttons_as_given_and_answers_in_order(self):
        text = b"First line\r\nSecond line \xe9"
        run = self.show(box(MB_YESNO | MB_ICONQUESTION, MESSAGE_BOX_A, "Question", text),
                        box(MB_OK | MB_ICONERROR, MESSAGE_BOX_A, "Error", "Something failed"),
                        answers=[NO, OK])
        self.assertEndedNormally(run, exit_code=1)  # IDOK of the last box
        self.assertEqual(self.results(run), [7, 1])  # IDNO, IDOK
        self.assertBoxes(run, [
            dict(caption="Question", text_bytes=text, text="First line\r\nSecond line \u00e9",
                 buttons=[YES, NO], script=NO, answer=NO),
            dict(caption="Error", buttons=[OK], answer=OK),
        ])
        self.assertEqual(run.boxes[0].buttons, {YES: "&Yes", NO: "&No"})
        self.assertEqual(run.boxes[0].button_bytes, {YES: b"&Yes", NO: b"&No"})
        self.assertEqual(run.start["acp"], 1252)
        self.assertEqual(run.answers_left, 0)

    def test_russian_language_box_has_russian_buttons_in_an_english_locale(self):
        run = self.show(box(MB_YESNO, LANG_RUSSIAN, "Caption", "Text"), answers=[YES])
        self.assertEndedNormally(run, exit_code=6)
        self.assertEqual(run.boxes[0].buttons, {YES: "&Да", NO: "&Нет"})
        self.assertTrue(run.boxes[0].has_russian_buttons())
        # Windows-1252 has no Cyrillic letters: the ANSI text cannot show them.
        self.assertEqual(run.boxes[0].button_bytes[YES], b"&??")

    def test_russian_error_box_has_a_russian_ok_button(self):
        # The shape of the installer's Russian built-in errors: MB_ICONERROR |
        # MB_SERVICE_NOTIFICATION, language 25.
        run = self.show(box(MB_ICONERROR | 0x200000, LANG_RUSSIAN, "c", "t"), answers=[OK])
        self.assertEndedNormally(run, exit_code=1)
        self.assertEqual(run.boxes[0].buttons, {OK: "ОК"})
        self.assertTrue(run.boxes[0].has_russian_buttons())
        self.assertFalse(run.boxes[0].has_english_buttons())

    def test_russian_locale_gives_windows_1251_bytes_and_russian_buttons(self):
        caption = "Обновление программы \"Нимбра\"".encode("cp1251")
        run = self.show(box(MB_OK | MB_ICONERROR, MESSAGE_BOX_A, caption, b"\xc4\xe0\r\n"), answers=[OK],
                        locale=RUSSIAN)
        self.assertEndedNormally(run, exit_code=1)
        self.assertEqual(run.start["acp"], 1251)
        self.assertBoxes(run, [dict(caption_bytes=caption, caption="Обновление программы \"Нимбра\"",
                                    text_bytes=b"\xc4\xe0\r\n", text="Да\r\n")])
        yes_no = self.show(box(MB_YESNO, MESSAGE_BOX_A, "c", "t"), answers=[NO], locale=RUSSIAN)
        self.assertEqual(yes_no.boxes[0].button_bytes, {YES: "&Да".encode("cp1251"), NO: "&Нет".encode("cp1251")})

    def test_boxes_beyond_the_script_are_dismissed_and_reported(self):
        run = self.show(box(MB_YESNO, MESSAGE_BOX_A, "1", "scripted"), box(MB_YESNOCANCEL, MESSAGE_BOX_A, "2", "extra"),
                        answers=[YES])
        self.assertEndedNormally(run, exit_code=2)  # IDCANCEL
        self.assertBoxes(run, [dict(script=YES, answer=YES), dict(script=None, answer="cancel")])

    def test_unused_answers_are_counted(self):
        run = self.show(box(MB_OK, MESSAGE_BOX_A, "only", "box"), answers=[OK, YES, NO])
        self.assertEqual(run.answers_left, 2)

    def test_time_out_kills_a_program_whose_box_is_left_open(self):
        # Long enough for the box to show under emulation on a busy machine
        # (1.5 s was not): the robot must have seen it before the time-out.
        run = self.show(box(MB_OK, MESSAGE_BOX_A, "left", "open"), unscripted="leave", timeout_ms=6000)
        self.assertTrue(run.timed_out)
        self.assertEqual(run.robot_exit, robot.ROBOT_TIMED_OUT)
        self.assertEqual(run.exit_code, robot.KILLED_EXIT_CODE)
        self.assertBoxes(run, [dict(caption="left", answer=None)])

    def test_program_that_cannot_start_is_reported(self):
        run = self.run_with_robot("C:\\nowhere\\missing.exe")
        self.assertEqual(run.robot_exit, robot.ROBOT_NOT_STARTED)
        self.assertEqual(run.start["event"], "error")
        self.assertEqual(run.start["error"], 2)  # ERROR_FILE_NOT_FOUND
        self.assertIsNone(run.exit_code)

    def test_program_gets_its_arguments_and_current_directory(self):
        self.install.create()
        elsewhere = self.install.windows_path("language")
        run = self.run_with_robot(self.install.windows_path("nimbra.exe"), "modest", "two words", cwd=elsewhere)
        self.assertEndedNormally(run)
        [start] = self.install.starts()
        self.assertEqual(start["cwd"], elsewhere)
        self.assertEqual(bytes.fromhex(start["command_line_hex"]),
                         (self.install.windows_path("nimbra.exe") + ' modest "two words"').encode("ascii"))

    def test_raw_tail_reaches_the_program_unchanged(self):
        self.install.create()
        run = self.run_with_robot(self.install.windows_path("nimbra.exe"), raw_tail='MODEST  "Run"App')
        self.assertEndedNormally(run)
        [start] = self.install.starts()
        self.assertTrue(start["command_line"].endswith(' MODEST  "Run"App'), start["command_line"])


if __name__ == "__main__":
    unittest.main()
