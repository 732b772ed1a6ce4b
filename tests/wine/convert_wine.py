"""In-place conversion by Pelcor.exe under Wine: whole files in both directions, and the
error report with the operator's answers for a file that cannot be opened.

The tests run only once the executable converts files: a probe converts one letter
first and skips them when it comes back unchanged.
"""

import functools
import os
import random
import subprocess
import tempfile
import unittest

import wine_run

BANNER = "Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil"


@functools.cache
def converts_files():
    with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
        path = os.path.join(folder, "probe.txt")
        with open(path, "wb") as f:
            f.write(b"\xc0")  # cp1251 capital A
        wine_run.run_redirected("en", ["probe.txt"], cwd=folder)
        with open(path, "rb") as f:
            return f.read() != b"\xc0"


def setUpModule():
    if not converts_files():
        raise unittest.SkipTest("Pelcor.exe does not convert files yet")


class WholeFileTest(unittest.TestCase):

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="pelcor-")
        self.folder = self._folder.name
        self.addCleanup(self._folder.cleanup)

    def convert(self, data, args):
        path = os.path.join(self.folder, "a.txt")
        with open(path, "wb") as f:
            f.write(data)
        lines, status = wine_run.run_console("en", ["a.txt"] + args, cwd=self.folder)
        self.assertEqual(lines, [BANNER])  # no report
        self.assertEqual(status, 0)
        with open(path, "rb") as f:
            return f.read()

    def test_every_byte_value_in_both_directions(self):
        data = bytes(range(256))
        for switch in ["/866", "/1251"]:
            with self.subTest(switch=switch):
                self.assertEqual(self.convert(data, [switch]), wine_run.converted(data, switch))

    def test_file_of_several_blocks_is_converted_once_throughout(self):
        # Two whole blocks and a short one. Converting a byte twice, or a block at the
        # wrong offset, changes letters that the expectation keeps.
        data = random.Random(2500).randbytes(2500)
        for args, direction in [(["/866"], "/866"), (["/1251"], "/1251"), ([], "/1251")]:
            with self.subTest(args=args):
                result = self.convert(data, args)
                self.assertEqual(len(result), len(data))
                self.assertEqual(result, wine_run.converted(data, direction))


def system_text_of_missing_file(folder):
    """The system's own text for a file that is not there, as the command shell shows it."""
    shell = subprocess.run([wine_run.WINE, "cmd", "/c", "type", "missing.txt"], cwd=folder,
                           env=wine_run.environment("en"), stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=wine_run.TIMEOUT)
    return shell.stdout.decode("ascii").strip().splitlines()[0]


class MissingFileTest(unittest.TestCase):

    def test_report_repeat_and_abort(self):
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            text = system_text_of_missing_file(folder).strip().removesuffix(".")
            prompt = "? Ignore /I/ Repeat /R/ Abort /A/ ?"
            report = ["Action : opening file missing.txt",
                      "Error : " + text[0].lower() + text[1:],
                      "Cause : cause unknown",
                      "Recommendations : no reccomendations",
                      prompt]
            console = wine_run.Console("en", ["missing.txt"], cwd=folder)
            console.expect(prompt)
            console.answer("r", prompt)  # the open is tried again and fails again
            console.answer("a", None)
            lines, status = console.finish()
            self.assertEqual(lines, [BANNER] + report + report)
            self.assertEqual(status, 0)
            self.assertEqual(os.listdir(folder), [])


if __name__ == "__main__":
    unittest.main()
