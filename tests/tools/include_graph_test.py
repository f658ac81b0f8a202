#!/usr/bin/env python3
"""Runs tools/include-graph.py on small made-up source trees."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "include-graph.py")


class IncludeGraph(unittest.TestCase):
    def run_on(self, files):
        with tempfile.TemporaryDirectory() as root:
            for path, text in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as out:
                    out.write(text)
            done = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        return done.returncode, done.stdout

    def test_downward_and_resource_includes_pass(self):
        code, out = self.run_on({
            "server/ShellExt.cpp": '#include "menu/FolderMenu.h"\n#include "base/Text.h"\n#include "Own.h"\n',
            "menu/FolderMenu.cpp": '#include <windows.h>\n#include "settings/Settings.h"\n#include "resources/Ids.h"\n',
            "resources/Module.rc": '#include "base/Version.h"\nIDI_X ICON "resources/x.ico"\n',
            "tests/native/T.cpp": '#include "server/ShellExt.h"\n',
        })
        self.assertEqual(0, code, out)
        self.assertRegex(out, r"server -> menu +1\n")
        self.assertRegex(out, r"menu -> resources +1\n")
        self.assertNotIn("tests", out)

    def test_upward_sideways_and_out_of_resources_are_flagged_with_their_lines(self):
        code, out = self.run_on({
            "base/Text.cpp": '// text\n#include "server/Module.h"\n',
            "operations/Dialog.cpp": '#include "config/HelpPopup.h"\n',
            "resources/Config.rc": '  #  include "config/ConfigIds.h"\n',
            "settings/Store.h": '#include "base/Handles.h"\n',
        })
        self.assertEqual(1, code, out)
        self.assertIn("3 edges run against the layering", out)
        self.assertIn('base/Text.cpp:2 includes "server/Module.h"', out)
        self.assertIn('operations/Dialog.cpp:1 includes "config/HelpPopup.h"', out)
        self.assertIn('resources/Config.rc:1 includes "config/ConfigIds.h"', out)
        self.assertRegex(out, r"settings -> base +1\n")


if __name__ == "__main__":
    unittest.main()
