#!/usr/bin/env python3
"""The checked-in pictures are exactly what the asset generators draw: each
generator writes into an empty folder, and every file it writes must equal
its namesake under resources/ byte for byte."""
import filecmp
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
ASSETS = os.path.join(ROOT, "tools", "assets")
RESOURCES = os.path.join(ROOT, "resources")


class Assets(unittest.TestCase):
    def test_every_generator_redraws_the_checked_in_files(self):
        generators = sorted(name for name in os.listdir(ASSETS) if name.endswith(".py"))
        self.assertEqual(["draw_config_art.py", "draw_menu_bitmaps.py", "draw_operation_art.py",
                                      "draw_package_logos.py"], generators)
        for generator in generators:
            with self.subTest(generator), tempfile.TemporaryDirectory() as out:
                subprocess.run([sys.executable, os.path.join(ASSETS, generator), out],
                               check=True, stdout=subprocess.DEVNULL)
                written = [os.path.relpath(os.path.join(folder, name), out)
                           for folder, _, files in os.walk(out) for name in files]
                self.assertTrue(written, generator + " wrote nothing")
                for path in written:
                    self.assertTrue(filecmp.cmp(os.path.join(out, path), os.path.join(RESOURCES, path), shallow=False),
                                    f"{path} differs from what {generator} draws")


if __name__ == "__main__":
    unittest.main()
