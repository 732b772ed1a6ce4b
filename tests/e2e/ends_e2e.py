"""However a run ends, the same command finishes it: the records a run leaves on the files
it changed, a run twice, a file named twice, a signal at any moment, closed streams."""

import os
import random
import signal
import subprocess
import time
import unittest

from pelcor_run import NOTE, PELCOR, NoteDir, environment, expected, read_file, run, write_file

WORDS = ("закон якоба ёлка учёт приём склад отчёт письмо ответ справка город улица дом "
         "время цена сумма рубль новый важный срочный съешь же ещё этих мягких булок").split()


def notes(d, count, seed):
    """Short notes in code page 866, 6 to 19 letters each; their paths and texts."""
    rng = random.Random(seed)
    made = {}
    for i in range(count):
        text = ""
        while len(text) < 6:
            text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3)))[:19]
        made[write_file(os.path.join(d, f"n{i:03}.txt"), text.encode("cp866"))] = text
    return made


def already(path, page):
    return (f"pelcor: {path}: converted already, it is in code page {page} now; "
            f"/{page} converts it back\n")


class RunTwice(unittest.TestCase):
    def test_a_run_twice_converts_once(self):
        with NoteDir(self) as d:
            made = notes(d, 100, 30)
            paths = sorted(made)
            self.assertEqual(run(paths + ["/866"]).returncode, 0)
            # Again in one call, and file by file as find -exec runs it: nothing changes.
            again = run(paths + ["/866"])
            self.assertEqual((again.returncode, again.stderr.decode()),
                             (0, "".join(already(p, 1251) for p in paths)))
            for path in paths[:10]:
                self.assertEqual(run([path, "/866"]).returncode, 0)
            for path, text in made.items():
                self.assertEqual(read_file(path), text.encode("cp1251"))
            # The switch the line names converts them back.
            self.assertEqual(run(paths + ["/1251"]).returncode, 0)
            for path, text in made.items():
                self.assertEqual(read_file(path), text.encode("cp866"))

    def test_a_record_of_other_bytes_is_not_trusted(self):
        # A backup copied back within the same tick of the clock: the same size and time,
        # and the record kept, over other bytes.
        with NoteDir(self) as d:
            path = write_file(os.path.join(d, "f.txt"), "закон якоба".encode("cp866"))
            self.assertEqual(run([path, "/866"]).returncode, 0)
            stamp = os.stat(path)
            write_file(path, "приём учёт".encode("cp866") + b"!")
            os.utime(path, ns=(stamp.st_atime_ns, stamp.st_mtime_ns))
            self.assertEqual(os.stat(path).st_size, stamp.st_size)
            result = run([path, "/866"])
            self.assertEqual((result.returncode, result.stderr), (0, b""))
            self.assertEqual(read_file(path), "приём учёт!".encode("cp1251"))

    def test_a_file_named_twice_is_converted_once(self):
        with NoteDir(self) as d:
            path = write_file(os.path.join(d, "f.txt"), "закон якоба".encode("cp866"))
            os.symlink("f.txt", os.path.join(d, "s.txt"))
            os.link(path, os.path.join(d, "h.txt"))
            others = [os.path.join(d, n) for n in ("s.txt", "h.txt", "./f.txt", "../" +
                                                   os.path.basename(d) + "/f.txt")]
            result = run([path] + others + ["/866"], cwd=d)
            self.assertEqual(result.returncode, 0)
            self.assertEqual(result.stderr.decode(), "".join(
                f"pelcor: {o}: the same file as {path}; skipped\n" for o in others))
            self.assertEqual(read_file(path), "закон якоба".encode("cp1251"))


class Signals(unittest.TestCase):
    def test_a_signal_at_any_moment_and_the_same_command_finish_every_file(self):
        # Three runs over 300 notes, each ended by a signal at a random moment, each
        # followed by the same command: every note converted once.
        rng = random.Random(866)
        for trial in range(3):
            with self.subTest(trial=trial), NoteDir(self) as d:
                made = notes(d, 300, trial)
                command = [PELCOR] + sorted(made) + ["/866"]
                child = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                         env=environment())
                time.sleep(rng.uniform(0.001, 0.006))
                child.send_signal(rng.choice([signal.SIGINT, signal.SIGTERM, signal.SIGHUP]))
                _, said = child.communicate(timeout=60)
                self.assertLessEqual(said.count(b"\n"), 1, said)
                self.assertNotIn(b"cannot be resumed", said)
                again = subprocess.run(command, capture_output=True, env=environment())
                self.assertEqual(again.returncode, 0, again.stderr)
                for path, text in made.items():
                    self.assertEqual(read_file(path), text.encode("cp1251"), path)


class Filter(unittest.TestCase):
    def test_a_stream_closed_at_the_start_is_said_and_nothing_read(self):
        for closed, said in ((0, b"standard input is closed"), (1, b"standard output is closed")):
            with self.subTest(closed=closed):
                result = subprocess.run([PELCOR, "-", "/866"], input=b"x", capture_output=True,
                                        env=environment(), pass_fds=(),
                                        preexec_fn=lambda: os.close(closed))
                self.assertEqual(result.returncode, 1)
                self.assertTrue(result.stderr.endswith(b"pelcor: -: " + said + b"\n"))


if __name__ == "__main__":
    unittest.main()
