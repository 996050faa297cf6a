"""The generated log's --utf8 mailbox, shared by the reader tests."""

import os
import pathlib
import subprocess
import sys

MAKE_LOG, CLI = sys.argv[1], sys.argv[2]
USER = ("山田 太郎", "taro@example.jp")
CONVERTED_MAILS = 9


def convert(work, tz="JST-9"):
    """Writes the log into work and converts it in the time zone tz; returns the
    run and the mailbox path."""
    base = pathlib.Path(work) / "UTF8"
    subprocess.run([MAKE_LOG, str(base)], check=True)
    env = dict(os.environ, TZ=tz, LC_ALL="C.UTF-8")
    run = subprocess.run([CLI, "--utf8", "--name", USER[0], "--email", USER[1], str(base)],
                         env=env, capture_output=True, text=True)
    return run, base.with_suffix(".mbx")
