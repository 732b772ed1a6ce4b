"""A folder of files nobody sorted: --check tells what each one is, --to brings the
Cyrillic texts to one code page and leaves or refuses the rest. The texts come from the
system's Russian fortunes and message catalogues, recoded here."""

import gettext
import os
import unittest

from pelcor_run import PELCOR, NoteDir, expected, read_file, run, write_file

FORTUNES = "/usr/share/games/fortunes/ru"
CATALOGUE = "/usr/share/locale/{}/LC_MESSAGES/coreutils.mo"


def fitting(text, *codecs):
    def fits(c):
        try:
            return all(c.encode(codec) for codec in codecs)
        except UnicodeEncodeError:
            return False
    return "".join(c for c in text if fits(c))


def corpus():
    """Russian prose and a Ukrainian catalogue, or skips (fails under CI) without them."""
    missing = [p for p in (FORTUNES, CATALOGUE.format("uk")) if not os.path.exists(p)]
    if missing:
        if os.environ.get("CI"):
            raise AssertionError("missing: %s; scripts/test installs them" % missing)
        raise unittest.SkipTest("missing: %s; scripts/test installs them" % missing)
    names = sorted(n for n in os.listdir(FORTUNES) if not n.endswith((".dat", ".u8")))
    prose = ""
    for name in names[:3]:
        with open(os.path.join(FORTUNES, name), encoding="utf-8", errors="ignore") as f:
            prose += f.read()
    with open(CATALOGUE.format("uk"), "rb") as f:
        ukrainian = "\n".join(v for k, v in gettext.GNUTranslations(f)._catalog.items() if k)
    return (fitting(prose[:40000], "cp866", "cp1251", "koi8_r", "iso8859_5"),
            fitting(ukrainian, "cp1251")[:8000])


def folder():
    """(name, bytes, first field, description, what /1251 would do, what --to=1251 does)."""
    prose, ukrainian = corpus()
    text = prose[:8000]
    binary = b"Data follows this line.\r\n\x02\x00\x01" + read_file(PELCOR)[:65536]
    latin = "Müller grüßt die Straße, Größe. Ça va très bien en français, naïve. " * 40
    half = len(prose) // 2
    return [
        ("dos.txt", text.encode("cp866"), "866", "code page 866 (Russian)",
         "/1251 would refuse it", "converts"),
        ("windows.txt", ukrainian.encode("cp1251"), "1251", "code page 1251 (Ukrainian)",
         "/1251 converts it", "in code page 1251 already"),
        ("koi8.txt", text.encode("koi8_r"), "koi8", "KOI8-R", "/1251 would refuse it", "refuses"),
        ("iso.txt", text.encode("iso8859_5"), "iso-8859-5", "ISO-8859-5",
         "/1251 would refuse it", "refuses"),
        ("utf8.txt", text.encode(), "utf-8", "UTF-8", "/1251 would refuse it", "refuses"),
        ("utf16.txt", text.encode("utf-16"), "utf-16", "UTF-16", "/1251 would refuse it",
         "refuses"),
        ("binary.bin", binary, "binary", "binary (control code 0x02 at byte 25)",
         "/1251 would refuse it", "refuses"),
        ("latin.txt", latin.encode("cp1252"), "latin", "a Latin code page", "/1251 would refuse it",
         "refuses"),
        ("part.txt", prose[:half].encode("cp866") + prose[half:].encode("cp1251"), "part",
         "converted in part (beginning in 866, end in 1251)", "/1251 would refuse it",
         "refuses"),
        # A head of 1,000 bytes converted in a file of 36,000: the first and last KiB tell it.
        ("head.txt", prose[:1000].encode("cp1251") + prose[1000:36000].encode("cp866"), "part",
         "converted in part (beginning in 1251, end in 866)", "/1251 would refuse it", "refuses"),
        ("ascii.txt", b"Plain text, nothing to convert.\r\n" * 100, "ascii",
         "ASCII only: nothing to convert", "nothing to do", "nothing to convert"),
        ("empty.txt", b"", "empty", "empty", "nothing to do", "nothing to convert"),
        ("short.txt", "Да, нет.\r\n".encode("cp1251"), "unknown", "too few letters to tell (5)",
         "/1251 converts it", "cannot tell which code page; name /866 or /1251 to convert it"),
        # 866's "ход" is valid UTF-8 by chance: it is no UTF-8 to a conversion from 866.
        ("chance.txt", "ход\r\n".encode("cp866"), "unknown", "too few letters to tell (3)",
         "/1251 would refuse it", "cannot tell which code page; name /866 or /1251 to convert it"),
    ]


class Folder(unittest.TestCase):

    def test_check_tells_each_file_and_to_brings_the_texts_to_one_code_page(self):
        files = folder()
        names = [f[0] for f in files]
        with NoteDir(self) as d:
            for name, data, *_ in files:
                write_file(os.path.join(d, name), data)
                os.chmod(os.path.join(d, name), 0o444)  # --check only reads
            checked = run(["--check"] + names + ["gone.txt"], cwd=d)
            plain = [f"{field}\t{name}\t{what}" for name, _, field, what, _, _ in files]
            self.assertEqual(checked.stdout.decode().splitlines(),
                             plain + ["unknown\tgone.txt\tcannot open: no such file or directory"])
            self.assertEqual(checked.returncode, 1)
            by1251 = run(["--check", "/1251"] + names, cwd=d).stdout.decode().splitlines()
            self.assertEqual(by1251, [f"{p}\t{f[4]}" for p, f in zip(plain, files)])
            for name in names:
                os.chmod(os.path.join(d, name), 0o644)
            first = run(["--to=1251"] + names, cwd=d)
            self.assertEqual(first.returncode, 1)
            for name, data, _, _, _, action in files:
                after = read_file(os.path.join(d, name))
                with self.subTest(name=name):
                    self.assertEqual(after, expected(data, "/866") if action == "converts" else data)
                    said = f"pelcor: {name}: {action}\n".encode()
                    self.assertEqual(said in first.stderr, action not in ("converts", "refuses"))
                    refused = f"Action : read from file {name}\n".encode() in first.stderr
                    self.assertEqual(refused, action == "refuses")
            # The texts and the files with nothing to convert are where --to put them.
            kept = [f[0] for f in files if f[5] in ("converts", "nothing to convert")
                    or "already" in f[5]]
            second = run(["--to=1251"] + kept, cwd=d)
            self.assertEqual(second.returncode, 0)
            self.assertNotIn(b"Action", second.stderr)
            self.assertIn(b"pelcor: dos.txt: converted already, it is in code page 1251 now; "
                          b"/1251 converts it back\n", second.stderr)
            checked = run(["--check"] + kept, cwd=d)
            self.assertEqual(checked.returncode, 0)
            self.assertIn(b"1251\tdos.txt\tcode page 1251 (Russian), converted by Pelcor\n",
                          checked.stdout)

    def test_check_of_standard_input_in_russian(self):
        prose, _ = corpus()
        result = run(["--check", "-", "--to=1251"], answers=prose[:4000].encode("cp866"),
                     lang="ru_RU.UTF-8")
        self.assertEqual(result.stdout.decode(),
                         "866\t-\tкодовая страница 866 (русский)\t--to=1251 перекодирует его\n")
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stderr.startswith("Утилита".encode()))


if __name__ == "__main__":
    unittest.main()
