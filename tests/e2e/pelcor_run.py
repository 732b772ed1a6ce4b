"""Shared helpers of the end-to-end tests: run the real binary on real files."""

import os
import subprocess
import tempfile

PELCOR = os.environ.get("PELCOR", "build/pelcor")

# The program's own map of every byte value, from one run in each direction on a file that
# holds them all, checked against the system's charset tables (iconv) before any test
# relies on it. The tests of larger files hold the program to that map.
_CODE_PAGES = {"/866": ("CP866", "CP1251"), "/1251": ("CP1251", "CP866")}


def _character(code_page, byte):
    """The character of the byte as iconv reads the code page, or None."""
    result = subprocess.run(["iconv", "-f", code_page, "-t", "UTF-8"], input=bytes([byte]),
                            capture_output=True)
    return result.stdout.decode() if result.returncode == 0 else None


def _is_cyrillic_letter(c):
    return c is not None and "\u0400" <= c < "\u0530" and c.isalpha()


def check_maps(maps):
    """Every character both code pages have comes out as itself and back; no other byte
    becomes a Cyrillic letter unless it was a letter."""
    characters = {page: [_character(page, b) for b in range(256)] for page in ("CP866", "CP1251")}
    for switch, (source, target) in _CODE_PAGES.items():
        table, back = maps[switch], maps["/1251" if switch == "/866" else "/866"]
        for b in range(256):
            c, result = characters[source][b], characters[target][table[b]]
            if c is not None and c in characters[target]:
                assert table[b] == characters[target].index(c), (source, b)
                assert back[table[b]] == b, (source, b)
            elif not _is_cyrillic_letter(c):
                assert not _is_cyrillic_letter(result), (source, b)


def expectation(convert):
    """expected(data, switch) for the program that convert(data, switch) runs."""
    maps = {}

    def expected(data, switch):
        if not maps:
            maps.update((s, convert(bytes(range(256)), s)) for s in _CODE_PAGES)
            check_maps(maps)
        return bytes(data).translate(maps[switch])

    return expected


def _convert(data, switch):
    """Every byte value is binary data to the guard: Ignore converts it all the same."""
    with TempDir() as d:
        path = write_file(os.path.join(d, "every-byte.bin"), data)
        subprocess.run([PELCOR, path, switch], input=b"i", capture_output=True, check=True,
                       timeout=60)
        return read_file(path)


expected = expectation(_convert)


def environment(lang="C.UTF-8", **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
    env["LANG"] = lang
    env.update(extra)
    return env


def run(args, answers=b"", lang="C.UTF-8", timeout=60, **kwargs):
    """Runs pelcor with piped answers; returns the CompletedProcess (output as bytes)."""
    return subprocess.run([PELCOR] + list(args), input=answers, capture_output=True,
                          env=environment(lang), timeout=timeout, **kwargs)


class TempDir:
    """A temporary folder that other users may enter, removed afterwards."""

    def __enter__(self):
        self._dir = tempfile.TemporaryDirectory(prefix="pelcor-")
        os.chmod(self._dir.name, 0o755)
        return self._dir.name

    def __exit__(self, *exc):
        self._dir.cleanup()


# The extended attribute that holds a file's record.
NOTE = "user.pelcor.resume"


class NoteDir:
    """A temporary folder on a file system that keeps user extended attributes, where a
    run leaves its records: beside the program, else where temporary files go. The test
    is skipped, and says so, where neither keeps them."""

    def __init__(self, test):
        self._test = test

    def __enter__(self):
        for parent in (os.path.dirname(os.path.abspath(PELCOR)), None):
            self._dir = tempfile.TemporaryDirectory(prefix="pelcor-", dir=parent)
            probe = write_file(os.path.join(self._dir.name, "probe"), b"")
            try:
                os.setxattr(probe, NOTE, b"probe")
                os.remove(probe)
                return self._dir.name
            except OSError:
                self._dir.cleanup()
        self._test.skipTest("no folder here keeps user extended attributes")

    def __exit__(self, *exc):
        self._dir.cleanup()


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def read_file(path):
    with open(path, "rb") as f:
        return f.read()
