#!/usr/bin/env python3
"""Converts a generated mail log with mixconv-cli --utf8 and reads the mailbox
back with Python's own mailbox and email packages, as a mail reader would."""

import datetime
import email
import email.policy
import mailbox
import quopri
import re
import sys
import tempfile
import unittest

from utf8_log import CONVERTED_MAILS, USER, convert

JST = datetime.timezone(datetime.timedelta(hours=9))
CP932_DIFFERENCES = "\uff5e\uff3c\u2225\uff0d\uffe0\uffe1\uffe2"
OUR_MESSAGE_ID = re.compile(r"<[0-9a-f]{32}@mixconv\.invalid>")


class Utf8MailboxTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.run_result, cls.raw, cls.mails = cls.read("JST-9")
        cls.other_zone = cls.read("UTC")

    @staticmethod
    def read(tz):
        with tempfile.TemporaryDirectory() as work:
            run, path = convert(work, tz)
            box = mailbox.mbox(path, factory=lambda f: email.message_from_binary_file(
                f, policy=email.policy.default), create=False)
            mails = list(box)
            box.close()
            return run, path.read_bytes(), mails

    def assertAddress(self, header, display_name, addr_spec):
        (address,) = header.addresses
        self.assertEqual((address.display_name, address.addr_spec), (display_name, addr_spec))

    def assertMail(self, mail, subject, sender, date, body):
        self.assertEqual(mail["subject"], subject)
        self.assertAddress(mail["from"], *sender)
        self.assertEqual(mail["date"].datetime, date)
        self.assertEqual(mail.get_content_type(), "text/plain")
        self.assertEqual(mail.get_content_charset(), "utf-8")
        self.assertEqual(mail.get_content(), body)
        self.assertEqual(mail.defects, [])

    def test_run_reports_the_mail_with_invalid_bytes_and_succeeds(self):
        self.assertEqual(self.run_result.returncode, 0, self.run_result.stderr)
        self.assertEqual(self.run_result.stderr,
                         "mixconv-cli: mail 3: bytes that are not Shift_JIS became U+FFFD\n")
        self.assertIn("convert 9/10 mail", self.run_result.stdout)
        self.assertEqual(len(self.mails), CONVERTED_MAILS)

    def test_code_page_932_characters_and_from_lines(self):
        self.assertMail(self.mails[0], CP932_DIFFERENCES, ("営業部\u3000佐藤", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 14, 16, 24, tzinfo=JST),
                        "From the desk\n" + CP932_DIFFERENCES + "\n>From the archive\n"
                        + "長い本文の行です。" * 4 + "\nFrom the end\n" + "x" * 75 + "From the margin\n"
                        + "a =41 b\tc \t\n")
        self.assertAddress(self.mails[0]["to"], *USER)
        self.assertTrue(self.raw.startswith(b"From - Thu Jun 14 16:24:00 2001\nSubject: "))

    def test_long_subject_is_folded_and_an_empty_first_line_is_not_doubled(self):
        self.assertMail(self.mails[1], "長い件名の試験です。" * 6, ("J. Smith", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 15, 9, 5, tzinfo=JST), "Hello.\n")
        encoded_lines = [line for line in self.raw.split(b"\n") if b"=?UTF-8?B?" in line]
        self.assertTrue(all(len(line) <= 76 for line in encoded_lines), encoded_lines)
        self.assertTrue(any(line.startswith(b" =?UTF-8?B?") for line in encoded_lines))

    def test_invalid_bytes_become_replacement_characters(self):
        self.assertMail(self.mails[2], "ok", ("佐藤", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 16, 10, 0, tzinfo=JST),
                        "bad \ufffd\nworse \ufffd end\n")
        self.assertIn(b"bad \xef\xbf\xbd\nworse", self.raw)

    def test_gateway_mail_keeps_its_own_header_lines_and_gets_a_date(self):
        mail = self.mails[3]
        self.assertEqual(mail["subject"], "Re: photos")
        self.assertEqual(mail["date"].datetime, datetime.datetime(2001, 6, 14, 16, 24, 3, tzinfo=JST))
        self.assertAddress(mail["from"], "Friend", "friend@example.com")
        self.assertIn("ISO-2022-JP", mail["x-original-content-type"])
        self.assertEqual(mail.get_content_charset(), "utf-8")
        self.assertEqual(mail.get_content(), "From Tokyo:\n写真が届きました。\n")

    def test_sent_mail_and_absence_notice(self):
        sent, absence = self.mails[4], self.mails[5]
        self.assertMail(sent, "議事録の送付", USER, datetime.datetime(2001, 6, 14, 16, 24, 5, tzinfo=JST),
                        "議事録を送ります。\n")
        self.assertAddress(sent["to"], "鈴木\u3000一郎", "abc12345@members.example.jp")
        self.assertMail(absence, "不在通知", ("", "def67890@members.example.jp"),
                        datetime.datetime(2001, 6, 14, 16, 24, 6, tzinfo=JST), "出張中です。\n")

    def test_mail_without_text_has_an_empty_body(self):
        self.assertMail(self.mails[6], "empty", ("Desk", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 17, 8, 0, tzinfo=JST), "")

    def test_texts_that_look_like_header_lines_stay_text(self):
        self.assertMail(self.mails[7], "indented", ("Desk", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 18, 12, 0, tzinfo=JST), "  Dear member,\nThanks.\n")
        self.assertMail(self.mails[8], "phone", ("Desk", "abc12345@members.example.jp"),
                        datetime.datetime(2001, 6, 19, 12, 0, tzinfo=JST), "TEL:03-1234-5678\nCall me.\n")

    def test_only_texts_with_from_lines_are_quoted_printable_and_only_separators_start_with_from(self):
        self.assertEqual([i for i, mail in enumerate(self.mails)
                          if mail["content-transfer-encoding"] == "quoted-printable"], [0, 3])
        self.assertEqual(re.findall(rb"^>*From (?!- )", self.raw, re.MULTILINE), [])
        # Transports may drop white space at a line's end.
        self.assertEqual(re.findall(rb"[ \t]$", self.raw, re.MULTILINE), [])
        # Lines broken where they would pass 76 characters, between whole characters.
        soft_broken = [line for line in self.raw.split(b"\n")
                       if line.endswith(b"=") and b"=?UTF-8?B?" not in line]
        self.assertLessEqual(max(map(len, soft_broken)), 76)
        self.assertTrue(all(quopri.decodestring(line[:-1]).decode("utf-8") for line in soft_broken))

    def test_message_ids_are_unique_and_the_same_in_another_time_zone(self):
        ids = [mail.get_all("message-id") for mail in self.mails]
        self.assertEqual(ids[3], ["<photos@example.com>"])
        self.assertTrue(all(len(one) == 1 and OUR_MESSAGE_ID.fullmatch(one[0])
                            for i, one in enumerate(ids) if i != 3), ids)
        self.assertEqual(len(set(map(tuple, ids))), len(ids))
        self.assertEqual([mail.get_all("message-id") for mail in self.other_zone[2]], ids)
        self.assertNotEqual(self.other_zone[1], self.raw)

    def test_unix_mbox_layout(self):
        self.assertNotIn(b"\r", self.raw)
        self.assertTrue(self.raw.endswith(b"\n\n"))
        self.assertEqual(self.raw.count(b"\nFrom - "), self.raw.count(b"\n\nFrom - "))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
