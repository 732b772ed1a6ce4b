"""Console text of Pelcor.exe under Wine on a console set to any code page: the Russian
texts are code page 866 bytes that reach the console as UTF-16, so they read the same
after `chcp 866`, `1251`, `437` or `65001`, in a Russian and in an English prefix."""

import os
import re
import shutil
import tempfile
import time
import unittest

import wine_run
from convert_wine import RUSSIAN_BANNER, RUSSIAN_REPORT, missing_file_report

CODE_PAGES = ["866", "1251", "437", "65001"]


class CodePageTest(unittest.TestCase):

    def test_russian_banner_and_report_on_every_console_code_page(self):
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            # Started from the folder by its bare name, as a user types it.
            shutil.copy(wine_run.PELCOR_EXE, os.path.join(folder, "Pelcor.exe"))
            for kind in ["ru", "en"]:
                wine_run.set_country(kind, "7")
                expected = [RUSSIAN_BANNER, ""] + missing_file_report(kind, folder,
                                                                      RUSSIAN_REPORT)
                for code_page in CODE_PAGES:
                    with self.subTest(kind=kind, code_page=code_page):
                        # With its input on NUL no key can come: the report is answered
                        # with Abort once it is shown; the run fails, and the shell's next
                        # line starts below the question.
                        lines, _ = wine_run.run_program_in_console(
                            kind, ["cmd", "/c", "chcp", code_page, ">nul", "&", "Pelcor.exe",
                                   "missing.txt", "<nul", "||", "echo", "failed"], cwd=folder)
                        self.assertEqual(lines, expected + ["failed"])


class ProgressLineTest(unittest.TestCase):

    def test_a_long_run_shows_its_progress_on_the_console_only(self):
        wine_run.set_country("en", None)
        # A sparse file with letters in its first block: the holes are read, not written,
        # at a few hundred MB/s, which takes Wine a few seconds.
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            with open(os.path.join(folder, "big.bin"), "wb") as f:
                f.truncate(3 << 29)
                f.write(bytes(range(0x80, 0x100)) * 4)
            started = time.monotonic()
            console = wine_run.Console("en", ["big.bin"], cwd=folder)
            lines, status = console.finish()
            if time.monotonic() - started < 2:
                self.skipTest("the file converts too fast here to show its progress")
            self.assertEqual((lines, status), (["Text filter: Windows/DOS encoder ver. 1.1 by "
                                                "Quorvendil"], 0))
            shown = re.findall(r"pelcor: big\.bin: (\d+)%, \d+\.\d MB/s", console.output)
            self.assertTrue(shown, console.output)
            self.assertEqual(sorted(shown, key=int), shown)
            # Into a file it writes nothing of it.
            status, output, errors = wine_run.run_redirected(
                "en", [wine_run.PELCOR_EXE, "big.bin", "/866"], folder)
            self.assertEqual(status, 0)  # converted back, with no line
            self.assertNotIn(b"MB/s", output + errors)


if __name__ == "__main__":
    unittest.main()
