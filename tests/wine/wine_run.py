"""What the Wine tests share: prefixes, runs of Pelcor.exe, and the byte maps.

scripts/test-windows makes the two prefixes once and names them in PELCOR_WINEPREFIX_EN
and PELCOR_WINEPREFIX_RU; a test module run on its own makes any it lacks, once, in a
temporary folder removed at exit.
"""

import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pexpect

_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# The bytes a converted file must hold: Pelcor.exe's own map of every byte value, checked
# against the system's charset tables as the Linux tests check the Linux program's.
sys.path.insert(0, os.path.join(_ROOT, "tests", "e2e"))
from pelcor_run import expectation  # noqa: E402

PELCOR_EXE = os.environ.get("PELCOR_EXE", os.path.join(_ROOT, "build-windows", "Pelcor.exe"))
WINE = os.environ.get("PELCOR_WINE", "wine")

# Wine takes a new prefix's code pages from the locale: C gives OEM 437 and ANSI 1252,
# ru_RU.UTF-8 gives OEM 866 and ANSI 1251.
_LOCALES = {"en": "C.UTF-8", "ru": "ru_RU.UTF-8"}
_prefixes = {}
_made_here = []

# A ceiling for one Wine process: under qemu's emulation a 32-bit one starts in a few
# seconds, and the first run in a prefix waits for the prefix's own processes.
TIMEOUT = int(os.environ.get("PELCOR_WINE_TIMEOUT", "300"))


def environment(kind):
    """The environment of a Wine process in the prefix of the given kind ("en", "ru"). The
    menu builder is off: it writes menus and file types into the user's home."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("LC_") and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(LANG=_LOCALES[kind], WINEPREFIX=prefix(kind), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    return env


def prefix(kind):
    """The prefix of the given kind, made on first use unless the environment names one."""
    if kind not in _prefixes:
        named = os.environ.get("PELCOR_WINEPREFIX_" + kind.upper())
        _prefixes[kind] = named or _make_prefix(kind)
    return _prefixes[kind]


def _make_prefix(kind):
    path = os.path.join(tempfile.mkdtemp(prefix="pelcor-wine-"), kind)
    os.mkdir(path)
    _made_here.append(path)
    _prefixes[kind] = path
    quiet = dict(env=environment(kind), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                 stderr=subprocess.DEVNULL, check=True, timeout=20 * TIMEOUT)
    # The server starts first and stays up, so the system processes that wineboot starts
    # run on with their output on /dev/null: started by a test's program they would hold
    # its pipes or terminal open.
    subprocess.run(["wineserver", "-p"], **quiet)
    subprocess.run([WINE, "wineboot", "-i"], **quiet)
    return path


@atexit.register
def _remove_prefixes():
    for path in _made_here:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=path))
        shutil.rmtree(os.path.dirname(path), ignore_errors=True)


def set_country(kind, value):
    """Sets "iCountry" of the current user in the prefix, or deletes it when value is None."""
    key = r"HKCU\Control Panel\International"
    if value is None:
        args = ["reg", "delete", key, "/v", "iCountry", "/f"]
    else:
        args = ["reg", "add", key, "/v", "iCountry", "/t", "REG_SZ", "/d", value, "/f"]
    subprocess.run([WINE] + args, env=environment(kind), check=value is not None,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)


# Wine's console draws on the terminal with escape sequences: it moves the cursor over
# blanks instead of writing them, erases to the end of the line, hides and shows the
# cursor. The model below keeps what ends up on screen.
_SEQUENCE = re.compile(r"\x1b\[([0-?]*)[ -/]*([@-~])|\x1b\][^\x07\x1b]*(?:\x07|\x1b\\)|\x1b[@-_]")
_SCREEN_ROWS = 25


class _Screen:

    def __init__(self):
        self.rows = [[]]
        self.row = self.col = self.top = 0

    def put(self, char):
        line = self.rows[self.row]
        line.extend(" " * (self.col + 1 - len(line)))
        line[self.col] = char
        self.col += 1

    def line_feed(self):
        self.row += 1
        if self.row >= len(self.rows):
            self.rows.append([])
        self.top = max(self.top, self.row - _SCREEN_ROWS + 1)

    def control(self, params, final):
        numbers = [int(p) if p.isdigit() else 0 for p in params.split(";")]
        n = max(numbers[0], 1)
        if final == "C":
            self.col += n
        elif final == "D":
            self.col = max(self.col - n, 0)
        elif final == "G":
            self.col = n - 1
        elif final in "Hf":
            row, col = (numbers + [0, 0])[:2]
            self.row = self.top + max(row, 1) - 1
            self.col = max(col, 1) - 1
            self.rows.extend([] for _ in range(self.row + 1 - len(self.rows)))
        elif final == "K" and numbers[0] == 0:
            del self.rows[self.row][self.col:]
        # Other sequences (cursor visibility, colours, modes) change nothing visible.

    def feed(self, text):
        at = 0
        for match in _SEQUENCE.finditer(text):
            self.write(text[at:match.start()])
            if match.group(2):
                self.control(match.group(1), match.group(2))
            at = match.end()
        self.write(text[at:])

    def write(self, text):
        for char in text:
            if char == "\r":
                self.col = 0
            elif char == "\n":
                self.line_feed()
            elif char == "\t":
                self.col = (self.col // 8 + 1) * 8
            elif char >= " ":
                self.put(char)

    def lines(self):
        lines = ["".join(row).rstrip() for row in self.rows]
        while lines and not lines[-1]:
            lines.pop()
        return lines


def screen_lines(output):
    """The lines a terminal shows after the given output, trailing blanks removed."""
    screen = _Screen()
    screen.feed(output)
    return screen.lines()


_KEY_SETTLE = 0.5
_KEY_WAIT = max(10, TIMEOUT // 10)
_KEY_ATTEMPTS = 3


class Console:
    """Pelcor.exe running in a pseudo-terminal, through Wine's console."""

    def __init__(self, kind, args, cwd=None, program=None):
        """Runs Pelcor.exe with args, or the given program (a Windows command line as a
        list) when there is one."""
        command = list(program) if program is not None else [PELCOR_EXE] + list(args)
        self.child = pexpect.spawn(WINE, command, env=environment(kind),
                                   cwd=cwd, encoding="utf-8", codec_errors="replace",
                                   timeout=TIMEOUT, dimensions=(25, 200))
        self.output = ""
        self.ended = False

    def _wait_for_end(self, timeout):
        self.child.expect(pexpect.EOF, timeout=timeout)
        self.output += self.child.before
        self.ended = True

    def expect(self, text):
        """Waits until text has been shown; raises if the program ends or times out first."""
        self.child.expect_exact(text)
        self.output += self.child.before + self.child.after

    def answer(self, key, reaction):
        """Presses key at the prompt on screen and waits for reaction: a text, or None for
        the end of the program. The prompt discards input that comes before it is ready
        to read, so a key that brings no reaction is pressed again."""
        for attempt in range(_KEY_ATTEMPTS):
            time.sleep(_KEY_SETTLE)
            self.child.send(key)
            last = attempt == _KEY_ATTEMPTS - 1
            try:
                timeout = -1 if last else _KEY_WAIT
                if reaction is None:
                    self._wait_for_end(timeout)
                else:
                    self.child.expect_exact(reaction, timeout=timeout)
                    self.output += self.child.before + self.child.after
                return
            except pexpect.TIMEOUT:
                if last:
                    raise

    def finish(self):
        """Waits for the end of the program; returns (visible lines, exit code)."""
        if not self.ended:
            self._wait_for_end(-1)
        self.child.close()
        return screen_lines(self.output), self.child.exitstatus


def run_console(kind, args, cwd=None):
    """Runs Pelcor.exe to its end in a pseudo-terminal; returns (visible lines, exit code)."""
    return Console(kind, args, cwd).finish()


def run_program_in_console(kind, program, cwd=None):
    """Runs a program (a Windows command line as a list) to its end in a pseudo-terminal;
    returns (visible lines, exit code)."""
    return Console(kind, [], cwd, program).finish()


def run_redirected(kind, program, cwd=None, timeout=TIMEOUT):
    """Runs a program (a Windows command line as a list) with its input on /dev/null and
    its output and error output in files; returns (exit code, output, error output)."""
    # Files, not pipes: a pipe may be held open by processes the program starts.
    with tempfile.TemporaryFile() as output, tempfile.TemporaryFile() as errors:
        status = subprocess.run([WINE] + list(program), env=environment(kind), cwd=cwd,
                                stdin=subprocess.DEVNULL, stdout=output, stderr=errors,
                                timeout=timeout).returncode
        output.seek(0)
        errors.seek(0)
        return status, output.read(), errors.read()


def run_pelcor_redirected(kind, args, cwd=None, timeout=TIMEOUT):
    """Runs Pelcor.exe with its output in a file; returns (exit code, output bytes)."""
    return run_redirected(kind, [PELCOR_EXE] + list(args), cwd, timeout)[:2]


def _convert(data, switch):
    with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
        path = os.path.join(folder, "every-byte.bin")
        with open(path, "wb") as f:
            f.write(data)
        run_pelcor_redirected("en", ["every-byte.bin", switch], cwd=folder)
        with open(path, "rb") as f:
            return f.read()


converted = expectation(_convert)
