"""Shared helpers of the end-to-end tests: run the real binary on real files."""

import os
import subprocess
import tempfile

PELCOR = os.environ.get("PELCOR", "build/pelcor")

# The byte maps as published tables: (first byte, last byte, first target byte) for each
# range that moves, and the single bytes that move on their own.
_RANGES_866_TO_1251 = [(0x80, 0xAF, 0xC0), (0xE0, 0xEF, 0xF0)]
_SINGLES_866_TO_1251 = {0xF0: 0xA8, 0xF1: 0xB8, 0xFC: 0xB9}
# Where earlier versions put the numero sign in code page 1251: it comes back as the sign.
_OLD_NUMERO_1251 = 0xA9


def _build_maps():
    to1251 = list(range(256))
    for first, last, target in _RANGES_866_TO_1251:
        for b in range(first, last + 1):
            to1251[b] = target + (b - first)
    for b, target in _SINGLES_866_TO_1251.items():
        to1251[b] = target
    to866 = list(range(256))
    for b in range(256):
        if to1251[b] != b:
            to866[to1251[b]] = b
    to866[_OLD_NUMERO_1251] = to866[to1251[0xFC]]
    return bytes(to1251), bytes(to866)


MAP_866_TO_1251, MAP_1251_TO_866 = _build_maps()


def expected(data, switch):
    table = MAP_866_TO_1251 if switch == "/866" else MAP_1251_TO_866
    return bytes(data).translate(table)


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


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def read_file(path):
    with open(path, "rb") as f:
        return f.read()
