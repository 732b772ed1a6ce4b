"""Console text of Pelcor.exe under Wine on a console set to any code page: the Russian
texts are code page 866 bytes that reach the console as UTF-16, so they read the same
after `chcp 866`, `1251`, `437` or `65001`, in a Russian and in an English prefix."""

import os
import shutil
import tempfile
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


if __name__ == "__main__":
    unittest.main()
