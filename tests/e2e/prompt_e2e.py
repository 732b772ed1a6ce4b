"""The operator prompt end to end: keys typed in a terminal and keys given through a pipe.

The driver named by PROMPT_DRIVER shows one error report as the tool does and prints
"answer=N"; in a terminal it also tells whether the terminal is back in line mode.
"""

import os
import subprocess
import termios
import time
import unittest

import pexpect

DRIVER = os.environ.get("PROMPT_DRIVER", "")
ENGLISH_PROMPT = b"? Ignore /I/ Repeat /R/ Abort /A/ ?"
RUSSIAN_PROMPT = "? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?".encode()
# Time for the driver to reach its wait before a key comes: a key typed before the
# question is discarded on purpose.
SETTLE = 0.3


def environment(lang):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin")}
    if lang:
        env["LANG"] = lang
    return env


def key_mode(fd):
    """True when the terminal reads single keys without echo."""
    lflag = termios.tcgetattr(fd)[3]
    return not (lflag & termios.ICANON) and not (lflag & termios.ECHO)


def settle(child):
    """Waits until the driver waits for a key: it has switched the terminal to keys."""
    deadline = time.monotonic() + 10
    time.sleep(SETTLE)
    while not key_mode(child.child_fd) and time.monotonic() < deadline:
        time.sleep(0.05)


@unittest.skipUnless(DRIVER, "PROMPT_DRIVER is not set")
class TerminalPromptTest(unittest.TestCase):
    def start(self, lang=None, action="2", name="a.txt", prompt=ENGLISH_PROMPT):
        child = pexpect.spawn(DRIVER, [action, "2", name], env=environment(lang), timeout=10)
        self.addCleanup(child.close, force=True)
        child.expect_exact(prompt)
        settle(child)
        return child

    def type_keys(self, child, *keys):
        """Types each key on its own; all of them must leave the prompt waiting."""
        for key in keys:
            child.send(key)
            settle(child)
            self.assertTrue(child.isalive(), f"{key!r} answered the prompt")

    def answer_of(self, child):
        child.expect(rb"answer=(\d+) terminal=(\w+)")
        shown = child.before
        answer, mode = int(child.match.group(1)), child.match.group(2).decode()
        child.expect(pexpect.EOF)
        return answer, mode, shown

    def test_each_answer_key(self):
        for key, expected in (("r", 5), ("п", 5), ("И", 4), ("о", 6), ("A", 6)):
            with self.subTest(key=key):
                child = self.start()
                self.assertTrue(key_mode(child.child_fd))
                child.send(key)
                answer, mode, shown = self.answer_of(child)
                self.assertEqual(answer, expected)
                self.assertEqual(mode, "line")
                self.assertEqual(shown.strip(), b"", "the key was echoed")

    def test_other_keys_leave_the_prompt_waiting(self):
        child = self.start()
        # Arrow keys end in "A" and "D", letters that alone would answer Abort.
        self.type_keys(child, "x", "\r", "\x1b[A", "\x1bOA", "\x1b[1;5D", "\x1b[D", "P", "Р")
        child.send("i")
        answer, mode, shown = self.answer_of(child)
        self.assertEqual(answer, 4)
        self.assertEqual(mode, "line")
        self.assertEqual(shown.strip(), b"", "a key was echoed")

    def test_split_keys_are_one_key(self):
        child = self.start()
        child.send("\x1b[")
        time.sleep(0.05)
        child.send("A")
        settle(child)
        self.assertTrue(child.isalive(), "the end of an arrow key answered Abort")
        # The rest of a character comes however late: "и" in two halves is Ignore.
        child.send(b"\xd0")
        time.sleep(0.6)
        child.send(b"\xb8")
        self.assertEqual(self.answer_of(child)[0], 4)

    def test_ctrl_c_restores_the_terminal(self):
        child = self.start()
        self.assertTrue(key_mode(child.child_fd))
        child.sendintr()
        child.expect(pexpect.EOF)
        self.assertFalse(key_mode(child.child_fd))
        child.close()
        self.assertEqual(child.signalstatus, 2)

    def test_terminate_restores_the_terminal(self):
        child = self.start()
        child.kill(15)
        child.expect(pexpect.EOF)
        self.assertFalse(key_mode(child.child_fd))

    def test_russian_report_in_utf8(self):
        child = self.start(lang="ru_RU.UTF-8", action="4", prompt=RUSSIAN_PROMPT)
        text = child.before.decode("utf-8")
        self.assertIn("\r\nПри выполнении операции : чтение файла  a.txt\r", text)
        self.assertIn("\nВозникла ошибка : ", text)
        self.assertIn("\nПо причине : причина неизвестна\r", text)
        self.assertIn("\nРекомендации : рекомендации отсутствуют\r", text)
        child.send("п")
        self.assertEqual(self.answer_of(child)[0], 5)


@unittest.skipUnless(DRIVER, "PROMPT_DRIVER is not set")
class PipedPromptTest(unittest.TestCase):
    def run_driver(self, keys, lang=None):
        result = subprocess.run([DRIVER, "2", "2", "a.txt"], input=keys, env=environment(lang),
                                capture_output=True, timeout=10, check=True)
        return result.stdout

    def test_scripted_answers(self):
        cases = ((b"x r", b"answer=5"), (b"\x1b[A\x1bOA\x1b[1;5Di", b"answer=4"), ("xп".encode(), b"answer=5"),
                 (b"a", b"answer=6"))
        for keys, expected in cases:
            with self.subTest(keys=keys):
                self.assertIn(expected, self.run_driver(keys))

    def test_character_split_across_writes(self):
        driver = subprocess.Popen([DRIVER, "2", "2", "a.txt"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                  env=environment(None))
        driver.stdin.write(b"\xd0")  # the first half of "и"
        driver.stdin.flush()
        time.sleep(1)
        output, _ = driver.communicate(b"\xb8", timeout=10)
        self.assertIn(b"answer=4", output)

    def test_ended_input_aborts_at_once(self):
        for keys in (b"", b"x", b"\x1b["):
            with self.subTest(keys=keys):
                started = time.monotonic()
                output = self.run_driver(keys)
                self.assertIn(b"answer=6", output)
                self.assertLess(time.monotonic() - started, 5)

    def test_closed_input_aborts(self):
        result = subprocess.run([DRIVER, "2", "2", "a.txt"], stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=10, check=True)
        self.assertIn(b"answer=6", result.stdout)
        closed = subprocess.run(f"exec {DRIVER} 2 2 a.txt <&-", shell=True, capture_output=True,
                                timeout=10, check=True)
        self.assertIn(b"answer=6", closed.stdout)

    def test_english_report_through_a_pipe(self):
        result = subprocess.run([DRIVER, "2", "2", "a.txt"], input=b"r", env=environment(None),
                                capture_output=True, timeout=10, check=True)
        self.assertEqual(result.stderr,
                         b"\nAction : opening file a.txt\nError : no such file or directory\n"
                         b"Cause : cause unknown\nRecommendations : no recommendations\n"
                         + ENGLISH_PROMPT + b"\n")
        self.assertEqual(result.stdout, b"\nanswer=5\n")


if __name__ == "__main__":
    unittest.main()
