"""In-place conversion by Pelcor.exe under Wine: whole files in both directions, a file
named in the ANSI code page, and the error report with the operator's answers for a
file that cannot be opened.

A probe converts one letter first; when it comes back unchanged, the executable does not
convert files and the tests are skipped.
"""

import functools
import os
import random
import shutil
import subprocess
import tempfile
import unittest

import wine_run

BANNER = "Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil"
RUSSIAN_BANNER = "Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil"


@functools.cache
def converts_files():
    with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
        path = os.path.join(folder, "probe.txt")
        with open(path, "wb") as f:
            f.write(b"\xc0")  # cp1251 capital A
        wine_run.run_pelcor_redirected("en", ["probe.txt"], cwd=folder)
        with open(path, "rb") as f:
            return f.read() != b"\xc0"


def setUpModule():
    if not converts_files():
        raise unittest.SkipTest("Pelcor.exe does not convert files")


class WholeFileTest(unittest.TestCase):

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="pelcor-")
        self.folder = self._folder.name
        self.addCleanup(self._folder.cleanup)

    def convert(self, data, args, kind="en", name="a.txt", banner=BANNER):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as f:
            f.write(data)
        lines, status = wine_run.run_console(kind, [name] + args, cwd=self.folder)
        self.assertEqual(lines, [banner])  # no report
        self.assertEqual(status, 0)
        with open(path, "rb") as f:
            return f.read()

    def test_typography_and_a_form_read_right_in_the_other_code_page(self):
        typography = "«Привет», — сказал он… “Ёлки” 10\u00a0000\u00a0руб.\r\n"
        self.assertEqual(self.convert(typography.encode("cp1251"), []).decode("cp866"),
                         "\"Привет\", - сказал он. \"Ёлки\" 10\u00a0000\u00a0руб.\r\n")
        form = "╔════╗\r\n║ Анкета ║\r\n╚════╝\r\n"
        self.assertEqual(self.convert(form.encode("cp866"), ["/866"]).decode("cp1251"),
                         "+====+\r\n| Анкета |\r\n+====+\r\n")

    def test_file_of_several_blocks_is_converted_once_throughout(self):
        # Two whole blocks and a short one, and two whole spans of 256 blocks and the
        # same. Converting a byte twice, or a block at the wrong offset, changes letters
        # that the expectation keeps.
        for size in [2500, 2 * 256 * 1024 + 2500]:
            data = random.Random(size).randbytes(size)
            for args, direction in [(["/866"], "/866"), (["/1251"], "/1251"), ([], "/1251")]:
                with self.subTest(size=size, args=args):
                    result = self.convert(data, args)
                    self.assertEqual(len(result), len(data))
                    self.assertEqual(result, wine_run.converted(data, direction))

    def test_files_ending_on_a_block_boundary(self):
        # Each block or span is read at its offset; a read that starts at the end of the
        # file is the end of the conversion, not a failure to report.
        for size in [0, 1024, 3072, 256 * 1024, 256 * 1024 + 3072]:
            data = random.Random(size).randbytes(size)
            with self.subTest(size=size):
                self.assertEqual(self.convert(data, ["/866"]), wine_run.converted(data, "/866"))

    def test_text_in_the_other_code_page_is_refused_and_in_its_own_converted(self):
        prose = ("Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"
                 "В чащах юга жил бы цитрус? Да, но фальшивый экземпляр!\r\n")
        self.assertEqual(self.convert(prose.encode("cp866"), ["/866"]),
                         wine_run.converted(prose.encode("cp866"), "/866"))
        path = os.path.join(self.folder, "b.txt")
        with open(path, "wb") as f:
            f.write(prose.encode("cp1251"))
        console = wine_run.Console("en", ["b.txt", "/866"], cwd=self.folder)
        prompt = ENGLISH_REPORT[-1]
        console.expect(prompt)
        console.answer("a", None)
        lines, _ = console.finish()
        self.assertEqual(lines[1:], ["", "Action : read from file b.txt",
                                     "Error : the text is in code page 1251 already; "
                                     "/1251 converts it to 866",
                                     "Cause : format of data element not correct",
                                     "Recommendations : take correct information", prompt])
        with open(path, "rb") as f:
            self.assertEqual(f.read(), prose.encode("cp1251"))

    def test_cyrillic_file_name_reaches_the_file(self):
        # The command line comes in the ANSI code page, 1251 in a Russian prefix, and
        # the name is widened from it to open the file.
        wine_run.set_country("ru", "7")
        data = "Ёлка".encode("cp1251")
        result = self.convert(data, ["/1251"], kind="ru", name="ёлка.txt",
                              banner=RUSSIAN_BANNER)
        self.assertEqual(result, "Ёлка".encode("cp866"))


class ScriptedAnswersTest(unittest.TestCase):
    """Answers from standard input where it is a pipe or a file: one character a key, in
    the console's input code page, or the OEM code page without a console; И П О as bytes
    of code page 866 or 1251 alike. The text is in 866 and refused as it stands: Ignore
    converts it, Abort, or the end of the input, leaves it."""

    PROSE = "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n".encode("cp866") * 3

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="pelcor-")
        self.folder = self._folder.name
        self.addCleanup(self._folder.cleanup)
        self.path = os.path.join(self.folder, "b.txt")
        shutil.copy(wine_run.PELCOR_EXE, os.path.join(self.folder, "Pelcor.exe"))

    def converted(self):
        with open(self.path, "rb") as f:
            data = f.read()
        self.assertIn(data, (self.PROSE, wine_run.converted(self.PROSE, "/1251")))
        return data != self.PROSE

    def test_answers_from_a_pipe_and_from_a_file(self):
        answers = os.path.join(self.folder, "answers.txt")
        for kind, piped, keys, ignored in (
                ("en", True, b"i", True), ("en", False, b"x\xc8", True),  # 1251 И
                ("ru", True, "хо".encode("cp866"), False), ("ru", False, "и".encode("cp866"), True),
                ("ru", True, "п".encode("cp1251"), False),  # Repeat, refused again, input ended
                ("ru", False, b"", False)):
            with self.subTest(kind=kind, piped=piped, keys=keys):
                with open(self.path, "wb") as f:
                    f.write(self.PROSE)
                with open(answers, "wb") as f:
                    f.write(keys)
                with open(answers, "rb") as given, tempfile.TemporaryFile() as errors:
                    status = subprocess.run(
                        [wine_run.WINE, "Pelcor.exe", "b.txt"], env=wine_run.environment(kind),
                        cwd=self.folder, input=keys if piped else None,
                        stdin=None if piped else given, stdout=subprocess.DEVNULL,
                        stderr=errors, timeout=wine_run.TIMEOUT).returncode
                    errors.seek(0)
                    questions = errors.read().count(b"/ ?")
                self.assertEqual((status, self.converted()), (0, True) if ignored else (1, False))
                self.assertEqual(questions, 2 if keys.startswith("п".encode("cp1251")) else 1)

    def test_a_batch_file_in_1251_and_utf_8_under_chcp_65001(self):
        # The Russian prefix's console reads code page 866; the batch file says И in 1251.
        with open(os.path.join(self.folder, "answer.bat"), "wb") as f:
            f.write("@echo И| Pelcor.exe b.txt\r\n".encode("cp1251"))
        with open(os.path.join(self.folder, "answers.txt"), "wb") as f:
            f.write("и".encode("utf-8"))
        for program in (["cmd", "/c", "answer.bat"],
                        ["cmd", "/c", "chcp", "65001", ">nul", "&", "Pelcor.exe", "b.txt",
                         "<answers.txt"]):
            with self.subTest(program=program):
                with open(self.path, "wb") as f:
                    f.write(self.PROSE)
                _, status = wine_run.run_program_in_console("ru", program, cwd=self.folder)
                self.assertEqual(status, 0)
                self.assertTrue(self.converted())


def system_text_of_missing_file(kind, folder):
    """The system's own text for a file that is not there, as the command shell of the
    prefix shows it (into a pipe it writes in the ANSI code page)."""
    _, output, errors = wine_run.run_redirected(kind, ["cmd", "/c", "type", "missing.txt"],
                                                folder)
    return (output + errors).decode(ANSI_CODE_PAGE[kind]).strip().splitlines()[0]


def missing_file_report(kind, folder, template):
    """The lines of the report on a missing file, from the template of its language."""
    # The system's text is shown trimmed, without its full stop, first letter in lower case.
    text = system_text_of_missing_file(kind, folder).strip().removesuffix(".")
    return [line.format(text[0].lower() + text[1:]) for line in template]


ANSI_CODE_PAGE = {"en": "cp1252", "ru": "cp1251"}
ENGLISH_REPORT = ["Action : opening file missing.txt",
                  "Error : {}",
                  "Cause : cause unknown",
                  "Recommendations : no recommendations",
                  "? Ignore /I/ Repeat /R/ Abort /A/ ?"]
RUSSIAN_REPORT = ["При выполнении операции : открытие файла missing.txt",
                  "Возникла ошибка : {}",
                  "По причине : причина неизвестна",
                  "Рекомендации : рекомендации отсутствуют",
                  "? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?"]


class MissingFileTest(unittest.TestCase):

    def assertReportTwice(self, kind, template, repeat, abort):
        """A missing file is reported; the repeat key shows the report again and the
        abort key ends the run, which exits with 1 and creates nothing."""
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            report = missing_file_report(kind, folder, template)
            prompt = report[-1]
            console = wine_run.Console(kind, ["missing.txt"], cwd=folder)
            console.expect(prompt)
            console.answer(repeat, prompt)  # the open is tried again and fails again
            console.answer(abort, None)
            lines, status = console.finish()
            # The report starts on a line of its own; the next one ends the prompt's line.
            self.assertEqual(lines[1:], [""] + report + report)
            self.assertEqual(status, 1)
            self.assertEqual(os.listdir(folder), [])

    def test_without_a_console_the_report_is_answered_with_abort(self):
        # No key can come from /dev/null: the run ends instead of waiting for ever, and its
        # exit code tells whether the file was converted. The banner goes to the output,
        # the report to the error output. Each case: the arguments, the exit code, what
        # a.txt then holds and the report.
        report = b"\r\nAction : opening file missing.txt\r\nError : "
        cases = [(["missing.txt"], 1, b"\x80", report), (["a.txt", "/866"], 0, b"\xc0", b""),
                 (["/?"], 0, b"\x80", b""),
                 (["NUL"], 1, b"\x80",
                  b"\r\nAction : opening file NUL\r\nError : not a regular file: a device\r\n")]
        for args, status, data, reported in cases:
            with self.subTest(args=args):
                with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
                    path = os.path.join(folder, "a.txt")
                    with open(path, "wb") as f:
                        f.write(b"\x80")
                    code, output, errors = wine_run.run_redirected(
                        "en", [wine_run.PELCOR_EXE] + args, folder)
                    self.assertEqual(code, status)
                    self.assertTrue(output.startswith(BANNER.encode() + b"\n\r"), output)
                    self.assertEqual(errors[:len(reported)], reported)
                    self.assertEqual(errors.count(b"? Ignore /I/ Repeat /R/ Abort /A/ ?"),
                                     1 if reported else 0)
                    self.assertEqual(os.listdir(folder), ["a.txt"])
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), data)

    def test_a_redirection_never_hides_the_question(self):
        # With the output or the error output in a file, the report and its question are
        # shown on the console all the same; the file holds the banner, or nothing.
        wine_run.set_country("en", None)
        for redirection, logged in ((">", BANNER.encode() + b"\n\r"), ("2>", b"")):
            with self.subTest(redirection=redirection):
                with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
                    shutil.copy(wine_run.PELCOR_EXE, os.path.join(folder, "Pelcor.exe"))
                    console = wine_run.Console("en", [], cwd=folder, program=[
                        "cmd", "/c", "Pelcor.exe", "missing.txt", redirection, "log.txt"])
                    console.expect(ENGLISH_REPORT[-1])
                    console.answer("a", None)
                    self.assertEqual(console.finish()[1], 1)
                    with open(os.path.join(folder, "log.txt"), "rb") as f:
                        self.assertEqual(f.read(), logged)

    def test_english_report_repeat_and_abort(self):
        wine_run.set_country("en", None)
        self.assertReportTwice("en", ENGLISH_REPORT, "r", "A")

    def test_russian_report_with_cyrillic_answers(self):
        # The system's Russian text passes from the ANSI to the OEM code page on its way
        # to the console; the answers are the Cyrillic letters of the Russian prompt.
        wine_run.set_country("ru", "7")
        self.assertReportTwice("ru", RUSSIAN_REPORT, "п", "О")


if __name__ == "__main__":
    unittest.main()
