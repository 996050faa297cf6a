#!/usr/bin/env python3
"""Opens the Maildir that mixconv-cli --maildir writes for the generated log of
tests/utf8 in neomutt, with no settings, in tmux: it must list every mail, with
the subjects Python reads from the readable mbox, and show no stray carriage
return in any."""

import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from maildir_log import convert_to_maildir, readable_mails

TIMEOUT_SECONDS = 10


class NeomuttReadsMaildirTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        _, cls.count, cls.maildir = convert_to_maildir(cls.work.name)
        cls.subjects = [mail["subject"] for mail, _ in readable_mails(cls.work.name)]

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def require(self, program, package):
        if shutil.which(program) is None:
            self.fail(f"{program} is not installed (Debian package {package}; ./dev.sh test installs it)")

    def test_neomutt_lists_every_mail_and_shows_no_carriage_return(self):
        self.require("neomutt", "neomutt")
        self.require("tmux", "tmux")
        self.assertEqual(self.count, len(self.subjects))
        home = pathlib.Path(self.work.name) / "home"
        (home / "Mail").mkdir(parents=True)
        tmux = ["tmux", "-S", f"{self.work.name}/tmux"]
        subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "50",
                               "env", f"HOME={home}", "LANG=C.UTF-8", "LC_ALL=C.UTF-8",
                               "neomutt", "-n", "-F", "/dev/null", "-R", "-f", str(self.maildir)],
                       check=True)
        try:
            def screen_with(text):
                deadline = time.monotonic() + TIMEOUT_SECONDS
                while True:
                    screen = subprocess.run(tmux + ["capture-pane", "-p"], check=True,
                                            capture_output=True, text=True).stdout
                    if text in screen or time.monotonic() > deadline:
                        return screen
                    time.sleep(0.1)

            index = screen_with(f"Msgs:{self.count} ")
            self.assertIn(f"Msgs:{self.count} ", index)
            for subject in self.subjects:
                self.assertIn(subject[:20], index)
            # Every mail is seen, so the cursor starts on the last: go to the first.
            subprocess.run(tmux + ["send-keys", "=", "Enter"], check=True)
            for number in range(1, self.count + 1):
                page = screen_with(f" {number}/{self.count}: ")
                self.assertIn(f" {number}/{self.count}: ", page)
                self.assertNotIn("^M", page)
                subprocess.run(tmux + ["send-keys", "j"], check=True)
        finally:
            subprocess.run(tmux + ["kill-server"], check=False)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
