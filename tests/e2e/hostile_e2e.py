"""The tool where its surroundings work against it: closed standard descriptors, devices,
limits, signals, job control, a C library without a converter, a locale without a suffix."""

import errno
import os
import re
import resource
import shutil
import signal
import stat
import subprocess
import termios
import time
import unittest

import pexpect

from convert_e2e import BANNER, END, PROMPT, os_text, report
from pelcor_run import (NOTE, PELCOR, NoteDir, TempDir, environment, expected, read_file, run,
                        write_file)

# What opening a device tells.
NOT_A_REGULAR_FILE = b"not a regular file: a device"


def limited(size, ignore_xfsz=False, close=()):
    """A preexec function: a file-size limit of size bytes, descriptors closed."""

    def preexec():
        if ignore_xfsz:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
        for fd in close:
            os.close(fd)

    return preexec


def line_mode(fd):
    lflag = termios.tcgetattr(fd)[3]
    return bool(lflag & termios.ICANON) and bool(lflag & termios.ECHO)


def wait_for_key_mode(fd, want=True):
    deadline = time.monotonic() + 10
    while line_mode(fd) == want and time.monotonic() < deadline:
        time.sleep(0.05)
    return line_mode(fd) != want


class StandardDescriptors(unittest.TestCase):
    def test_closed_output_and_input_never_become_the_file(self):
        text = "Привет, мир! ".encode("cp1251") * 250  # 3250 bytes
        with TempDir() as d:
            # Output closed: the write past 2048 bytes fails, and its report is lost
            # instead of landing in the file.
            path = write_file(os.path.join(d, "out.txt"), text)
            subprocess.run([PELCOR, path], input=b"a", capture_output=False, env=environment(),
                           timeout=30, preexec_fn=limited(2048, True, close=(1,)))
            self.assertEqual(read_file(path), expected(text[:2048], "/1251") + text[2048:])

            # Input closed: no byte of the file is taken as an answer (r for Repeat); the
            # one report is answered Abort.
            data = b"r\xf0" * 1500
            path = write_file(os.path.join(d, "in.txt"), data)
            result = subprocess.run([PELCOR, path], capture_output=True, env=environment(),
                                    timeout=30, preexec_fn=limited(2048, True, close=(0,)))
            self.assertEqual(result.stderr.count(PROMPT), 1)
            self.assertEqual(read_file(path), expected(data[:2048], "/1251") + data[2048:])

    def test_output_nobody_can_take_never_stops_the_conversion(self):
        # A reader gone away (SIGPIPE as a shell leaves it) or a full disk: the texts are
        # dropped, the refusal's question is still answered, and the file converts.
        text = "Привет, мир! ".encode("cp1251") * 250
        pipe = os.pipe()
        os.close(pipe[0])
        full = os.open("/dev/full", os.O_WRONLY)
        self.addCleanup(os.close, pipe[1])
        self.addCleanup(os.close, full)
        for name, out in (("closed pipe", pipe[1]), ("full disk", full)):
            for data, switch, answers in ((text, "/1251", b""), (text, "/866", b"i")):
                with self.subTest(output=name, switch=switch), TempDir() as d:
                    path = write_file(os.path.join(d, "f.txt"), data)
                    result = subprocess.run([PELCOR, path, switch], input=answers, stdout=out,
                                            stderr=out, env=environment(), timeout=30)
                    self.assertEqual(result.returncode, 0)
                    self.assertEqual(read_file(path), expected(data, switch))


class Devices(unittest.TestCase):
    # Nodes of the test's own that no conversion can harm: one with /dev/null's numbers,
    # and a block device that names no device, so that opening it fails (ENXIO) unless it
    # is refused before it is opened.
    NODES = {"null": (stat.S_IFCHR, 1, 3), "disk": (stat.S_IFBLK, 0, 0)}

    def test_devices_are_refused_at_open(self):
        with TempDir() as d:
            for device in ["/dev/zero", "/dev/urandom", "/dev/null", *self.NODES]:
                with self.subTest(device=device):
                    if device in self.NODES:
                        kind, major, minor = self.NODES[device]
                        device = os.path.join(d, device)
                        try:
                            os.mknod(device, 0o600 | kind, os.makedev(major, minor))
                        except OSError:
                            self.skipTest("cannot make a device node here")
                    result = subprocess.run([PELCOR, device], input=b"a", capture_output=True,
                                            env=environment(), timeout=10)
                    self.assertEqual((result.stdout, result.stderr), (BANNER, report(
                        b"opening file " + device.encode(), NOT_A_REGULAR_FILE) + END))

    def test_streams_and_folders_are_refused_in_their_own_words(self):
        with TempDir() as d:
            os.mkfifo(os.path.join(d, "fifo"))
            os.mkdir(os.path.join(d, "folder"))
            for name, lang, said in (
                    ("fifo", "C.UTF-8", "cannot be rewritten in place; use - to convert a stream"),
                    ("fifo", "ru_RU.UTF-8",
                     "нельзя перезаписать на месте; чтобы перекодировать поток, укажите -"),
                    ("folder", "C.UTF-8", "is a directory"),
                    ("/dev/null", "ru_RU.UTF-8", "не обычный файл: устройство")):
                with self.subTest(name=name, lang=lang):
                    result = subprocess.run([PELCOR, name], input=b"a", capture_output=True,
                                            cwd=d, env=environment(lang), timeout=10)
                    self.assertIn(" : " + said + "\n", result.stderr.decode())


class FileSizeLimit(unittest.TestCase):
    def test_write_past_the_limit_is_reported_and_answered(self):
        data = bytes(range(0xC0, 0x100)) * 47  # 3008 bytes
        # The answers and the reports they take. An ignored failure of the last block
        # leaves the file unfinished as an Abort does. An Abort says how far the file got;
        # where the limit cut a block, what it moved is converted and not counted.
        stopped = "pelcor: {}: stopped; 2048 bytes from the start of the file are converted; {}\n"
        for limit, answers, reports, after in [
                (2500, b"ra", 2, "the conversion cannot be resumed"), (2500, b"i", 1, None),
                (2048, b"a", 1, "the same command finishes the conversion")]:
            with self.subTest(limit=limit, answers=answers), NoteDir(self) as d:
                path = write_file(os.path.join(d, "f.txt"), data)
                result = subprocess.run([PELCOR, path], input=answers, capture_output=True,
                                        env=environment(), timeout=30,
                                        preexec_fn=limited(limit))
                self.assertEqual(result.returncode, 1)
                failed = report(b"write to file " + path.encode(), os_text(errno.EFBIG))
                said = END + stopped.format(path, after).encode() if after else END
                self.assertEqual((result.stdout, result.stderr), (BANNER, failed * reports + said))
                # The third block got as far as the limit.
                self.assertEqual(read_file(path), expected(data[:limit], "/1251") + data[limit:])
                if after and "finishes" in after:
                    # The cause mended, the same command finishes the file.
                    again = run([path])
                    self.assertEqual(again.stderr.decode(),
                                     f"pelcor: {path}: resuming the conversion at byte 2048\n")
                    self.assertEqual(read_file(path), expected(data, "/1251"))


class Signals(unittest.TestCase):
    def spawn(self, command, args, **kwargs):
        def no_core():
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
            signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # Python ignores it

        # An empty HISTFILE: an interactive bash keeps no history in the user's home.
        child = pexpect.spawn(command, args, env=environment(PS1="$ ", HISTFILE=""), timeout=10,
                              preexec_fn=no_core, **kwargs)
        self.addCleanup(child.close, force=True)
        return child

    def at_prompt(self, d):
        child = self.spawn(PELCOR, [os.path.join(d, "none.txt")])
        child.expect_exact(PROMPT)
        self.assertTrue(wait_for_key_mode(child.child_fd))
        return child

    def test_every_ending_signal_restores_the_terminal(self):
        with TempDir() as d:
            for name in ("SIGHUP", "SIGINT", "SIGQUIT", "SIGTERM", "SIGUSR1", "SIGUSR2",
                         "SIGALRM", "SIGVTALRM", "SIGPROF", "SIGXCPU"):
                with self.subTest(signal=name):
                    number = getattr(signal, name)
                    child = self.at_prompt(d)
                    child.kill(number)
                    child.expect(pexpect.EOF)
                    self.assertTrue(line_mode(child.child_fd))
                    # The signals a run holds leave the question unanswered, and say so.
                    held = name in ("SIGHUP", "SIGINT", "SIGTERM")
                    self.assertEqual(b"none.txt: interrupted; 0 bytes" in child.before, held)
                    child.close()
                    self.assertEqual(child.signalstatus, number)

    def test_ending_signal_in_the_conversion_finishes_the_block_and_says_how_far(self):
        # strace makes each write take 50 ms, so that the signal comes in the middle.
        if shutil.which("strace") is None or subprocess.run(
                ["strace", "-o", "/dev/null", "true"], capture_output=True).returncode != 0:
            self.skipTest("needs strace, allowed to trace, to slow the writes down")
        data = "Съешь же ещё этих мягких французских булок, да выпей чаю.\n".encode("cp1251")
        data *= 20000  # room for many spans of many blocks
        said = {"C.UTF-8": "pelcor: {}: interrupted; {} bytes from the start of the file are "
                            "converted; the same command finishes the conversion",
                "ru_RU.UTF-8": "pelcor: {}: прервано; от начала файла {}; "
                               "та же команда закончит перекодировку"}
        # The Russian words agree with the number: 1024 байта, 2048 байт, 5120 байт.
        ending = {2: "о {} байта", 3: "о {} байта", 4: "о {} байта"}
        words = {"C.UTF-8": "{}".format, "ru_RU.UTF-8": lambda n: "перекодирован" + ending.get(
            n % 10 if n % 100 // 10 != 1 else 0, "о {} байт").format(n)}
        resumed = {"C.UTF-8": "pelcor: {}: resuming the conversion at byte {}",
                   "ru_RU.UTF-8": "pelcor: {}: перекодировка продолжается с байта {}"}
        for name, lang in (("SIGINT", "C.UTF-8"), ("SIGTERM", "ru_RU.UTF-8"), ("SIGHUP", "C.UTF-8")):
            with self.subTest(signal=name), NoteDir(self) as d:
                path = write_file(os.path.join(d, "f.txt"), data)
                tracer = subprocess.Popen(
                    ["strace", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                     "inject=pwrite64:delay_exit=50000", PELCOR, path],
                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                    env=environment(lang))
                deadline = time.monotonic() + 30
                while read_file(path)[:1024] == data[:1024] and time.monotonic() < deadline:
                    time.sleep(0.01)
                with open(f"/proc/{tracer.pid}/task/{tracer.pid}/children") as children:
                    os.kill(int(children.read().split()[0]), getattr(signal, name))
                _, errors = tracer.communicate(timeout=60)
                converted = int(re.search(rb"(\d+)\D*$", errors)[1]) if errors else -1
                self.assertEqual(errors.decode(),
                                 said[lang].format(path, words[lang](converted)) + "\n")
                self.assertTrue(0 < converted < len(data) and converted % 1024 == 0, converted)
                self.assertEqual(read_file(path),
                                 expected(data[:converted], "/1251") + data[converted:])
                # strace ends as its tracee did.
                self.assertEqual(tracer.returncode, -getattr(signal, name))
                # The same command finishes the file, and records it whole.
                again = subprocess.run([PELCOR, path], stdin=subprocess.DEVNULL,
                                       capture_output=True, env=environment(lang))
                self.assertEqual(again.stderr.decode(), resumed[lang].format(path, converted) + "\n")
                self.assertEqual(again.returncode, 0)
                self.assertEqual(read_file(path), expected(data, "/1251"))
                self.assertTrue(os.getxattr(path, NOTE).startswith(b"v1 whole 866 "))

    def test_a_second_signal_ends_the_run_at_once(self):
        # The first is held for the span in hand; the second ends the program at once,
        # as a run hung on a dead disk must still stop: no line, nothing finished.
        if shutil.which("strace") is None or subprocess.run(
                ["strace", "-o", "/dev/null", "true"], capture_output=True).returncode != 0:
            self.skipTest("needs strace, allowed to trace, to slow the writes down")
        data = "Съешь же ещё этих мягких французских булок.\n".encode("cp1251") * 20000
        with TempDir() as d:
            path = write_file(os.path.join(d, "f.txt"), data)
            tracer = subprocess.Popen(
                ["strace", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                 "inject=pwrite64:delay_exit=200000", PELCOR, path],
                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                env=environment())
            while read_file(path)[:1024] == data[:1024]:
                time.sleep(0.01)
            with open(f"/proc/{tracer.pid}/task/{tracer.pid}/children") as children:
                pid = int(children.read().split()[0])
            # Two of a kind would merge while the first waits to be taken: another kind,
            # and whichever the program takes second ends it.
            os.kill(pid, signal.SIGINT)
            time.sleep(0.02)
            os.kill(pid, signal.SIGTERM)
            _, errors = tracer.communicate(timeout=60)
            self.assertIn(tracer.returncode, (-signal.SIGINT, -signal.SIGTERM))
            self.assertEqual(errors, b"")
            self.assertNotEqual(read_file(path), expected(data, "/1251"))

    def test_keys_typed_ahead_end_the_run_with_the_terminal_restored(self):
        with TempDir() as d:
            child = self.at_prompt(d)
            child.send("ax")
            child.expect(pexpect.EOF)
            self.assertTrue(line_mode(child.child_fd))

    def test_stop_and_continue_under_job_control(self):
        # dash leaves the terminal as the stopped job left it, bash puts back its own
        # settings: the one shows a stop that forgets the terminal, the other a continue
        # that does not take up key mode again.
        for shell in (["dash", "-i"], ["bash", "--norc", "--noprofile", "--noediting", "-i"]):
            if shutil.which(shell[0]) is None:
                continue
            with self.subTest(shell=shell[0]), TempDir() as d:
                child = self.spawn(shell[0], shell[1:])
                child.expect_exact("$ ")
                child.sendline(f"{PELCOR} {d}/none.txt")
                child.expect_exact(PROMPT)
                self.assertTrue(wait_for_key_mode(child.child_fd))
                child.sendcontrol("z")
                child.expect("Stopped")
                child.expect_exact("$ ")
                self.assertTrue(line_mode(child.child_fd), "stopped in key mode")
                child.sendline("fg")
                self.assertTrue(wait_for_key_mode(child.child_fd), "continued in line mode")
                child.send("a")
                child.expect_exact("$ ")
                self.assertTrue(line_mode(child.child_fd))
                # Nothing after the command line that fg echoes: the key was not shown.
                self.assertEqual(child.before.rsplit(b"\n", 1)[-1].strip(), b"")
                child.sendline("exit")
                child.expect(pexpect.EOF)


SHIM = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <iconv.h>
#include <strings.h>

/* A C library without the converter of the code page MISSING names. */
iconv_t iconv_open(const char* to, const char* from) {
  if (strcasecmp(to, MISSING) == 0 || strcasecmp(from, MISSING) == 0) {
    errno = EINVAL;
    return (iconv_t)-1;
  }
  iconv_t (*next)(const char*, const char*) = dlsym(RTLD_NEXT, "iconv_open");
  return next(to, from);
}
"""


class MissingConverter(unittest.TestCase):
    def test_a_missing_converter_is_told_and_nothing_runs(self):
        if shutil.which("cc") is None:
            self.skipTest("no C compiler to build the preloaded library")
        # Without the console's converter the line is still said, in ASCII.
        for missing, pair in (("CP1251", b"UTF-8 to CP1251"), ("CP866", b"CP866 to UTF-8")):
            with self.subTest(missing=missing), TempDir() as d:
                source = write_file(os.path.join(d, "shim.c"), SHIM.encode())
                shim = os.path.join(d, "shim.so")
                subprocess.run(["cc", "-shared", "-fPIC", f'-DMISSING="{missing}"', "-o", shim,
                                source, "-ldl"], check=True)
                path = write_file(os.path.join(d, "f.txt"), b"\x80\x81")
                env = environment("ru_RU.UTF-8", LD_PRELOAD=shim,
                                  ASAN_OPTIONS="verify_asan_link_order=0")
                result = subprocess.run([PELCOR, path, "/866"], capture_output=True, env=env,
                                        timeout=30)
                if b"Sanitizer" in result.stderr:
                    self.skipTest("the sanitizer runtime refuses the preloaded library")
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertEqual(result.stderr, b"pelcor: the C library cannot convert from " +
                                 pair + b": Invalid argument; nothing was converted.\n")
                self.assertEqual(read_file(path), b"\x80\x81")


class LocaleWithoutSuffix(unittest.TestCase):
    def test_the_c_librarys_charset_for_an_installed_locale(self):
        # The locale is compiled into the test's own folder where the system lacks it.
        with TempDir() as d:
            env = environment("ru_RU")
            installed = subprocess.run(["locale", "-a"], capture_output=True).stdout.split()
            if b"ru_RU" not in installed:
                made = subprocess.run(["localedef", "-i", "ru_RU", "-f", "ISO-8859-5",
                                       os.path.join(d, "ru_RU")], capture_output=True)
                if made.returncode != 0:
                    self.skipTest("cannot make the locale ru_RU (ISO-8859-5)")
                env["LOCPATH"] = d
            result = subprocess.run([PELCOR], capture_output=True, env=env,
                                    stdin=subprocess.DEVNULL, timeout=30)
        banner = "Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil"
        self.assertTrue(result.stdout.startswith(banner.encode("iso-8859-5") + b"\n"))


if __name__ == "__main__":
    unittest.main()
