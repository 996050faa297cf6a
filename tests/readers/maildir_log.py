"""The generated log of tests/utf8 converted to a Maildir, and the mails of the same
log's readable mbox as Python's email package reads them: what a reader of the
Maildir must show. Arguments: make_utf8_log, mixconv-cli."""

import datetime
import email
import email.policy
import mailbox
import os
import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "utf8"))
from utf8_log import CLI, MAKE_LOG, USER, convert  # noqa: E402  (found through the line above)

JST = datetime.timezone(datetime.timedelta(hours=9))


def convert_to_maildir(work):
    """Writes the log into work and converts it with --maildir; returns the run,
    the number of mails its summary line counts, and the Maildir's path."""
    base = pathlib.Path(work) / "UTF8"
    subprocess.run([MAKE_LOG, str(base)], check=True)
    env = dict(os.environ, TZ="JST-9", LC_ALL="C.UTF-8")
    run = subprocess.run([CLI, "--maildir", "--name", USER[0], "--email", USER[1], str(base)],
                         env=env, capture_output=True, text=True)
    summary = re.search(r"^convert (\d+)/\d+ mail$", run.stdout, re.MULTILINE)
    assert run.returncode == 0 and summary, (run.returncode, run.stdout, run.stderr)
    return run, int(summary.group(1)), base.with_suffix(".maildir")


def readable_mails(work):
    """The mails of the log's readable mbox, converted in a folder of its own in
    work: each as an email message and the date of its separator line (the index
    date, in the local time of TZ=JST-9)."""
    folder = pathlib.Path(work) / "mbox"
    folder.mkdir()
    run, path = convert(folder)
    assert run.returncode == 0, run.stderr
    box = mailbox.mbox(path, create=False)
    mails = [(email.message_from_bytes(box.get_bytes(key), policy=email.policy.default),
              separator_date(box[key].get_from())) for key in box.keys()]
    box.close()
    return mails


def separator_date(from_line):
    """The date of a separator line's text after "From ", such as
    "- Thu Jun 14 16:24:00 2001", as a time in Japan."""
    sender, date = from_line.split(" ", 1)
    assert sender == "-", from_line
    return datetime.datetime.strptime(" ".join(date.split()), "%a %b %d %H:%M:%S %Y").replace(tzinfo=JST)
