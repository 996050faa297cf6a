#!/usr/bin/env python3
"""Upload figures for mixconv-cli --imap, printed, not checked against a bound: a
log of about 1,000 mails that convert_bench writes goes to a Dovecot of this
script's own over IMAPS on 127.0.0.1, once directly and once through a relay
that adds a 20 ms round trip, as a server across a country would, each time into
a new folder; then the same through the relay to a server that offers no
LITERAL+, where every mail waits for the server's go-ahead, as on many servers.
Arguments: convert_bench, mixconv-cli."""

import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

TESTS = pathlib.Path(__file__).resolve().parent.parent / "tests"
sys.path[:0] = [str(TESTS / "readers"), str(TESTS / "imap")]
from dovecot import PASSWORD, USER, Dovecot  # noqa: E402  (found through the line above)
from imap_proxy import Proxy  # noqa: E402

LOG_MEGABYTES = 4
ROUND_TRIP_SECONDS = 0.020
WITHOUT_LITERAL_PLUS = "imap_capability = IMAP4rev1 UIDPLUS\n"


def upload(cli, server, port, folder, index):
    """Uploads index into folder through port; returns the mails in the folder and the seconds taken."""
    env = dict(os.environ, MIXCONV_IMAP_PASSWORD=PASSWORD, LC_ALL="C.UTF-8")
    command = [cli, "--imap", f"imaps://{USER}@localhost:{port}/{folder}", "--ca-file",
               str(server.ca_file), str(index)]
    start = time.monotonic()
    run = subprocess.run(command, env=env, capture_output=True, text=True)
    seconds = time.monotonic() - start
    summary = re.search(r"^convert (\d+)/\d+ mail$", run.stdout, re.MULTILINE)
    if run.returncode != 0 or not summary:
        sys.exit(f"imap_bench: {' '.join(command)} ended with status {run.returncode}:\n"
                 f"{run.stdout}{run.stderr}")
    client = server.connect()
    status, data = client.select(folder, readonly=True)
    client.logout()
    if status != "OK" or int(data[0]) != int(summary.group(1)):
        sys.exit(f"imap_bench: {folder} holds {data}, the summary says {summary.group(1)}")
    return int(data[0]), seconds


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: imap_bench.py CONVERT_BENCH MIXCONV_CLI")
    convert_bench, cli = sys.argv[1:]
    # The server's directory is its own: as root, Dovecot's processes run as nobody.
    with tempfile.TemporaryDirectory(prefix="mixconv-imap-bench-") as work, \
            tempfile.TemporaryDirectory(prefix="mixconv-imap-bench-server-") as server_work:
        index = pathlib.Path(work) / "BENCH"
        written = subprocess.run([convert_bench, "--write-log", str(index), str(LOG_MEGABYTES)],
                                 capture_output=True, text=True, check=True)
        print(f"imap upload: {written.stdout.strip()}")
        distant = f"IMAPS with a {ROUND_TRIP_SECONDS * 1000:.0f} ms round trip"
        with Dovecot(server_work, tls=True) as server:
            results = [("IMAPS on 127.0.0.1", upload(cli, server, server.imaps_port, "Direct", index))]
            with Proxy(server.imaps_port, delay=ROUND_TRIP_SECONDS / 2) as proxy:
                results.append((distant, upload(cli, server, proxy.port, "Distant", index)))
        with Dovecot(pathlib.Path(server_work) / "waiting", tls=True,
                     settings=WITHOUT_LITERAL_PLUS) as server:
            with Proxy(server.imaps_port, delay=ROUND_TRIP_SECONDS / 2) as proxy:
                results.append((f"{distant}, no LITERAL+",
                                upload(cli, server, proxy.port, "Waiting", index)))
    for label, (mails, seconds) in results:
        print(f"imap upload, {label}: {mails} mails in {seconds:.2f} s, "
              f"{mails / seconds:.0f} mails/s")


if __name__ == "__main__":
    main()
