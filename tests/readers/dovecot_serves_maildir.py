#!/usr/bin/env python3
"""Serves the Maildir that mixconv-cli --maildir writes for the generated log of
tests/utf8 with a Dovecot IMAP server of the test's own, and reads it with
Python's imaplib: every mail is there, seen, dated by its index date, with the
subject that Python reads from the readable mbox of the same log. The server is
stopped at the end, every process it started included."""

import datetime
import email
import email.policy
import os
import re
import sys
import tempfile
import unittest

from dovecot import Dovecot
from maildir_log import convert_to_maildir, readable_mails

WANTED = "(FLAGS INTERNALDATE BODY.PEEK[HEADER])"
INTERNALDATE = re.compile(rb'INTERNALDATE "([^"]+)"')
FLAGS = re.compile(rb"FLAGS \(([^)]*)\)")


def fetched_mails(client):
    """(flags, INTERNALDATE, header) of every message of the open mailbox."""
    status, data = client.fetch("1:*", WANTED)
    assert status == "OK", data
    mails = []
    # One (description, header) pair per message, each followed by b")".
    for response in data:
        if not isinstance(response, tuple):
            continue
        description, header = response
        flags = FLAGS.search(description).group(1).decode().split()
        date = datetime.datetime.strptime(INTERNALDATE.search(description).group(1).decode().strip(),
                                          "%d-%b-%Y %H:%M:%S %z")
        mails.append((flags, date, email.message_from_bytes(header, policy=email.policy.default)))
    return mails


class DovecotServesMaildirTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory(prefix="mixconv-dovecot-") as work:
            _, cls.count, maildir = convert_to_maildir(work)
            cls.expected = readable_mails(work)
            cls.files_before = sorted(os.listdir(maildir / "cur"))
            with Dovecot(work, maildir) as server:
                client = server.connect()
                # Read-only: the flags stay as mixconv-cli wrote them.
                status, data = client.select("INBOX", readonly=True)
                assert status == "OK", data
                cls.exists = int(data[0])
                cls.mails = fetched_mails(client)
                client.logout()
            cls.files_after = sorted(os.listdir(maildir / "cur"))

    def test_every_mail_is_served(self):
        self.assertEqual(self.count, len(self.expected))
        self.assertEqual(self.exists, self.count)
        self.assertEqual(len(self.mails), self.count)

    def test_every_mail_is_seen(self):
        for flags, _, header in self.mails:
            self.assertIn("\\Seen", flags, header["subject"])

    def test_subjects_are_those_of_the_readable_mbox(self):
        self.assertEqual(sorted(header["subject"] for _, _, header in self.mails),
                         sorted(mail["subject"] for mail, _ in self.expected))

    def test_each_internaldate_is_the_mails_date(self):
        dates = {mail["subject"]: date for mail, date in self.expected}
        self.assertEqual(len(dates), len(self.expected), "no two mails share a subject")
        for _, date, header in self.mails:
            self.assertEqual(date, dates[header["subject"]], header["subject"])

    def test_the_server_leaves_the_maildir_as_written(self):
        self.assertEqual(self.files_after, self.files_before)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
