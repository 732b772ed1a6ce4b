"""The command line as users type it: the named files and no other, paths of any real
length, names in reports as typed, names as they are and the help forms. Decoys are the
files a wrong reading of the command line would reach; they must keep every byte."""

import os
import subprocess
import unittest

import pexpect

from pelcor_run import PELCOR, TempDir, environment, expected, read_file, write_file

BANNER = b"Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil\n"
USAGE = BANNER + b"Usage :\n\tpelcor <file>... [/866 | /1251] [--check] [--to=866 | --to=1251]\n"
PROMPT = b"? Ignore /I/ Repeat /R/ Abort /A/ ?"
# Lines of the help: what the switch means, several names and "-", where to read more.
HELP = [b"  /866   the file is in code page 866 (DOS): convert it to 1251 (Windows)",
        b"Several files may be named; - converts standard input to standard output.",
        b"The answer A (Abort) leaves that file, and the run goes on with the next one.",
        b"More: man pelcor"]
# Cyrillic text in both code pages: each direction changes every letter of it.
DATA = "Привет, ёлка!\r\n".encode("cp866") + "Привет, ёлка!\r\n".encode("cp1251")


def run(args, cwd, lang="C.UTF-8", answers=b""):
    return subprocess.run([PELCOR] + list(args), input=answers, capture_output=True, cwd=cwd,
                          env=environment(lang), timeout=60)


def make_path(root, components, data):
    """Makes the folders and the file at root/components..., relative to descriptors, so
    that a path past the system's limit can be made; components are bytes."""
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for name in components[:-1]:
            try:
                os.mkdir(name, dir_fd=fd)
            except FileExistsError:
                pass
            inner = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = inner
        out = os.open(components[-1], os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644, dir_fd=fd)
        os.write(out, data)
        os.close(out)
    finally:
        os.close(fd)


def read_path(root, components):
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for name in components[:-1]:
            inner = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = inner
        f = os.open(components[-1], os.O_RDONLY, dir_fd=fd)
        data = os.read(f, 1 << 20)
        os.close(f)
        return data
    finally:
        os.close(fd)


class NamedFileOnly(unittest.TestCase):

    def test_a_long_cyrillic_path_converts_in_the_asked_direction(self):
        # 8 folders of 40 letters: 330 bytes of code page 1251, 650 of UTF-8.
        components = ["папка№%d" % i + "ж" * 32 for i in range(8)] + ["файл.txt"]
        path = "/".join(components)
        self.assertGreater(len(path.encode("cp1251")), 300)
        with TempDir() as d:
            make_path(d, [c.encode() for c in components], DATA)
            # Decoys named by the cut of the old 129-byte tail.
            cut = (path + " /866").encode("cp1251")[:129].decode("cp1251").split("/")
            make_path(d, [c.encode() for c in cut], DATA)
            result = run([path, "/866"], d, lang="ru_RU.UTF-8")
            self.assertEqual(result.stdout, "Утилита перекодировки текста Windows/DOS ver. 1.1 "
                             "Автор Quorvendil\n".encode())
            self.assertEqual(read_file(os.path.join(d, path)), expected(DATA, "/866"))
            self.assertEqual(read_path(d, [c.encode() for c in cut]), DATA)


class ArgumentsAsTheyAre(unittest.TestCase):

    def test_each_argument_names_exactly_its_file(self):
        # Quotes, blanks, tabs, switch texts and bytes of no charset are the name's own;
        # after "--" the help words are names too.
        decoys = [b"q.txt", b"my q.txt", b"a", b"b.txt", b"M?ller.txt", b"--help"]
        cases = [(['"q.txt"'], b'"q.txt"', "/1251"), ([" q.txt", "/866"], b" q.txt", "/866"),
                 (["/866", "my q.txt ", "/866"], b"my q.txt ", "/866"), (["-h "], b"-h ", "/1251"),
                 (["a\tb.txt"], b"a\tb.txt", "/1251"), (["Müller.txt"], "Müller.txt".encode(), "/1251"),
                 ([b"M\xfcller.txt", "/866"], b"M\xfcller.txt", "/866"),
                 (["--", "--version"], b"--version", "/1251"),
                 (["/866", "--", "-h"], b"-h", "/866"), (["--", "--check"], b"--check", "/1251")]
        for args, named, switch in cases:
            with self.subTest(args=args), TempDir() as d:
                for name in decoys:
                    write_file(os.path.join(d.encode(), name), DATA)
                write_file(os.path.join(d.encode(), named), DATA)
                result = run(args, d)
                self.assertEqual((result.returncode, result.stdout), (0, BANNER))
                self.assertEqual(read_file(os.path.join(d.encode(), named)), expected(DATA, switch))
                for name in decoys:
                    if name != named:
                        self.assertEqual(read_file(os.path.join(d.encode(), name)), DATA, name)

    def test_several_files_go_on_after_one_that_fails(self):
        # A refused file, a missing one and an empty name: each is reported and left, with
        # Abort as no key comes; every good file is converted, and the status says 1.
        refused = "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n".encode("cp866")
        with TempDir() as d:
            for name in ["f1.txt", "f3.txt", "f4.txt"]:
                write_file(os.path.join(d, name), DATA)
            write_file(os.path.join(d, "f2.txt"), refused)
            result = run(["f1.txt", "f2.txt", "gone.txt", "f3.txt", "", "f4.txt"], d)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout.count(BANNER), 1)
            self.assertEqual([line for line in result.stderr.split(b"\n") if b"Action" in line],
                             [b"Action : read from file f2.txt",
                              b"Action : opening file gone.txt", b"Action : opening file "])
            for name in ["f1.txt", "f3.txt", "f4.txt"]:
                self.assertEqual(read_file(os.path.join(d, name)), expected(DATA, "/1251"), name)
            self.assertEqual(read_file(os.path.join(d, "f2.txt")), refused)
            # Answered in turn: Ignore converts the refused file, Abort leaves the missing.
            result = run(["/1251", "f2.txt", "gone.txt"], d, answers=b"ia")
            self.assertEqual(result.returncode, 1)
            self.assertEqual(read_file(os.path.join(d, "f2.txt")), expected(refused, "/1251"))


class Filter(unittest.TestCase):
    """"-" converts standard input to standard output: the output carries the text alone,
    questions are asked on the terminal, and answered Abort where there is none."""

    PROSE = "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"

    def filter(self, args, data):
        return subprocess.run([PELCOR] + args, input=data, capture_output=True,
                              env=environment(), timeout=60, start_new_session=True)

    def test_a_pipe_is_converted_to_the_output(self):
        text = "текст".encode("cp866")
        long = DATA * 30000  # spans of 256 KiB and more
        for args, data, converted in [(["-", "/866"], text, "текст".encode("cp1251")),
                                      (["-"], long, expected(long, "/1251")),
                                      (["/866", "--", "-"], b"", b"")]:
            with self.subTest(args=args, size=len(data)):
                result = self.filter(args, data)
                self.assertEqual((result.returncode, result.stdout), (0, converted))
                self.assertEqual(result.stderr, BANNER)

    def test_a_refused_stream_writes_nothing_and_the_files_go_on(self):
        with TempDir() as d:
            write_file(os.path.join(d, "a.txt"), DATA)
            result = subprocess.run([PELCOR, "-", "a.txt"], input=self.PROSE.encode("cp866"),
                                    capture_output=True, env=environment(), cwd=d, timeout=60,
                                    start_new_session=True)
            self.assertEqual((result.returncode, result.stdout), (1, b""))
            self.assertIn(b"\nAction : read from file -\n", result.stderr)
            self.assertEqual(read_file(os.path.join(d, "a.txt")), expected(DATA, "/1251"))

    def test_questions_are_answered_on_the_terminal(self):
        with TempDir() as d:
            write_file(os.path.join(d, "in.txt"), self.PROSE.encode("cp866"))
            child = pexpect.spawn("/bin/sh", ["-c", f'"{PELCOR}" - <in.txt >out.txt'], cwd=d,
                                  env=environment(), timeout=10)
            child.expect_exact(PROMPT.decode())
            child.send("i")
            child.expect(pexpect.EOF)
            child.close()
            self.assertEqual(child.exitstatus, 0)
            self.assertEqual(read_file(os.path.join(d, "out.txt")),
                             expected(self.PROSE.encode("cp866"), "/1251"))


def locale_installed(name):
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    return name.lower().replace("-", "") in [n.lower().replace("-", "") for n in listed]


def make_locale(name):
    """True when the locale is installed or could be made here (as root)."""
    if not locale_installed(name) and os.geteuid() == 0:
        source, charmap = name.split(".")
        subprocess.run(["localedef", "-i", source, "-f", charmap, name], capture_output=True)
    return locale_installed(name)


class NamesInReports(unittest.TestCase):

    def test_a_cyrillic_name_reads_as_typed(self):
        name = "нет_файла.txt"
        cases = [("C.UTF-8", "utf-8", "Action : opening file "),
                 ("ru_RU.UTF-8", "utf-8", "При выполнении операции : открытие файла "),
                 ("ru_RU.KOI8-R", "koi8_r", "При выполнении операции : открытие файла ")]
        for lang, encoding, label in cases:
            with self.subTest(lang=lang), TempDir() as d:
                if not make_locale(lang):
                    self.skipTest(lang + " cannot be made here")
                result = run([name.encode(encoding)], d, lang=lang, answers=b"a")
                self.assertIn(b"\n" + (label + name).encode(encoding) + b"\n", result.stderr)
                self.assertEqual(os.listdir(d), [])

    def test_a_character_outside_code_page_866_shows_as_a_replacement(self):
        with TempDir() as d:
            write_file(os.path.join(d, "a?.txt"), DATA)
            result = run(["a\u4e2d\t.txt"], d, answers=b"a")
            self.assertIn(b"\nAction : opening file a??.txt\n", result.stderr)
            self.assertEqual(read_file(os.path.join(d, "a?.txt")), DATA)


class Help(unittest.TestCase):

    def test_help_forms_show_the_usage_and_the_version_the_banner(self):
        # Asked for: status 0, the help after the usage. No name, or two different
        # switches: status 2, the usage alone. None touches a file that the arguments name.
        decoys = ["-h", "--help", "--version", "h", "help", "version", "a.txt"]
        for args, output, status in [
                (["/?"], HELP, 0), (["-h"], HELP, 0), (["--help"], HELP, 0),
                (["a.txt", "--help", "/866"], HELP, 0), (["--version"], BANNER, 0),
                (["--version", "a.txt"], BANNER, 0), ([], USAGE, 2), (["/866"], USAGE, 2),
                (["--"], USAGE, 2), (["a.txt", "/866", "/1251"], USAGE, 2),
                (["a.txt", "--to=866", "/866"], USAGE, 2),
                (["a.txt", "--to=866", "--to=866"], USAGE, 2), (["--check"], b"", 2)]:
            with self.subTest(args=args), TempDir() as d:
                for name in decoys:
                    write_file(os.path.join(d, name), DATA)
                result = run(args, d)
                self.assertEqual(result.returncode, status)
                if output is HELP:
                    self.assertTrue(result.stdout.startswith(USAGE))
                    for line in HELP:
                        self.assertIn(b"\n" + line + b"\n", result.stdout)
                else:
                    self.assertEqual(result.stdout, output)
                for name in decoys:
                    self.assertEqual(read_file(os.path.join(d, name)), DATA, name)
        russian = run(["-h"], None, "ru_RU.UTF-8").stdout.decode()
        self.assertIn("\n  /866   файл в кодовой странице 866 (DOS): перекодировать его в 1251 "
                      "(Windows)\n", russian)
        self.assertTrue(russian.endswith("\nПодробнее: man pelcor\n"))

if __name__ == "__main__":
    unittest.main()
