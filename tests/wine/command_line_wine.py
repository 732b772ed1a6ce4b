"""Pelcor.exe started from cmd the ways Windows users start programs: by a relative path,
by a path with a drive, renamed, with quoted names; names in any script, and in the
report as code page 866 shows them.

Each run takes place on drive P:, which maps a temporary folder. The decoys are the files
a program path mistaken for the file name would reach: the root's Pelcor.exe for
"sub\\Pelcor.exe", 2.exe for "Pelcor2.exe". They must keep every byte.
"""

import os
import tempfile
import unittest

import pexpect

import wine_run
from startup_wine import ENGLISH, RUSSIAN, shown

BANNER = ENGLISH[:1]
PROMPT = "? Ignore /I/ Repeat /R/ Abort /A/ ?"
# Letters in both code pages: any conversion changes them.
DATA = "Ёлка, привет".encode("cp1251") + "Ёлка, привет".encode("cp866")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class StartedFromCmd(unittest.TestCase):

    def setUp(self):
        wine_run.set_country("en", None)
        folder = tempfile.TemporaryDirectory(prefix="pelcor-")
        self.addCleanup(folder.cleanup)
        self.root = folder.name
        drive = os.path.join(wine_run.prefix("en"), "dosdevices", "p:")
        os.symlink(self.root, drive)
        self.addCleanup(os.remove, drive)
        with open(wine_run.PELCOR_EXE, "rb") as f:
            program = f.read()
        write(os.path.join(self.root, "work", "sub", "Pelcor.exe"), program)
        write(os.path.join(self.root, "work", "Pelcor2.exe"), program)
        self.decoys = [os.path.join(self.root, "Pelcor.exe"),
                       os.path.join(self.root, "work", "2.exe")]
        for decoy in self.decoys:
            write(decoy, DATA)

    def run_in_cmd(self, command):
        """Runs command from a batch file in P:\\work; returns the lines shown. A report
        is answered with Abort, so that a run that should have shown none still ends."""
        with open(os.path.join(self.root, "work", "run.bat"), "wb") as f:
            f.write(b"@P:\r\n@cd \\work\r\n@" + command.encode("ascii") + b"\r\n")
        console = wine_run.Console("en", [], cwd=self.root,
                                   program=["cmd", "/c", r"P:\work\run.bat"])
        if console.child.expect_exact([pexpect.EOF, PROMPT]) == 1:
            console.output += console.child.before + console.child.after
            console.answer("a", None)
        else:
            console.output += console.child.before
            console.ended = True
        lines, _ = console.finish()
        return shown(lines)

    def test_program_path_relative_with_a_drive_or_renamed(self):
        commands = [r"sub\Pelcor.exe", r".\sub\Pelcor.exe", r"P:\work\sub\Pelcor.exe",
                    "Pelcor2.exe", r"sub\Pelcor.exe /?"]
        for command in commands:
            with self.subTest(command=command):
                # The help follows the usage.
                self.assertEqual(self.run_in_cmd(command)[:3], shown(ENGLISH))
                for decoy in self.decoys:
                    self.assertEqual(read(decoy), DATA, decoy)
        for command, switch in [(r"sub\Pelcor.exe a.txt /866", "/866"),
                                (r"P:\work\sub\Pelcor.exe a.txt", "/1251"),
                                ("Pelcor2.exe a.txt /1251", "/1251"),
                                (r'Pelcor2.exe "my file.txt" /866', "/866"),
                                (r'sub\Pelcor.exe "my file.txt"', "/1251")]:
            with self.subTest(command=command):
                named = os.path.join(self.root, "work", command.split(" ", 1)[1]
                                     .rsplit(" /", 1)[0].strip('"'))
                write(named, DATA)
                self.assertEqual(self.run_in_cmd(command), BANNER)
                self.assertEqual(read(named), wine_run.converted(DATA, switch))
                for decoy in self.decoys:
                    self.assertEqual(read(decoy), DATA, decoy)


class Wildcards(unittest.TestCase):
    """A name with * or ? in its last part stands for each file it matches, checked or
    converted in turn; a folder that matches is passed over."""

    PROSE = "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"

    def run_exe(self, folder, *args):
        status, output, _ = wine_run.run_redirected("en", [wine_run.PELCOR_EXE] + list(args),
                                                    folder)
        return status, sorted(output.decode("cp437").splitlines())

    def test_check_and_to_over_a_folder(self):
        wine_run.set_country("en", None)
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            dos, windows = self.PROSE.encode("cp866"), self.PROSE.encode("cp1251")
            write(os.path.join(folder, "a.txt"), dos)
            write(os.path.join(folder, "b c.txt"), windows)
            write(os.path.join(folder, "e.dat"), dos)
            # Its short name, F~1.TXT where the volume makes 8.3 names, matches "*.txt".
            write(os.path.join(folder, "f.txtold"), dos)
            os.mkdir(os.path.join(folder, "d.txt"))
            for pattern in ("*.txt", "*.TXT"):
                self.assertEqual(self.run_exe(folder, pattern, "/check"), (0, [
                    "1251\tb c.txt\tcode page 1251 (Russian)",
                    "866\ta.txt\tcode page 866 (Russian)"]))
            self.assertEqual(self.run_exe(folder, "?.txt", "/check", "/866"),
                             (0, ["866\ta.txt\tcode page 866 (Russian)\t/866 converts it"]))
            self.assertEqual(self.run_exe(folder, "b c.txt", "/check")[1],
                             ["1251\tb c.txt\tcode page 1251 (Russian)"])
            self.assertEqual(self.run_exe(folder, "none*.txt", "/check"),
                             (1, ["unknown\tnone*.txt\tcannot open: file not found"]))
            self.assertEqual(self.run_exe(folder, "*.txt", "/to1251", "/866")[0], 2)
            for _ in range(2):
                self.assertEqual(self.run_exe(folder, "*.txt", "/to1251")[0], 0)
                for name in ["a.txt", "b c.txt"]:
                    self.assertEqual(read(os.path.join(folder, name)), windows, name)
            self.assertEqual(read(os.path.join(folder, "e.dat")), dos)
            self.assertEqual(read(os.path.join(folder, "f.txtold")), dos)


class CyrillicNameInTheReport(unittest.TestCase):

    def test_the_name_reads_as_typed_in_the_russian_prefix(self):
        # The name comes in the ANSI code page (1251) and the console shows the OEM one.
        wine_run.set_country("ru", "7")
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            console = wine_run.Console("ru", ["нет_файла.txt"], cwd=folder)
            console.expect("? Игнорировать")
            console.answer("a", None)
            lines, status = console.finish()
            self.assertIn("При выполнении операции : открытие файла нет_файла.txt", lines)
            self.assertEqual(lines[0], RUSSIAN[0])
            self.assertEqual(os.listdir(folder), [])

    def test_any_name_converts_where_the_ansi_code_page_is_not_1251(self):
        # The English prefix's ANSI code page is a Western one: the wide command line
        # still names each file, and the report shows what code page 866 can.
        wine_run.set_country("en", None)
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            for name in ["файл.txt", "αρχείο.txt", "文件 ё.txt"]:
                with self.subTest(name=name):
                    write(os.path.join(folder, name), DATA)
                    self.assertEqual(wine_run.run_pelcor_redirected("en", [name, "/866"], folder),
                                     (0, ENGLISH[0].encode() + b"\n\r"))
                    self.assertEqual(read(os.path.join(folder, name)),
                                     wine_run.converted(DATA, "/866"))
            for name, seen in [("нет_файла.txt", "нет_файла.txt"), ("无.txt", "?.txt")]:
                with self.subTest(name=name):
                    console = wine_run.Console("en", [name], cwd=folder)
                    console.expect(PROMPT)
                    console.answer("a", None)
                    lines, status = console.finish()
                    self.assertIn("Action : opening file " + seen, lines)
                    self.assertEqual(status, 1)


if __name__ == "__main__":
    unittest.main()
