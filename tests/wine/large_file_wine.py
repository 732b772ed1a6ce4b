"""A sparse file past 4 GiB converted by Pelcor.exe under Wine: every span is read and
written at its own 64-bit offset, so blocks past 2 and 4 GiB convert exactly and nothing
lands anywhere else. It rewrites 4 GiB, filling the holes on disk: seconds, and more where
the disk is slow, so PELCOR_SKIP_LONG leaves it out."""

import os
import shutil
import tempfile
import unittest

import wine_run

GiB = 1024**3
MARK = bytes(range(0x80, 0x100)) * 4  # one block of moving bytes


@unittest.skipIf(os.environ.get("PELCOR_SKIP_LONG"), "long test skipped on request")
class LargeFileTest(unittest.TestCase):

    def test_sparse_file_past_4_gib(self):
        size = 4 * GiB + 5 * 1024 + 300
        offsets = [0, 2 * GiB - 1024, 2 * GiB, 4 * GiB - 1024, 4 * GiB, 4 * GiB + 4096]
        with tempfile.TemporaryDirectory(prefix="pelcor-") as folder:
            if shutil.disk_usage(folder).free < size + GiB:
                self.skipTest("not enough free disk for a 4 GiB file")
            path = os.path.join(folder, "big.bin")
            with open(path, "wb") as f:
                f.truncate(size)
                for offset in offsets:
                    f.seek(offset)
                    f.write(MARK)
            # Its zeros make it binary data to the guard: Ignore converts it all the same.
            console = wine_run.Console("en", ["big.bin"], cwd=folder)
            console.expect("? Ignore /I/ Repeat /R/ Abort /A/ ?")
            console.child.timeout = 20 * wine_run.TIMEOUT
            console.answer("i", None)
            lines, status = console.finish()
            self.assertIn("Error : not text: binary symbol 0x00 found at offset 512; Pelcor "
                          "converts only text", lines)
            self.assertEqual(status, 0)
            self.assertEqual(os.path.getsize(path), size)
            converted = wine_run.converted(MARK, "/1251")
            with open(path, "rb") as f:
                for offset in offsets:
                    f.seek(offset)
                    self.assertEqual(f.read(len(MARK)), converted, offset)
                # Between the marks the zeros stay: no block was written off its place.
                for offset in (GiB, 3 * GiB, size - 300):
                    f.seek(offset)
                    self.assertEqual(f.read(300), bytes(300), offset)


if __name__ == "__main__":
    unittest.main()
