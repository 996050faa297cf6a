"""neomutt with no settings in a tmux server of its own, for the reader tests."""

import contextlib
import pathlib
import subprocess
import time

TIMEOUT_SECONDS = 10


class NeomuttScreen:
    def __init__(self, tmux):
        self.tmux = tmux

    def wait_for(self, text):
        """The screen once it shows text; as it is when the wait runs out, for
        the caller's assertion to fail on."""
        deadline = time.monotonic() + TIMEOUT_SECONDS
        while True:
            screen = subprocess.run(self.tmux + ["capture-pane", "-p"], check=True,
                                    capture_output=True, text=True).stdout
            if text in screen or time.monotonic() > deadline:
                return screen
            time.sleep(0.1)

    def send_keys(self, *keys):
        subprocess.run(self.tmux + ["send-keys", *keys], check=True)


@contextlib.contextmanager
def neomutt_in_tmux(work_dir, mailbox):
    """neomutt read-only on mailbox, with a home of its own in work_dir."""
    home = pathlib.Path(work_dir) / "home"
    (home / "Mail").mkdir(parents=True)
    tmux = ["tmux", "-S", str(pathlib.Path(work_dir) / "tmux")]
    subprocess.run(tmux + ["new-session", "-d", "-x", "200", "-y", "50",
                           "env", f"HOME={home}", "LANG=C.UTF-8", "LC_ALL=C.UTF-8",
                           "neomutt", "-n", "-F", "/dev/null", "-R", "-f", str(mailbox)],
                   check=True)
    try:
        yield NeomuttScreen(tmux)
    finally:
        subprocess.run(tmux + ["kill-server"], check=False)
