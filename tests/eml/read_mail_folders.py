#!/usr/bin/env python3
"""Converts the generated log of tests/utf8 with mixconv-cli --eml and --maildir
and reads the folders back with Python's email and mailbox packages, as mail
programs open them: every file parses with no defect, the folder holds as many
mails as the summary counts, and each mail says what it says in the readable
mbox of the same log."""

import email
import email.policy
import mailbox
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import unittest

MAKE_LOG, CLI = sys.argv[1], sys.argv[2]
USER = ("山田 太郎", "taro@example.jp")
CP932_DIFFERENCES = "\uff5e\uff3c\u2225\uff0d\uffe0\uffe1\uffe2"
LONG_SUBJECT = "長い件名の試験です。" * 6
FIELDS = ("subject", "from", "to", "date", "message-id")


def parse(data):
    return email.message_from_bytes(data, policy=email.policy.default)


def convert(work, *options):
    """Converts work/UTF8 with the options; returns the run and its count of mails."""
    env = dict(os.environ, TZ="JST-9", LC_ALL="C.UTF-8")
    run = subprocess.run([CLI, *options, "--name", USER[0], "--email", USER[1], str(work / "UTF8")],
                         env=env, capture_output=True, text=True)
    converted = re.search(r"convert (\d+)/\d+ mail", run.stdout)
    return run, int(converted.group(1)) if converted else -1


def mbox_mails(path):
    """The mbox's messages as they were written: separators and the empty line
    after each taken off, the mboxrd quoting of From lines undone."""
    parts = re.split(rb"(?m)^From - .*\n", path.read_bytes())[1:]
    return [parse(re.sub(rb"(?m)^>(>*From )", rb"\1", part[:-1])) for part in parts]


class FolderTest(unittest.TestCase):
    option = None

    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as name:
            work = pathlib.Path(name)
            subprocess.run([MAKE_LOG, str(work / "UTF8")], check=True)
            cls.run_result, cls.converted = convert(work, cls.option)
            cls.read(work)
            convert(work)
            cls.expected = mbox_mails(work / "UTF8.mbx")

    def assertSameMails(self, names, mails, line_end):
        self.assertEqual(self.run_result.returncode, 0, self.run_result.stderr)
        self.assertEqual(len(mails), self.converted)
        self.assertEqual(len(mails), len(self.expected))
        for name, mail, expected in zip(names, mails, self.expected):
            self.assertEqual(mail.defects, [], name)
            for field in FIELDS:
                self.assertEqual(mail[field], expected[field], f"{name}: {field}")
            self.assertEqual(mail.get_content().replace(line_end, "\n"), expected.get_content(), name)


class EmlFolderTest(FolderTest):
    option = "--eml"

    @classmethod
    def read(cls, work):
        folder = work / "UTF8.eml-files"
        cls.names = sorted(path.name for path in folder.iterdir())
        cls.raw = [(folder / name).read_bytes() for name in cls.names]
        cls.mails = [parse(data) for data in cls.raw]

    def test_one_file_per_mail_the_summary_counts_each_the_mbox_mail(self):
        self.assertSameMails(self.names, self.mails, "\r\n")

    def test_lines_end_in_cr_lf(self):
        for name, data in zip(self.names, self.raw):
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), name)
            self.assertEqual(data.count(b"\r"), data.count(b"\r\n"), name)

    def test_unicode_subjects_and_texts(self):
        first, long_subject, sent = self.mails[0], self.mails[1], self.mails[4]
        self.assertEqual(first["subject"], CP932_DIFFERENCES)
        self.assertIn(CP932_DIFFERENCES + "\r\n", first.get_content())
        self.assertEqual(first["to"].addresses[0].display_name, USER[0])
        self.assertEqual(long_subject["subject"], LONG_SUBJECT)
        self.assertEqual(long_subject.get_content(), "Hello.\r\n")
        self.assertEqual(sent["subject"], "議事録の送付")
        self.assertEqual(sent.get_content(), "議事録を送ります。\r\n")

    def test_names_sort_in_index_order_with_date_and_subject(self):
        self.assertEqual(self.names[0], f"0000000001 2001-06-14 1624 {CP932_DIFFERENCES}.eml")
        self.assertEqual(self.names[1], f"0000000002 2001-06-14 1624 {LONG_SUBJECT[:40]}.eml")
        numbers = [int(name[:10]) for name in self.names]
        self.assertEqual(numbers, sorted(numbers))
        self.assertNotIn(5, numbers)  # the binary mail


class MaildirTest(FolderTest):
    option = "--maildir"

    @classmethod
    def read(cls, work):
        box = mailbox.Maildir(work / "UTF8.maildir", factory=None, create=False)
        cls.keys = sorted(box.keys())
        cls.messages = [box[key] for key in cls.keys]

    def test_every_mail_the_summary_counts_each_the_mbox_mail(self):
        self.assertSameMails(self.keys, [parse(message.as_bytes()) for message in self.messages],
                             "\n")

    def test_every_mail_is_seen_in_cur_in_lf_lines(self):
        for key, message in zip(self.keys, self.messages):
            self.assertEqual(message.get_flags(), "S", key)
            self.assertEqual(message.get_subdir(), "cur", key)
            self.assertNotIn(b"\r", message.as_bytes(), key)


del FolderTest

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
