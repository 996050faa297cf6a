#!/usr/bin/env python3
"""The manual pages render without warnings, have the sections a reader looks
for, name the project's version, and name every option that mixconv-cli --help
lists."""

import os
import re
import subprocess
import sys
import unittest

CLI, MAN_DIR, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]


def render(page):
    run = subprocess.run(["man", "--warnings", "-P", "cat", "-l", os.path.join(MAN_DIR, page)],
                         env=dict(os.environ, MANWIDTH="100", LC_ALL="C.UTF-8"),
                         capture_output=True, text=True, check=True)
    return run.stdout, run.stderr


def footer(text):
    return text.rstrip().splitlines()[-1]


class ManPagesTest(unittest.TestCase):
    def test_mixconv_cli_page_lists_every_option_the_exit_statuses_and_an_example(self):
        text, warnings = render("mixconv-cli.1")
        self.assertEqual(warnings, "")
        self.assertTrue(footer(text).startswith(f"mixconv {VERSION} "), footer(text))
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLE"):
            self.assertRegex(text, rf"(?m)^{section}$")
        usage = subprocess.run([CLI, "--help"], capture_output=True, text=True, check=True).stdout
        options = set(re.findall(r"(?m)^\s+(--?[a-z0-9]+)", usage))
        self.assertGreaterEqual(len(options), 7, usage)
        for option in options:
            self.assertIn(option, text)
        exit_status = text[text.index("EXIT STATUS"):text.index("ENVIRONMENT")]
        for status in ("0", "1", "2"):
            self.assertRegex(exit_status, rf"(?m)^\s+{status}\s+\S")
        self.assertIn("mixconv-cli --name", text)

    def test_mixconv_page_renders(self):
        text, warnings = render("mixconv.1")
        self.assertEqual(warnings, "")
        self.assertTrue(footer(text).startswith(f"mixconv {VERSION} "), footer(text))
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION"):
            self.assertRegex(text, rf"(?m)^{section}$")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
