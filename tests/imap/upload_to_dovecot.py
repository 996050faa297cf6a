#!/usr/bin/env python3
"""mixconv-cli --imap puts the mails of the generated log of tests/utf8 into a
folder of a Dovecot IMAP server of the test's own, and Python's imaplib reads them
back: each is the readable mbox's mail byte for byte with CR LF, seen, dated by
its separator line. A second run sends nothing; an upload cut off midway says how
far it came and the next run sends the rest. A refused login or certificate and
an unknown host fail with no folder left behind; a Japanese folder name reaches
the server in modified UTF-7. The password is never in a process's argument list
nor in the program's output, and typed at a terminal it is not echoed.
Arguments: make_utf8_log, mixconv-cli; run with TZ=JST-9."""

import base64
import contextlib
import datetime
import email
import mailbox
import os
import pathlib
import pty
import re
import select
import signal
import shlex
import subprocess
import sys
import tempfile
import termios
import threading
import time
import unittest

HERE = pathlib.Path(__file__).resolve().parent
sys.path[:0] = [str(HERE.parent / "readers"), str(HERE.parent / "utf8")]
from dovecot import USER, Dovecot  # noqa: E402  (found through the line above)
from imap_proxy import Proxy  # noqa: E402
from maildir_log import separator_date  # noqa: E402
from utf8_log import CLI, CONVERTED_MAILS, MAKE_LOG, convert  # noqa: E402
from utf8_log import USER as OWNER  # noqa: E402

# IMAP quotes a space, a quote and a backslash: each must reach the server as typed.
PASSWORD = 'up load "\\pass'
ENTRIES = CONVERTED_MAILS + 1
SUMMARY = f"convert {CONVERTED_MAILS}/{ENTRIES} mail"
STOPPED = re.compile(r"^mixconv-cli: .*the upload stopped at mail (\d+); (at least )?(\d+) mails of "
                     r"\S+ are in .+; running it again sends the rest\.$")
PROGRESS = re.compile(r"sent (\d+) of (\d+) mails, \d+:\d\d")
PROMPT = f"Password for {USER}@localhost: "
RUN_SECONDS = 120
PROMPT_SECONDS = 30
POLL_SECONDS = 0.01
# Long enough for the argument scan to see the upload and for the progress line to show.
DELAY = 0.02
# The child makes the pseudo-terminal its controlling terminal, then becomes mixconv-cli.
WITH_TERMINAL = ("import fcntl, os, sys, termios; fcntl.ioctl(0, termios.TIOCSCTTY, 0); "
                 "os.execv(sys.argv[1], sys.argv[1:])")


def setUpModule():
    global WORK, INDEX, EXPECTED
    WORK = tempfile.TemporaryDirectory(prefix="mixconv-imap-")
    run, mbox = convert(WORK.name)
    assert run.returncode == 0, run.stderr
    INDEX = mbox.with_suffix("")
    box = mailbox.mbox(mbox, create=False)
    EXPECTED = {}
    for key in box.keys():
        data = box.get_bytes(key)
        EXPECTED[email.message_from_bytes(data)["Message-ID"]] = (
            data.replace(b"\n", b"\r\n"), separator_date(box[key].get_from()))
    box.close()
    assert len(EXPECTED) == CONVERTED_MAILS, sorted(EXPECTED)
    (pathlib.Path(WORK.name) / "password").write_text(PASSWORD + "\n")


def tearDownModule():
    WORK.cleanup()


def password_command():
    return ["--password-command", f"cat {shlex.quote(str(pathlib.Path(WORK.name) / 'password'))}"]


def decode_folder_name(name):
    """A folder name from modified UTF-7 (RFC 3501, 5.1.3)."""
    def decoded(match):
        if not match.group(1):
            return "&"
        encoded = match.group(1).replace(",", "/")
        return base64.b64decode(encoded + "=" * (-len(encoded) % 4)).decode("utf-16-be")
    return re.sub(r"&([A-Za-z0-9+,]*)-", decoded, name)


def listed_folders(server):
    """Every folder name that LIST "" * shows, as sent, which must be ASCII."""
    client = server.connect()
    status, data = client.list('""', "*")
    client.logout()
    assert status == "OK", data
    names = []
    for line in data:
        name = re.fullmatch(rb'\([^)]*\) (?:"[^"]*"|NIL) (.*)', line).group(1).decode("ascii")
        names.append(name[1:-1] if name.startswith('"') else name)
    return names


def folder_mails(server, folder):
    """(Message-ID, bytes, INTERNALDATE, flags) of each message in folder, as sent."""
    client = server.connect()
    status, data = client.select(f'"{folder}"', readonly=True)
    assert status == "OK", (folder, data)
    mails = []
    if int(data[0]):
        _, described = client.fetch("1:*", "(FLAGS INTERNALDATE)")
        _, bodies = client.fetch("1:*", "(BODY.PEEK[])")
        for description, (_, body) in zip(described, [part for part in bodies if isinstance(part, tuple)]):
            date = re.search(rb'INTERNALDATE "([^"]+)"', description).group(1).decode().strip()
            mails.append((email.message_from_bytes(body)["Message-ID"], body,
                          datetime.datetime.strptime(date, "%d-%b-%Y %H:%M:%S %z"),
                          re.search(rb"FLAGS \(([^)]*)\)", description).group(1).decode().split()))
    client.logout()
    return mails


def command_line(pid):
    try:
        return pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return b""


class ArgumentScan(threading.Thread):
    """Reads every process's argument list again and again while it runs: those
    that hold the password, and how many whole rounds ran while mixconv-cli ran
    with a mail of its already in the folder."""

    def __init__(self, pid, folder_directory):
        super().__init__(daemon=True)
        self.pid = pid
        self.arrived = [folder_directory / "cur", folder_directory / "new"]
        self.leaks = []
        self.rounds_while_uploading = 0
        self.done = threading.Event()

    def uploading(self):
        return (CLI.encode() in command_line(self.pid)
                and any(folder.is_dir() and any(folder.iterdir()) for folder in self.arrived))

    def run(self):
        password = PASSWORD.encode()
        while not self.done.is_set():
            uploading = self.uploading()
            for entry in os.scandir("/proc"):
                if entry.name.isdigit() and password in command_line(entry.name):
                    self.leaks.append(command_line(entry.name))
            self.rounds_while_uploading += uploading and self.uploading()
            # A pause, so that the scan leaves the program and the relay their share.
            self.done.wait(POLL_SECONDS)


class Run:
    """One mixconv-cli --imap run to completion into folder of server, the
    argument lists scanned throughout."""

    def __init__(self, test, server, url, folder, *options, env_password=False, terminal=False):
        self.test = test
        env = {name: value for name, value in os.environ.items() if name != "MIXCONV_IMAP_PASSWORD"}
        env.update(TZ="JST-9", LC_ALL="C.UTF-8")
        if env_password:
            env["MIXCONV_IMAP_PASSWORD"] = PASSWORD
        command = [CLI, "--imap", url + folder, "--name", OWNER[0], "--email", OWNER[1], *options,
                   str(INDEX)]
        self.directory = server.maildir / f".{folder}"
        if terminal:
            self._run_at_terminal(command, env)
        else:
            # Bytes: text mode would turn each CR into a line end.
            process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, env=env)
            with self._scanned(process):
                stdout, stderr = process.communicate(timeout=RUN_SECONDS)
            self.stdout, self.stderr = stdout.decode(errors="replace"), stderr.decode(errors="replace")
            self.status = process.returncode
        test.assertNotIn(PASSWORD, self.stdout + self.stderr, "the password is in mixconv-cli's output")
        test.assertEqual(self.scan.leaks, [], "the password is in a process's argument list")

    @contextlib.contextmanager
    def _scanned(self, process):
        self.scan = ArgumentScan(process.pid, self.directory)
        self.scan.start()
        try:
            yield
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            self.scan.done.set()
            self.scan.join()

    def _run_at_terminal(self, command, env):
        """Stdin, stdout and stderr a pseudo-terminal; the password typed once
        the prompt shows and echo is off."""
        master, slave = pty.openpty()
        attributes = termios.tcgetattr(slave)
        # Without the terminal's own CR before each LF, every CR read is the program's.
        attributes[1] &= ~termios.ONLCR
        termios.tcsetattr(slave, termios.TCSANOW, attributes)
        process = subprocess.Popen([sys.executable, "-c", WITH_TERMINAL, *command], stdin=slave,
                                   stdout=slave, stderr=slave, env=env, start_new_session=True)
        output = bytearray()
        try:
            with self._scanned(process):
                self._read(master, output, process, lambda: PROMPT.encode() in output, "the prompt",
                           PROMPT_SECONDS)
                deadline = time.monotonic() + PROMPT_SECONDS
                while termios.tcgetattr(slave)[3] & termios.ECHO:
                    self.test.assertLess(time.monotonic(), deadline,
                                         f"echo still on {PROMPT_SECONDS} s after the prompt")
                    time.sleep(POLL_SECONDS)
                os.write(master, PASSWORD.encode() + b"\n")
                os.close(slave)
                slave = None
                self._read(master, output, process, lambda: False, "the end", RUN_SECONDS)
                self.status = process.wait(timeout=RUN_SECONDS)
        finally:
            os.close(master)
            if slave is not None:
                os.close(slave)
        self.stdout, self.stderr = output.decode(errors="replace"), ""

    def _read(self, master, output, process, until, what, seconds):
        """Reads the terminal into output until until() holds, or to its end when
        what is "the end"; fails when seconds pass first."""
        deadline = time.monotonic() + seconds
        while not until():
            remaining = deadline - time.monotonic()
            self.test.assertGreater(remaining, 0, f"no {what} within {seconds} s: {bytes(output)!r}")
            # Its end shows only once no one holds the terminal: look at the process too.
            if not select.select([master], [], [], min(remaining, POLL_SECONDS))[0]:
                ended = process.poll() is not None
                self.test.assertFalse(ended and what != "the end",
                                      f"mixconv-cli ended before {what}: {bytes(output)!r}")
                continue
            try:
                chunk = os.read(master, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                self.test.assertEqual(what, "the end", f"mixconv-cli ended before {what}: {bytes(output)!r}")
                return
            output += chunk

    def error_lines(self):
        return [line for line in self.stderr.splitlines() if line.startswith("mixconv-cli: ")]


class UploadTestCase(unittest.TestCase):
    tls = True
    # "/" between folder levels, as users type a folder's path.
    separator = "/"
    settings = ""

    @classmethod
    def setUpClass(cls):
        work = tempfile.TemporaryDirectory(prefix="mixconv-imap-server-")
        cls.addClassCleanup(work.cleanup)
        cls.server = Dovecot(work.name, tls=cls.tls, password=PASSWORD, separator=cls.separator,
                             settings=cls.settings)
        cls.server.start()
        cls.addClassCleanup(cls.server.stop)

    def assertMailsAsExpected(self, mails):
        self.assertEqual(sorted(mail[0] for mail in mails), sorted(EXPECTED))
        for message_id, body, date, flags in mails:
            self.assertEqual(body, EXPECTED[message_id][0], message_id)
            self.assertEqual(date, EXPECTED[message_id][1], message_id)
            self.assertIn("\\Seen", flags, message_id)

    def assertDone(self, run):
        self.assertEqual(run.status, 0, run.stdout + run.stderr)
        self.assertIn(SUMMARY, run.stdout)


class UploadOverTlsTest(UploadTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.url = f"imaps://{USER}@localhost:{cls.server.imaps_port}/"
        cls.ca = ["--ca-file", str(cls.server.ca_file)]

    def upload(self, folder, *options, url=None, **arguments):
        return Run(self, self.server, url or self.url, folder, *options, **arguments)

    def test_every_mail_arrives_as_in_the_readable_mbox_and_a_second_run_sends_none(self):
        first = self.upload("Archive", *self.ca, *password_command())
        self.assertDone(first)
        self.assertNotIn("already", first.stdout)
        second = self.upload("Archive", *self.ca, *password_command())
        self.assertDone(second)
        self.assertIn(f"{CONVERTED_MAILS} mails were already in Archive and were not sent again.",
                      second.stdout)
        for run in first, second:
            self.assertNotIn("\r", run.stdout + run.stderr, "progress written to a pipe")
        self.assertMailsAsExpected(folder_mails(self.server, "Archive"))

    def test_refusals_leave_no_folder(self):
        wrong = ["--password-command", "echo not-the-password"]
        other_ca = ["--ca-file", str(self.server.other_ca_file)]
        address = f"imaps://{USER}@127.0.0.1:{self.server.imaps_port}/"
        cases = [("WrongPassword", wrong + self.ca, {}, 1, f"login as {USER} was refused"),
                 ("OtherCa", other_ca, {"env_password": True}, 1, "certificate was refused"),
                 ("ByAddress", self.ca, {"env_password": True, "url": address}, 1,
                  "certificate was refused"),
                 ("Unknown", [], {"env_password": True, "url": f"imaps://{USER}@nosuchhost.invalid/"},
                  1, "host not found"),
                 ("NoPassword", self.ca, {}, 2, "password")]
        for folder, options, arguments, status, phrase in cases:
            with self.subTest(folder):
                run = self.upload(folder, *options, **arguments)
                self.assertEqual(run.status, status, run.stderr)
                self.assertTrue(any(phrase in line for line in run.error_lines()), run.stderr)
                self.assertNotIn(folder, listed_folders(self.server))

    def test_japanese_folder_is_sent_in_modified_utf7(self):
        folder = "古いメール/2001年"
        self.assertDone(self.upload(folder, *self.ca, env_password=True))
        listed = [name for name in listed_folders(self.server) if decode_folder_name(name) == folder]
        self.assertEqual(len(listed), 1, listed_folders(self.server))
        self.assertRegex(listed[0], r"^&[A-Za-z0-9+,]+-/2001&[A-Za-z0-9+,]+-$")
        self.assertMailsAsExpected(folder_mails(self.server, listed[0]))

    def test_password_is_in_no_argument_list_while_uploading(self):
        with Proxy(self.server.imaps_port, delay=DELAY) as proxy:
            run = self.upload("Scanned", *self.ca, *password_command(),
                              url=f"imaps://{USER}@localhost:{proxy.port}/")
        self.assertDone(run)
        self.assertGreater(run.scan.rounds_while_uploading, 0,
                           "no scan of the argument lists ran while mixconv-cli was uploading")

    def test_typed_password_is_not_echoed_and_progress_updates_in_place(self):
        with Proxy(self.server.imaps_port, delay=DELAY) as proxy:
            run = self.upload("Typed", *self.ca, url=f"imaps://{USER}@localhost:{proxy.port}/",
                              terminal=True)
        self.assertEqual(run.status, 0, run.stdout)
        self.assertIn(PROMPT, run.stdout)
        self.assertIn(SUMMARY, run.stdout)
        self.assertRegex(run.stdout, rf"\r{PROGRESS.pattern}|{PROGRESS.pattern}\r")
        for sent, total in PROGRESS.findall(run.stdout):
            self.assertLessEqual(int(sent), int(total), run.stdout)
        self.assertMailsAsExpected(folder_mails(self.server, "Typed"))


class UploadCutOffTest(UploadTestCase):
    tls = False
    CUT_AFTER = 3

    def test_cut_upload_says_how_far_it_came_and_the_next_run_sends_the_rest(self):
        with Proxy(self.server.port, cut_after=self.CUT_AFTER) as proxy:
            cut = Run(self, self.server, f"imap://{USER}@127.0.0.1:{proxy.port}/", "Archive",
                      env_password=True)
        self.assertEqual(cut.status, 1, cut.stdout + cut.stderr)
        stopped = STOPPED.match(cut.stderr.splitlines()[-1])
        self.assertTrue(stopped, cut.stderr)
        arrived = len(folder_mails(self.server, "Archive"))
        self.assertEqual(arrived, self.CUT_AFTER)
        # The first mail past those confirmed; mails 1 to 3 are the first three.
        self.assertEqual(int(stopped.group(1)), self.CUT_AFTER + 1, cut.stderr)
        if stopped.group(2):
            self.assertLessEqual(int(stopped.group(3)), arrived, cut.stderr)
        else:
            self.assertEqual(int(stopped.group(3)), arrived, cut.stderr)
        rest = Run(self, self.server, f"imap://{USER}@127.0.0.1:{self.server.port}/", "Archive",
                   env_password=True)
        self.assertDone(rest)
        self.assertIn(f"{arrived} mails were already in Archive and were not sent again.", rest.stdout)
        self.assertMailsAsExpected(folder_mails(self.server, "Archive"))

    def test_ctrl_c_stops_after_the_mails_sent_and_says_how_many_are_there(self):
        copies = 200
        base = pathlib.Path(WORK.name) / "LONG"
        subprocess.run([MAKE_LOG, str(base), str(copies)], check=True)
        command = [CLI, "--imap", f"imap://{USER}@127.0.0.1:{{}}/Long", str(base)]
        env = dict(os.environ, TZ="JST-9", LC_ALL="C.UTF-8", MIXCONV_IMAP_PASSWORD=PASSWORD)
        arrived = [self.server.maildir / ".Long" / name for name in ("cur", "new")]
        with Proxy(self.server.port, delay=DELAY) as proxy:
            command[2] = command[2].format(proxy.port)
            process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, env=env)
            deadline = time.monotonic() + RUN_SECONDS
            while not any(folder.is_dir() and any(folder.iterdir()) for folder in arrived):
                self.assertIsNone(process.poll(), "mixconv-cli ended before a mail arrived")
                self.assertLess(time.monotonic(), deadline, "no mail arrived")
                time.sleep(POLL_SECONDS)
            process.send_signal(signal.SIGINT)
            stdout, stderr = process.communicate(timeout=RUN_SECONDS)
        stopped = STOPPED.match(stderr.decode().splitlines()[-1])
        self.assertEqual(process.returncode, 1, stderr)
        self.assertTrue(stopped and not stopped.group(2), stderr)
        there = len(folder_mails(self.server, "Long"))
        self.assertEqual(int(stopped.group(3)), there, stderr)
        self.assertLess(there, copies * CONVERTED_MAILS, stdout)
        command[2] = f"imap://{USER}@127.0.0.1:{self.server.port}/Long"
        rest = subprocess.run(command, env=env, capture_output=True, text=True, timeout=RUN_SECONDS)
        self.assertEqual(rest.returncode, 0, rest.stderr)
        self.assertIn(f"{there} mails were already in Long", rest.stdout)
        mails = folder_mails(self.server, "Long")
        self.assertEqual(len(mails), copies * CONVERTED_MAILS)
        # The gateway mail keeps its own Message-ID: one copy of it per copy of the log.
        self.assertEqual(len({mail[0] for mail in mails}), copies * (CONVERTED_MAILS - 1) + 1)


# A server that takes no literal without its go-ahead, as many do.
WITHOUT_LITERAL_PLUS = "imap_capability = IMAP4rev1 UIDPLUS\n"


class UploadToPlainServerTest(UploadTestCase):
    """Also with "." between folder levels, as Dovecot has unless told otherwise."""
    tls = False
    separator = "."
    settings = WITHOUT_LITERAL_PLUS

    def test_mails_wait_for_the_go_ahead_and_levels_take_the_servers_separator(self):
        folder = "古いメール/2001年"
        self.assertDone(Run(self, self.server, f"imap://{USER}@127.0.0.1:{self.server.port}/", folder,
                            env_password=True))
        listed = [name for name in listed_folders(self.server)
                  if decode_folder_name(name) == folder.replace("/", ".")]
        self.assertEqual(len(listed), 1, listed_folders(self.server))
        self.assertMailsAsExpected(folder_mails(self.server, listed[0]))


class UploadPastQuotaTest(UploadTestCase):
    tls = False
    QUOTA = 5
    settings = (f"mail_plugins = $mail_plugins quota\n"
                f"plugin {{\n  quota = maildir:User quota\n  quota_rule = *:messages={QUOTA}\n}}\n")

    def test_a_full_mailbox_stops_the_upload_at_the_mail_it_refused(self):
        run = Run(self, self.server, f"imap://{USER}@127.0.0.1:{self.server.port}/", "Archive",
                  env_password=True)
        self.assertEqual(run.status, 1, run.stdout + run.stderr)
        refused = [line for line in run.error_lines() if re.search(r"mail \d+ was refused: .*quota",
                                                                    line, re.IGNORECASE)]
        self.assertEqual(len(refused), 1, run.stderr)
        stopped = STOPPED.match(run.error_lines()[-1])
        self.assertTrue(stopped and not stopped.group(2), run.stderr)
        self.assertEqual(int(stopped.group(3)), self.QUOTA, run.stderr)
        self.assertIn(f"mail {stopped.group(1)} was refused", refused[0])
        self.assertEqual(len(folder_mails(self.server, "Archive")), self.QUOTA)



class UploadPastQuotaWithoutLiteralPlusTest(UploadPastQuotaTest):
    """A refusal that comes while the next mail waits for its go-ahead."""
    settings = UploadPastQuotaTest.settings + WITHOUT_LITERAL_PLUS


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
