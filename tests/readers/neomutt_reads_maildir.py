#!/usr/bin/env python3
"""Opens the Maildir that mixconv-cli --maildir writes for the generated log of
tests/utf8 in neomutt, with no settings, in tmux: it must list every mail, with
the subjects Python reads from the readable mbox, and show no stray carriage
return in any."""

import shutil
import sys
import tempfile
import unittest

from maildir_log import convert_to_maildir, readable_mails
from neomutt_session import neomutt_in_tmux



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
        with neomutt_in_tmux(self.work.name, self.maildir) as neomutt:
            index = neomutt.wait_for(f"Msgs:{self.count} ")
            self.assertIn(f"Msgs:{self.count} ", index)
            for subject in self.subjects:
                self.assertIn(subject[:20], index)
            # Every mail is seen, so the cursor starts on the last: go to the first.
            neomutt.send_keys("=", "Enter")
            for number in range(1, self.count + 1):
                page = neomutt.wait_for(f" {number}/{self.count}: ")
                self.assertIn(f" {number}/{self.count}: ", page)
                self.assertNotIn("^M", page)
                neomutt.send_keys("j")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
