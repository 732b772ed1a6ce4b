"""Start-up of Pelcor.exe under Wine: banner and usage in both languages, exit code,
and the same texts in a file where the output is redirected."""

import os
import tempfile
import unittest

import wine_run

ENGLISH = ["Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil",
           "Usage :",
           "\tPelcor <file> [/866 | /1251] [/check] [/to866 | /to1251]"]
RUSSIAN = ["Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil",
           "Использование :",
           "\tPelcor <файл> [/866 | /1251] [/check] [/to866 | /to1251]"]


def shown(lines):
    # The console moves to the next tab stop for a tab; the terminal may get blanks.
    return [line.expandtabs(8) for line in lines]


class UsageTest(unittest.TestCase):

    def assertUsage(self, kind, texts):
        lines, status = wine_run.run_console(kind, [])
        self.assertEqual(shown(lines), shown(texts))
        self.assertEqual(status, 2)  # no file named

    def test_english_banner_and_usage_without_arguments(self):
        wine_run.set_country("en", None)
        self.assertUsage("en", ENGLISH)

    def test_country_seven_selects_russian(self):
        # The Russian texts are code page 866 bytes; the console of a Russian prefix
        # decodes them with its OEM code page, so the terminal shows the letters.
        wine_run.set_country("ru", "7")
        self.assertUsage("ru", RUSSIAN)

    def test_only_country_seven_is_russian(self):
        # The prefix's own locale is Russian: only the registry value decides. Its first
        # character counts, so "70" is Russian and "49" is not.
        for value, texts in [("1", ENGLISH), ("49", ENGLISH), ("70", RUSSIAN), (None, ENGLISH)]:
            with self.subTest(iCountry=value):
                wine_run.set_country("ru", value)
                self.assertUsage("ru", texts)

    def test_control_byte_in_the_tail_shows_usage_and_keeps_the_file(self):
        wine_run.set_country("en", None)
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            path = os.path.join(folder, "a.txt")
            with open(path, "wb") as f:
                f.write(b"\xc0\xe0\x80")
            lines, status = wine_run.run_console("en", ["a.txt\t/866"], cwd=folder)
            self.assertEqual(shown(lines), shown(ENGLISH))
            self.assertEqual(status, 2)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), b"\xc0\xe0\x80")


class RedirectionTest(unittest.TestCase):

    def test_redirected_output_holds_the_texts_in_the_consoles_code_page(self):
        for kind, country, texts in (("en", None, ENGLISH), ("ru", "7", RUSSIAN)):
            with self.subTest(kind=kind):
                wine_run.set_country(kind, country)
                status, output = wine_run.run_pelcor_redirected(kind, [])
                self.assertEqual(output, "{}\n\r{}\r\n{}\r\n".format(*texts).encode("cp866"))
                self.assertEqual(status, 2)
        # The help follows the usage; one name on Windows, and the read-me for more.
        status, output = wine_run.run_pelcor_redirected("en", ["/?"])
        self.assertEqual(status, 0)
        self.assertIn(b"\r\n  /866   the file is in code page 866 (DOS)", output)
        self.assertNotIn(b"Several files", output)
        self.assertTrue(output.endswith(b"\r\nMore: readme.txt beside Pelcor.exe\r\n"))


if __name__ == "__main__":
    unittest.main()
