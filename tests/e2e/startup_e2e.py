"""Start-up as a user sees it: the banner and usage texts, their language and charset,
and command lines that must neither crash the tool nor touch the wrong file."""

import os
import subprocess
import tempfile
import unittest

PELCOR = os.environ.get("PELCOR", "")

ENGLISH = ("Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil",
           "Usage :",
           "\tpelcor <file>... [/866 | /1251] [--check] [--to=866 | --to=1251]")
RUSSIAN = ("Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil",
           "Использование :",
           "\tpelcor <файл>... [/866 | /1251] [--check] [--to=866 | --to=1251]")


def banner(texts, encoding="utf-8"):
    """The banner with its line end."""
    return texts[0].encode(encoding) + b"\n"


def usage(texts, encoding="utf-8"):
    """Everything a run that shows the usage text writes."""
    label, line = texts[1].encode(encoding), texts[2].encode(encoding)
    return banner(texts, encoding) + label + b"\n" + line + b"\n"


def run(arguments, cwd=None, **locale):
    """Runs the tool with only the given locale variables set and no input."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("LC_") and k not in ("LANG", "LANGUAGE")}
    env.update(locale)
    return subprocess.run([PELCOR] + list(arguments), cwd=cwd, env=env,
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=60)


def setUpModule():
    if not PELCOR:
        raise RuntimeError("PELCOR must name the binary under test")


class StartupTest(unittest.TestCase):
    def assertClean(self, result, status=0):
        """The exit code and nothing on standard error, where a sanitizer would report."""
        self.assertEqual(result.returncode, status, result.stderr)
        self.assertEqual(result.stderr, b"")

    def assertUsage(self, result, texts=ENGLISH, encoding="utf-8"):
        self.assertClean(result, 2)  # no file named
        self.assertEqual(result.stdout, usage(texts, encoding))


class BannerAndUsage(StartupTest):
    def test_no_arguments_gives_the_english_banner_and_usage(self):
        result = run([], LANG="C.UTF-8")
        self.assertUsage(result)
        self.assertEqual(result.stdout,
                         b"Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil\n"
                         b"Usage :\n\tpelcor <file>... [/866 | /1251] [--check] [--to=866 | --to=1251]\n")

    def test_russian_locales_give_the_russian_texts(self):
        cases = [
            {"LANG": "ru_RU.UTF-8"},
            {"LANG": "xx_RU.UTF-8"},  # a locale that cannot be installed
            {"LANG": "kk_KZ.UTF-8"},
            {"LANG": "C", "LC_ALL": "ru_RU.UTF-8"},
            {"LANG": "en_US.UTF-8", "LC_MESSAGES": "ru_RU.UTF-8"},
            # A charset the C library does not know is taken as UTF-8.
            {"LANG": "ru_RU.NO-SUCH-CHARSET"},
        ]
        for variables in cases:
            with self.subTest(**variables):
                self.assertUsage(run([], **variables), RUSSIAN)

    def test_russian_texts_leave_in_the_users_charset(self):
        cases = [
            ({"LANG": "ru_RU.CP866"}, "cp866"),
            ({"LANG": "ru_RU.KOI8-R"}, "koi8_r"),
            ({"LANG": "ru_RU.CP1251"}, "cp1251"),
            # The charset comes from LC_CTYPE, the language from LANG.
            ({"LANG": "ru_RU.UTF-8", "LC_CTYPE": "ru_RU.CP866"}, "cp866"),
        ]
        for variables, encoding in cases:
            with self.subTest(**variables):
                self.assertUsage(run([], **variables), RUSSIAN, encoding)
        # In code page 866 the texts are the tool's own bytes.
        self.assertTrue(usage(RUSSIAN, "cp866").startswith(b"\x93\xe2\xa8\xab\xa8\xe2\xa0 "))

    def test_other_locales_give_english(self):
        for lang in ["de_DE.UTF-8", "en_US.UTF-8", "uk_UA.UTF-8", "ru", "C", "POSIX", None]:
            with self.subTest(LANG=lang):
                self.assertUsage(run([], **({"LANG": lang} if lang else {})))


class UsageOrNot(StartupTest):
    def test_a_named_file_shows_no_usage(self):
        # A name too long for the system is reported as such.
        for arguments in [["missing.txt"], ["missing.txt" + " " * 5000 + "\t"]]:
            with self.subTest(arguments=arguments[0][:20]):
                with tempfile.TemporaryDirectory() as directory:
                    result = run(arguments, cwd=directory, LANG="C.UTF-8")
                    self.assertEqual(result.returncode, 1)  # nothing converted
                    self.assertEqual(result.stdout, banner(ENGLISH))
                    self.assertEqual(os.listdir(directory), [])


class BadInput(StartupTest):
    """Hostile command lines: the tool neither crashes nor touches a file it was not
    given. Decoys are the names a careless conversion of the argument could reach."""

    DECOYS = ["?.txt", "??.txt", "_.txt", "__.txt", "a.txt"]

    def check_no_harm(self, arguments, lang="C.UTF-8", texts=ENGLISH, encoding="utf-8"):
        with tempfile.TemporaryDirectory() as directory:
            for name in self.DECOYS:
                with open(os.path.join(directory, name), "wb") as f:
                    f.write(b"\xe0\xe1\xe2 " + name.encode())
            result = run(arguments, cwd=directory, LANG=lang)
            # Nothing converted: one report, answered Abort as nobody can answer.
            self.assertEqual(result.returncode, 1, result.stderr)
            self.assertNotRegex(result.stderr, rb"Sanitizer|runtime error")
            self.assertTrue(result.stderr.endswith(b" ?\n"), result.stderr[-80:])
            self.assertTrue(result.stdout.startswith(banner(texts, encoding)), result.stdout[:80])
            self.assertEqual(sorted(os.listdir(directory)), sorted(self.DECOYS))
            for name in self.DECOYS:
                with open(os.path.join(directory, name), "rb") as f:
                    self.assertEqual(f.read(), b"\xe0\xe1\xe2 " + name.encode(), name)

    def test_empty_blank_and_control_names_are_names_of_no_file(self):
        for arguments in [[""], ["", ""], [" "], ["   ", " "], ["\t"], [b"a.txt\t/866"],
                          [b"\x01a.txt"], [b"a.txt\r\n"], [b"a\x1b[2J.txt"]]:
            with self.subTest(arguments=arguments):
                self.check_no_harm(arguments)

    def test_bytes_invalid_in_the_users_charset(self):
        for arguments in [[b"\xff\xfe.txt"], [b"\xc3"], [b"\xed\xa0\x80.txt", b"/866"],
                          [b"\xf4\x90\x80\x80"], [b"\x80" * 300]]:
            with self.subTest(arguments=arguments):
                self.check_no_harm(arguments)

    def test_characters_code_page_866_cannot_hold(self):
        for arguments in [["日本.txt"], ["日.txt", "/866"], ["😀.txt"], ["ア" * 200]]:
            with self.subTest(arguments=arguments):
                self.check_no_harm(arguments)
                self.check_no_harm(arguments, "ru_RU.UTF-8", RUSSIAN)

    def test_very_long_arguments(self):
        for arguments in [["x" * 100_000], ["я" * 50_000, "/866"], ["a"] * 20_000,
                          ['"' * 100_000]]:
            with self.subTest(length=sum(map(len, arguments))):
                self.check_no_harm(arguments)

    def test_every_byte_in_a_single_byte_charset(self):
        every_byte = bytes(range(0x20, 0x100))
        for lang, encoding in [("ru_RU.CP866", "cp866"), ("ru_RU.KOI8-R", "koi8_r")]:
            with self.subTest(LANG=lang):
                self.check_no_harm([every_byte], lang, RUSSIAN, encoding)


if __name__ == "__main__":
    unittest.main()
