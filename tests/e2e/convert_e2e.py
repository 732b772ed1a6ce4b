"""The real tool on real files: conversion, the report on real faults, the answers."""

import contextlib
import fcntl
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import time
import unittest

import pexpect

from pelcor_run import (PELCOR, TempDir, environment, expected, read_file, run,
                        write_file)

BANNER = b"Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil\n"
PROMPT = b"? Ignore /I/ Repeat /R/ Abort /A/ ?"
# What ends the prompt's line when the run ends after the last answer.
END = b"\n"


def report(action, error):
    return (b"\nAction : " + action + b"\nError : " + error +
            b"\nCause : cause unknown\nRecommendations : no recommendations\n" + PROMPT)


def refusal(path, error):
    """The report of a text refused by the guard, with Pelcor's own error."""
    return (b"\nAction : read from file " + path.encode() + b"\nError : " + error +
            b"\nCause : format of data element not correct"
            b"\nRecommendations : take correct information\n" + PROMPT)


# Two lines of prose, in each of the encodings the guard tells apart.
PROSE = ("Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"
         "В чащах юга жил бы цитрус? Да, но фальшивый экземпляр!\r\n")
IN_866 = b"the text is in code page 866 already; /866 converts it to 1251"
IN_1251 = b"the text is in code page 1251 already; /1251 converts it to 866"
ONLY_TWO = b"the text is in %s; Pelcor converts only code pages 866 and 1251"
PARTLY = b"the file is converted only in part: its beginning and its end are in different code pages"


def os_text(errno_value):
    """The C library's text for an error, as the report shows it."""
    text = os.strerror(errno_value).encode()
    return text[:1].lower() + text[1:]


class Conversion(unittest.TestCase):
    def convert(self, data, switch):
        with TempDir() as d:
            path = write_file(os.path.join(d, "f.txt"), data)
            args = [path] if switch is None else [path, switch]
            result = run(args)
            self.assertEqual(result.returncode, 0)
            self.assertEqual(result.stdout, BANNER)
            return read_file(path)

    def test_every_size_around_the_block_in_both_directions(self):
        rng = random.Random(866)
        for size in (0, 1, 1023, 1024, 1025, 2047, 2048, 2500, 3 * 1024 * 1024 + 17):
            data = bytes(rng.randrange(256) for _ in range(size))
            for switch in ("/866", "/1251", None):
                with self.subTest(size=size, switch=switch):
                    got = self.convert(data, switch)
                    self.assertEqual(len(got), size)
                    self.assertEqual(got, expected(data, switch or "/1251"))

    def test_all_byte_values_and_back(self):
        data = bytes(range(256)) * 5
        there = self.convert(data, "/866")
        self.assertEqual(there, expected(data, "/866"))
        self.assertEqual(self.convert(there, "/1251"), expected(there, "/1251"))

    def test_agrees_with_iconv_and_reads_right(self):
        text = ("Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"
                "ЁЛКА ёлка Ёж\tTab, ASCII 123 !? Заказ № 42\n\n  spaces  \r\n")
        cp866 = text.encode("cp866")
        cp1251 = text.encode("cp1251")
        iconv_1251 = subprocess.run(["iconv", "-f", "CP866", "-t", "CP1251"], input=cp866,
                                    capture_output=True, check=True).stdout
        iconv_866 = subprocess.run(["iconv", "-f", "CP1251", "-t", "CP866"], input=cp1251,
                                   capture_output=True, check=True).stdout
        self.assertEqual(self.convert(cp866, "/866"), iconv_1251)
        self.assertEqual(self.convert(cp1251, "/1251"), iconv_866)
        # Where earlier versions put the numero sign, 0xA9, it comes back as the sign.
        self.assertEqual(self.convert(b"\xa9\xb9", "/1251"), b"\xfc\xfc")
        # Typography and a form read right in the other code page.
        typography = "«Привет», — сказал он… “Ёлки” 10\u00a0000\u00a0руб.\r\n"
        self.assertEqual(self.convert(typography.encode("cp1251"), "/1251").decode("cp866"),
                         "\"Привет\", - сказал он. \"Ёлки\" 10\u00a0000\u00a0руб.\r\n")
        form = "╔════╗\r\n║ Анкета ║\r\n╚════╝\r\n"
        self.assertEqual(self.convert(form.encode("cp866"), "/866").decode("cp1251"),
                         "+====+\r\n| Анкета |\r\n+====+\r\n")

    def test_nothing_to_convert_keeps_the_time_of_last_change(self):
        for data in (b"", b"plain ASCII text\r\n" * 20000, bytes(300000)):
            with self.subTest(size=len(data)), TempDir() as d:
                path = write_file(os.path.join(d, "ascii.txt"), data)
                os.utime(path, ns=(10**18, 10**18))
                self.assertEqual(run([path, "/866"]).returncode, 0)
                self.assertEqual(os.stat(path).st_mtime_ns, 10**18)
                self.assertEqual(read_file(path), data)

    def test_name_with_spaces_and_cyrillic_letters(self):
        with TempDir() as d:
            path = write_file(os.path.join(d, "мой файл.txt"), "Ёж".encode("cp1251"))
            result = run([path], lang="ru_RU.UTF-8")
            self.assertEqual(result.returncode, 0)
            self.assertEqual(read_file(path), "Ёж".encode("cp866"))

    def test_name_the_code_page_cannot_hold_opens_nothing_else(self):
        with TempDir() as d:
            # Both names would read "a?.txt" if the unknown letter were replaced.
            decoy = write_file(os.path.join(d, "a?.txt"), b"\xc0")
            result = run([os.path.join(d, "a\u4e2d.txt")], answers=b"a")
            self.assertIn(b"Action : opening file", result.stderr)
            self.assertEqual(read_file(decoy), b"\xc0")


class PipedAnswers(unittest.TestCase):
    def test_text_in_another_encoding_is_refused_and_the_answer_obeyed(self):
        cp866, cp1251, utf8 = (PROSE.encode(e) for e in ("cp866", "cp1251", "utf-8"))
        rows = [
            # (what, text, switch, answers or None for no console, errors shown, converted)
            ("1251 named 866", cp1251, "/866", b"a", [IN_1251], False),
            # What the first run of "pelcor f.txt" made of 1251 text, run again.
            ("a second run", expected(cp1251, "/1251"), None, b"a", [IN_866], False),
            ("866 named 1251", cp866, "/1251", b"a", [IN_866], False),
            ("UTF-8 named 866", utf8, "/866", b"a",
             [b"the text is in UTF-8, not in code page 866"], False),
            ("UTF-8 without a switch", utf8, None, b"a",
             [b"the text is in UTF-8, not in code page 1251"], False),
            ("Ignore converts as asked", cp866, None, b"i", [IN_866], True),
            ("Repeat judges again", cp866, None, b"ra", [IN_866, IN_866], False),
            ("no console: Abort", cp866, None, None, [IN_866], False),
            ("the right code page", cp866, "/866", b"", [], True),
            ("KOI8-R", PROSE.encode("koi8_r"), None, b"a", [ONLY_TWO % b"KOI8-R or KOI8-U"], False),
            ("ISO-8859-5", PROSE.encode("iso8859_5"), "/866", b"a", [ONLY_TWO % b"ISO-8859-5"],
             False),
            ("UTF-16 as Notepad saves it", PROSE.encode("utf-16"), None, b"a",
             [ONLY_TWO % b"UTF-16"], False),
            # A short Ukrainian note converted twice.
            ("a short note", expected("Домашнє завдання, урок 1.1\r\n".encode("cp1251"), "/1251"),
             None, b"a", [IN_866], False),
            # What an interrupted "pelcor f.txt" leaves, past the first sample and the last.
            ("converted in part", cp866 * 700 + cp1251 * 700, None, b"a", [PARTLY], False),
        ]
        for what, text, switch, answers, errors, converted in rows:
            with self.subTest(what), TempDir() as d:
                path = write_file(os.path.join(d, "f.txt"), text)
                args = [path] + ([switch] if switch else [])
                keys = {"input": answers} if answers is not None else {"stdin": subprocess.DEVNULL}
                result = subprocess.run([PELCOR] + args, capture_output=True, env=environment(),
                                        timeout=60, **keys)
                self.assertEqual(result.stdout, BANNER)
                self.assertEqual(result.stderr, b"".join(refusal(path, e) for e in errors) +
                                 (END if errors else b""))
                self.assertEqual(result.returncode, 0 if converted else 1)
                self.assertEqual(read_file(path),
                                 expected(text, switch or "/1251") if converted else text)

    def test_missing_file_abort_leaves_nothing(self):
        with TempDir() as d:
            path = os.path.join(d, "missing.txt")
            result = run([path], answers=b"a")
            self.assertEqual(result.returncode, 1)
            self.assertEqual((result.stdout, result.stderr),
                             (BANNER, report(b"opening file " + path.encode(), os_text(2)) + END))
            self.assertFalse(os.path.exists(path))

    def test_ended_input_answers_abort_at_once(self):
        with TempDir() as d:
            path = os.path.join(d, "missing.txt")
            start = time.monotonic()
            result = run([path], answers=b"", timeout=20)
            self.assertLess(time.monotonic() - start, 10)
            self.assertEqual(result.returncode, 1)
            self.assertTrue(result.stderr.endswith(PROMPT + END))
            self.assertEqual(result.stderr.count(PROMPT), 1)

    def test_ignore_after_failed_open_reports_the_read(self):
        with TempDir() as d:
            path = os.path.join(d, "missing.txt")
            result = run([path], answers=b"x i a")
            out = result.stderr
            self.assertIn(b"Action : opening file " + path.encode(), out)
            self.assertIn(b"Action : read from file " + path.encode(), out)
            self.assertEqual(out.count(PROMPT), 2)

    def test_directory(self):
        with TempDir() as d:
            result = run([d], answers=b"a")
            self.assertEqual((result.stdout, result.stderr),
                             (BANNER, report(b"opening file " + d.encode(), os_text(21)) + END))

    def test_a_sparse_file_converts_on_a_full_disk(self):
        # A small file system of its own, where the test may mount one: only the blocks
        # that change are written, and they have their room already; the holes need none.
        with TempDir() as d:
            mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", d],
                                     capture_output=True)
            if mounted.returncode != 0:
                self.skipTest("cannot mount a small file system here")
            try:
                path = os.path.join(d, "sparse.txt")
                with open(path, "wb") as f:
                    f.truncate(1024 * 1024)
                    for offset in range(0, 1024 * 1024, 128 * 1024):
                        f.seek(offset)
                        f.write(b"\xe0")
                result = run([path], answers=b"a")
                self.assertEqual((result.returncode, result.stderr), (0, b""))
                self.assertEqual(read_file(path).count(expected(b"\xe0", "/1251")), 8)
            finally:
                subprocess.run(["umount", d], check=True)

    def test_read_only_file_as_an_unprivileged_user(self):
        if shutil.which("setpriv") is None or os.geteuid() != 0:
            self.skipTest("needs root and setpriv to drop privileges")
        with TempDir() as d:
            path = write_file(os.path.join(d, "ro.txt"), b"\xc0\xc1")
            os.chmod(path, 0o444)
            result = subprocess.run(
                ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", PELCOR,
                 path], input=b"a", capture_output=True, env=environment(), timeout=60)
            self.assertEqual((result.stdout, result.stderr),
                             (BANNER, report(b"opening file " + path.encode(), os_text(13)) + END))
            self.assertEqual(read_file(path), b"\xc0\xc1")

    def test_russian_report(self):
        with TempDir() as d:
            path = os.path.join(d, "missing.txt")
            result = run([path], answers=b"a", lang="ru_RU.UTF-8")
            out = result.stderr.decode("utf-8")
            self.assertIn("\nПри выполнении операции : открытие файла " + path + "\n", out)
            self.assertIn("\nПо причине : причина неизвестна\n", out)
            self.assertIn("\nРекомендации : рекомендации отсутствуют\n", out)
            self.assertTrue(out.endswith("Отменить /A,a,О,о/ ?\n"))


def hold_at_write_prompt(path):
    """Starts a run that converts the first block of path and then stops on a failed
    write of the second one (the file size limit), holding the file open."""

    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (1024, 1024))

    child = pexpect.spawn(PELCOR, [path], env=environment(), preexec_fn=limit, timeout=20)
    child.expect_exact(b"Action : write to file")
    child.expect_exact(PROMPT)
    return child


class Terminal(unittest.TestCase):
    def spawn(self, args, lang="C.UTF-8"):
        return pexpect.spawn(PELCOR, args, env=environment(lang), timeout=20)

    def test_missing_file_repeat_until_it_exists(self):
        with TempDir() as d:
            path = os.path.join(d, "later.txt")
            child = self.spawn([path, "/866"])
            child.expect_exact(PROMPT)
            child.send("r")  # still missing: the same report again
            child.expect_exact(b"Action : opening file " + path.encode())
            child.expect_exact(PROMPT)
            write_file(path, b"\x80\xa0\xf0")
            child.send("R")
            child.expect(pexpect.EOF)
            child.close()
            self.assertEqual(child.exitstatus, 0)
            self.assertEqual(read_file(path), b"\xc0\xe0\xa8")

    def test_abort_key_ends_the_run(self):
        # The question is asked on the terminal whichever stream is sent to a file: the
        # banner goes with standard output, and no report into the file.
        for redirection, logged in (("", None), ("> log", BANNER), ("2> log", b"")):
            with self.subTest(redirection=redirection), TempDir() as d:
                child = pexpect.spawn("/bin/sh", ["-c", f'exec "$0" "$1" {redirection}', PELCOR,
                                                  os.path.join(d, "none.txt")],
                                      env=environment(), timeout=20, cwd=d)
                child.expect_exact(PROMPT)
                child.send("\x1b[D")  # an arrow key is no answer
                child.send("x\r")
                time.sleep(0.3)
                self.assertTrue(child.isalive())
                child.send("a")
                child.expect(pexpect.EOF)
                child.close()
                self.assertEqual(child.exitstatus, 1)
                self.assertEqual(os.listdir(d), [] if logged is None else ["log"])
                if logged is not None:
                    self.assertEqual(read_file(os.path.join(d, "log")), logged)

    def test_repeat_after_a_partial_write_puts_the_block_at_its_own_offset(self):
        # The second block's write stops 100 bytes in at the file size limit and fails;
        # the file position has moved on with those bytes. With the limit lifted, Repeat
        # writes the whole block again where it was read, and the run goes on.
        def limit():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (1124, resource.RLIM_INFINITY))

        with TempDir() as d:
            data = bytes(range(256)) * 12
            path = write_file(os.path.join(d, "a.txt"), data)
            child = pexpect.spawn(PELCOR, [path], env=environment(), preexec_fn=limit,
                                  timeout=20)
            child.expect_exact(b"Action : write to file")
            child.expect_exact(PROMPT)
            self.assertEqual(read_file(path)[:1124], expected(data[:1124], "/1251"))
            resource.prlimit(child.pid, resource.RLIMIT_FSIZE,
                             (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
            child.send("r")
            child.expect(pexpect.EOF)
            child.close()
            self.assertEqual(child.exitstatus, 0)
            self.assertEqual(read_file(path), expected(data, "/1251"))

    def test_file_held_elsewhere_is_refused(self):
        # Another run holds the file with both kinds of lock; other programs take one or
        # the other, on the whole file or a part, for writing or for reading.
        holders = {
            "another run": None,
            "lockf": lambda f: fcntl.lockf(f, fcntl.LOCK_EX),
            "lockf, shared, one byte": lambda f: fcntl.lockf(f, fcntl.LOCK_SH, 1, 100),
            "flock": lambda f: fcntl.flock(f, fcntl.LOCK_EX),
        }
        data = bytes(range(256)) * 16
        for holder, lock in holders.items():
            with self.subTest(holder=holder), TempDir() as d:
                path = write_file(os.path.join(d, "held.txt"), data)
                with contextlib.ExitStack() as held:
                    if lock is None:
                        child = hold_at_write_prompt(path)
                        held.callback(child.close)
                        held.callback(child.expect, pexpect.EOF)
                        held.callback(child.send, "a")
                        # The run's locks keep out a record lock and an flock alike.
                        with open(path, "r+b") as f:
                            for probe in (fcntl.lockf, fcntl.flock):
                                with self.assertRaises(OSError):
                                    probe(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
                    else:
                        lock(held.enter_context(open(path, "r+b")))
                    second = run([path], answers=b"a")
                    self.assertEqual((second.returncode, second.stdout, second.stderr), (1, BANNER, report(
                        b"opening file " + path.encode(), os_text(16)) + END))
                # The holding run converted its first block only; the second run touched
                # nothing.
                converted = 1024 if lock is None else 0
                self.assertEqual(read_file(path),
                                 expected(data[:converted], "/1251") + data[converted:])


def strace_delays():
    """Whether strace may trace here, to slow a run's transfers down."""
    return shutil.which("strace") is not None and subprocess.run(
        ["strace", "-o", "/dev/null", "true"], capture_output=True).returncode == 0


class ProgressLine(unittest.TestCase):
    """A run that takes over a second shows one line on the terminal, rewritten in place;
    strace makes each write of the file take 0.1 s."""

    LINE = rb"\rpelcor: (\S+): (\d+)%, \d+\.\d MB/s\x1b\[K"
    DATA = "Съешь же ещё этих мягких французских булок, да выпей чаю.\n".encode("cp1251") * 70000

    def slowed(self, path):
        return ["strace", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                "inject=pwrite64:delay_exit=100000", PELCOR, path]

    def test_a_slow_file_on_a_terminal_and_not_in_a_pipe(self):
        if not strace_delays():
            self.skipTest("needs strace, allowed to trace, to slow the writes down")
        with TempDir() as d:
            path = write_file(os.path.join(d, "f.txt"), self.DATA)
            # A leak check cannot run under a tracer.
            traced = environment(ASAN_OPTIONS="detect_leaks=0")
            child = pexpect.spawn(self.slowed(path)[0], self.slowed(path)[1:], env=traced,
                                  timeout=60)
            child.expect(pexpect.EOF)
            shown = child.before.replace(b"\r\n", b"\n")
            lines = re.findall(self.LINE, shown)
            self.assertTrue(lines, shown)
            self.assertEqual({name for name, _ in lines}, {path.encode()})
            self.assertTrue(shown.endswith(b"\r\x1b[K"), shown)
            self.assertEqual(read_file(path), expected(self.DATA, "/1251"))
            write_file(path, self.DATA)
            piped = subprocess.run(self.slowed(path), stdin=subprocess.DEVNULL,
                                   capture_output=True, env=traced, timeout=60)
            self.assertEqual(piped.stderr, b"")


@unittest.skipIf(os.environ.get("PELCOR_SKIP_LONG"), "long test skipped on request")
class LargeFile(unittest.TestCase):
    MARK = bytes(range(0x80, 0x100)) * 4  # one block of moving bytes

    def test_sparse_file_past_4_gib(self):
        size = 4 * 1024**3 + 5 * 1024 + 300
        offsets = [0, 2 * 1024**3 - 1024, 2 * 1024**3, 4 * 1024**3 - 1024, 4 * 1024**3,
                   4 * 1024**3 + 4096]
        with TempDir() as d:
            path = os.path.join(d, "big.bin")
            if shutil.disk_usage(d).free < 256 * 1024**2:
                self.skipTest("not enough free disk for the blocks of a sparse file")
            with open(path, "wb") as f:
                f.truncate(size)
                for offset in offsets:
                    f.seek(offset)
                    f.write(self.MARK)
                os.fsync(f.fileno())  # the blocks allocated, not only reserved
            allocated = os.stat(path).st_blocks * 512
            result = run([path], timeout=1800)
            self.assertEqual(result.returncode, 0)
            self.assertEqual(result.stdout, BANNER)
            self.assertEqual(os.path.getsize(path), size)
            converted = expected(self.MARK, "/1251")
            with open(path, "rb") as f:
                for offset in offsets:
                    f.seek(offset)
                    self.assertEqual(f.read(len(self.MARK)), converted, offset)
                # Blocks between the marks stay zeros: nothing was written off its place.
                for offset in (1024**3, 3 * 1024**3, size - 300):
                    f.seek(offset)
                    self.assertEqual(f.read(300), bytes(300), offset)
            # Only blocks that change are written: the holes stay holes (a file system
            # may add a block of its own bookkeeping).
            self.assertLess(os.stat(path).st_blocks * 512, allocated + 64 * 1024)

if __name__ == "__main__":
    unittest.main()
