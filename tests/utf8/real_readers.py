#!/usr/bin/env python3
"""Opens the generated log's --utf8 mailbox with the programs people use on it:
formail and mb2md must split it into exactly its mails, and neomutt, with no
settings, must list every mail, show no stray carriage return in any, and show
the lines that start with "From " as the log holds them."""

import email
import email.policy
import mailbox
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

from neomutt_session import neomutt_in_tmux
from utf8_log import CONVERTED_MAILS, convert

# Lines of the log's texts that an mbox quotes, as a reader must show them.
FROM_LINES = ["From the desk", ">From the archive", "From the end", "x" * 75 + "From the margin",
              "From Tokyo:"]


def subjects(messages):
    return [message["subject"] for message in messages]


def parse(path):
    return email.message_from_bytes(path.read_bytes(), policy=email.policy.default)


class RealReadersTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.dir = pathlib.Path(cls.work.name)
        run, cls.mbox = convert(cls.dir)
        assert run.returncode == 0, run.stderr
        box = mailbox.mbox(cls.mbox, factory=lambda f: email.message_from_binary_file(
            f, policy=email.policy.default), create=False)
        cls.expected = subjects(box)
        box.close()
        assert len(cls.expected) == CONVERTED_MAILS

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def require(self, program, package):
        if shutil.which(program) is None:
            self.fail(f"{program} is not installed (Debian package {package}; ./dev.sh test installs it)")

    def test_formail_splits_every_mail(self):
        self.require("formail", "procmail")
        parts = self.dir / "formail"
        parts.mkdir()
        with open(self.mbox, "rb") as mbox:
            subprocess.run(["formail", "-s", "sh", "-c", 'cat > "$0.$FILENO"', str(parts / "mail")],
                           stdin=mbox, check=True)
        files = sorted(parts.iterdir())
        self.assertEqual(subjects(parse(path) for path in files), self.expected)
        for path in files:
            self.assertEqual(path.read_bytes().count(b"\nFrom - "), 0, path.name)

    def test_mb2md_makes_one_maildir_message_per_mail(self):
        self.require("mb2md", "mb2md")
        maildir = self.dir / "maildir"
        subprocess.run(["mb2md", "-s", str(self.mbox), "-d", str(maildir)], check=True,
                       capture_output=True, env=dict(os.environ, HOME=str(self.dir)))
        files = [path for path in maildir.rglob("*") if path.is_file()]
        self.assertEqual(sorted(subjects(parse(path) for path in files)), sorted(self.expected))

    def test_neomutt_lists_every_mail_and_shows_them_as_written(self):
        self.require("neomutt", "neomutt")
        self.require("tmux", "tmux")
        with neomutt_in_tmux(self.dir, self.mbox) as neomutt:
            index = neomutt.wait_for(f"Msgs:{CONVERTED_MAILS} ")
            self.assertIn(f"Msgs:{CONVERTED_MAILS} ", index)
            for subject in self.expected:
                self.assertIn(subject[:20], index)
            neomutt.send_keys("Enter")
            shown = set()
            for number in range(1, CONVERTED_MAILS + 1):
                page = neomutt.wait_for(f" {number}/{CONVERTED_MAILS}: ")
                self.assertIn(f" {number}/{CONVERTED_MAILS}: ", page)
                self.assertNotIn("^M", page)
                shown.update(line.rstrip() for line in page.splitlines())
                neomutt.send_keys("j")
            for line in FROM_LINES:
                self.assertIn(line, shown)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
