#!/usr/bin/env python3
"""Ends runs at random moments and finishes each with the same command.

    bench/every_end.py [PELCOR]      PELCOR defaults to build/pelcor

Two sets, TRIALS runs each (default 40): 300 short notes in code page 866, and three
large texts (LARGE_MIB each, default 32). Each run works on fresh copies of its files, is
sent SIGINT, SIGTERM or SIGHUP at a random moment of the time an unbroken run takes, and
is followed by the same command. It counts the runs the signal met before, during and
after the conversion, the lines they said, and the files that came out other than an
unbroken run leaves them (converted twice, or not at all). The work folder lies beside
the program, where the records can be kept."""

import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PELCOR = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/pelcor"))
TRIALS = int(os.environ.get("TRIALS", "40"))
LARGE_MIB = int(os.environ.get("LARGE_MIB", "32"))
WORDS = ("закон якоба ёлка учёт приём склад отчёт письмо ответ справка город улица дом "
         "время цена сумма рубль новый важный срочный съешь же ещё этих мягких булок").split()


def make_notes(d):
    rng = random.Random(300)
    for i in range(300):
        text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3)))[:19]
        with open(os.path.join(d, f"n{i:03}.txt"), "wb") as f:
            f.write(text.encode("cp866"))


def make_large(d):
    rng = random.Random(3)
    line = " ".join(rng.choice(WORDS) for _ in range(12)).encode("cp866") + b"\r\n"
    for i in range(3):
        with open(os.path.join(d, f"large{i}.txt"), "wb") as f:
            f.write((line * (LARGE_MIB * 1048576 // len(line) + 1))[:LARGE_MIB * 1048576])


def command(d):
    return [PELCOR] + sorted(os.path.join(d, n) for n in os.listdir(d)) + ["/866"]


def contents(d):
    return {n: open(os.path.join(d, n), "rb").read() for n in sorted(os.listdir(d))}


def fresh(source, d):
    shutil.rmtree(d, ignore_errors=True)
    shutil.copytree(source, d)  # data only: no record comes along


def unbroken(source, work):
    """What one run leaves, and the time it takes (the best of three)."""
    times = []
    for _ in range(3):
        fresh(source, work)
        start = time.monotonic()
        subprocess.run(command(work), capture_output=True, check=True)
        times.append(time.monotonic() - start)
    return contents(work), min(times)


def trial(source, work, want, duration, rng, counts):
    fresh(source, work)
    child = subprocess.Popen(command(work), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
    time.sleep(rng.uniform(0, duration * 1.2))
    child.send_signal(rng.choice([signal.SIGINT, signal.SIGTERM, signal.SIGHUP]))
    _, said = child.communicate()
    touched = contents(work) != contents(source)
    counts["lines said"] += said.count(b"\n")
    counts["cannot be resumed"] += b"cannot be resumed" in said
    counts["ended before a file changed"] += not touched
    counts["ended with the work done"] += child.returncode == 0 or contents(work) == want
    again = subprocess.run(command(work), capture_output=True)
    counts["same command, status 0"] += again.returncode == 0
    got = contents(work)
    counts["files wrong"] += sum(got[n] != want[n] for n in want)


def run_set(name, make):
    base = tempfile.mkdtemp(prefix="pelcor-ends-", dir=os.path.dirname(PELCOR))
    try:
        source, work = os.path.join(base, "source"), os.path.join(base, "work")
        os.mkdir(source)
        make(source)
        want, duration = unbroken(source, work)
        rng = random.Random(name)
        counts = dict.fromkeys(["lines said", "cannot be resumed", "ended before a file changed",
                                "ended with the work done", "same command, status 0",
                                "files wrong"], 0)
        for _ in range(TRIALS):
            trial(source, work, want, duration, rng, counts)
        print(f"{name}: {TRIALS} runs, an unbroken one takes {duration * 1000:.1f} ms")
        for key, value in counts.items():
            print(f"  {key}: {value}")
    finally:
        shutil.rmtree(base)


if __name__ == "__main__":
    run_set("300 notes", make_notes)
    run_set(f"3 texts of {LARGE_MIB} MiB", make_large)
