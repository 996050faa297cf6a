"""A Dovecot IMAP server of the test's own: its configuration, sockets, state and
log in one private directory, listening on 127.0.0.1 only, serving one Maildir to
one passwd-file user. It runs as the current user; as root, its login, internal
and mail processes run as "nobody": Dovecot refuses root for login processes and
for mail users, and one user for all three keeps the files' rights simple.

With tls, it also listens for IMAPS and offers STARTTLS, with a certificate for
"localhost" only, signed by a CA made for this server alone: a client that trusts
that CA verifies "localhost" and must refuse "127.0.0.1". A second CA, unrelated,
stands for a server that some other CA vouches for."""

import ctypes
import grp
import imaplib
import os
import pathlib
import pwd
import shutil
import signal
import socket
import subprocess
import time

USER, PASSWORD = "reader", "mixconv"
START_SECONDS = 20
STOP_SECONDS = 10
PORT_ATTEMPTS = 3
PR_SET_CHILD_SUBREAPER = 36
# What the passwd file's fields cannot hold.
UNQUOTABLE = " \t\n:"
CERTIFICATE_DAYS = 2


def _free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def _group_members(group):
    """The processes of a process group that still run (zombies have ended)."""
    members = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            stat = (entry / "stat").read_text()
        except OSError:
            continue
        # After "(command)": state, parent, process group.
        fields = stat[stat.rindex(")") + 2:].split()
        if int(fields[2]) == group and fields[0] != "Z":
            members.append(f"{entry.name} {stat[stat.index('(') + 1:stat.rindex(')')]}")
    return members


def _openssl(*arguments):
    run = subprocess.run(["openssl", *arguments], capture_output=True, text=True)
    if run.returncode != 0:
        raise DovecotError(f"openssl {' '.join(arguments)}: {run.stderr}")


def _make_ca(directory, name):
    """A CA's key and certificate, directory/name.key and directory/name.pem."""
    _openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
             "-nodes", "-keyout", str(directory / f"{name}.key"), "-out", str(directory / f"{name}.pem"),
             "-days", str(CERTIFICATE_DAYS), "-subj", f"/CN=mixconv test {name}",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    return directory / f"{name}.pem"


def _make_certificates(directory):
    """The server's key and certificate, signed by a CA of its own; returns that
    CA's certificate and another CA's, which signed nothing here."""
    directory.mkdir()
    ca = _make_ca(directory, "ca")
    other_ca = _make_ca(directory, "other-ca")
    extensions = directory / "server.ext"
    # No IP address among the names, so that 127.0.0.1 fails the host check.
    extensions.write_text("subjectAltName = DNS:localhost\nbasicConstraints = CA:FALSE\n"
                          "extendedKeyUsage = serverAuth\n")
    _openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", str(directory / "server.key"), "-out", str(directory / "server.csr"),
             "-subj", "/CN=mixconv test server")
    _openssl("x509", "-req", "-in", str(directory / "server.csr"), "-CA", str(ca),
             "-CAkey", str(directory / "ca.key"), "-CAcreateserial", "-days", str(CERTIFICATE_DAYS),
             "-extfile", str(extensions), "-out", str(directory / "server.pem"))
    return ca, other_ca


def _reap_one():
    """Reaps an ended child if there is one; False once this process has no child left."""
    try:
        os.waitpid(-1, os.WNOHANG)
        return True
    except ChildProcessError:
        return False


class DovecotError(Exception):
    pass


class Dovecot:
    """Start with start(), which returns once the server greets; stop() ends it
    and every process it started, and raises DovecotError naming any that was
    left. Usable as a context manager."""

    def __init__(self, work, maildir=None, tls=False, password=PASSWORD, separator="/", settings=""):
        """Without maildir, serves a new empty one, work/Maildir. separator goes
        between folder levels; settings are more lines of configuration."""
        self.work = pathlib.Path(work)
        self.maildir = pathlib.Path(maildir) if maildir else self.work / "Maildir"
        self.tls = tls
        self.password = password
        self.separator = separator
        self.settings = settings
        self.port = None
        self.imaps_port = None
        self.ca_file = None
        self.other_ca_file = None
        self.master = None
        self.log = self.work / "dovecot.log"
        self.output = self.work / "dovecot.out"
        self.config = self.work / "dovecot.conf"

    def _account(self):
        """The user whose rights every Dovecot process but the master gets."""
        return pwd.getpwnam("nobody") if os.geteuid() == 0 else pwd.getpwuid(os.geteuid())

    def _write_files(self):
        account = self._account()
        home = self.work
        # The index and control files go beside the Maildir, which keeps the
        # files mixconv-cli wrote as they are.
        mail = f"maildir:{self.maildir}:INDEX={home}/index:CONTROL={home}/control"
        for folder in ("cur", "new", "tmp"):
            (self.maildir / folder).mkdir(parents=True, exist_ok=True)
        (self.work / "passwd").write_text(
            f"{USER}:{{PLAIN}}{self.password}:{account.pw_uid}:{account.pw_gid}::{home}::"
            f"userdb_mail={mail}\n")
        self.port = _free_port()
        if self.tls:
            self.imaps_port = _free_port()
            if self.ca_file is None:
                self.ca_file, self.other_ca_file = _make_certificates(self.work / "tls")
            ssl = (f"ssl = yes\nssl_cert = <{self.work}/tls/server.pem\n"
                   f"ssl_key = <{self.work}/tls/server.key\n")
        else:
            ssl = "ssl = no\n"
        self.config.write_text(f"""\
instance_name = mixconv-test
base_dir = {self.work}/run
state_dir = {self.work}/state
log_path = {self.log}
protocols = imap
listen = 127.0.0.1
{ssl}default_login_user = {account.pw_name}
default_internal_user = {account.pw_name}
default_internal_group = {grp.getgrgid(account.pw_gid).gr_name}
first_valid_uid = {account.pw_uid}
last_valid_uid = {account.pw_uid}
first_valid_gid = {account.pw_gid}
last_valid_gid = {account.pw_gid}
namespace inbox {{
  inbox = yes
  separator = {self.separator}
}}
{self.settings}
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {self.work}/passwd
}}
userdb {{
  driver = passwd-file
  args = username_format=%u {self.work}/passwd
}}
service imap-login {{
  chroot =
  inet_listener imap {{
    address = 127.0.0.1
    port = {self.port}
  }}
  inet_listener imaps {{
    address = 127.0.0.1
    port = {self.imaps_port or 0}
  }}
}}
service anvil {{
  chroot =
}}
""")
        if os.geteuid() == 0:
            # The Maildir and the passwd file are the mail user's, as on a real server.
            for path in [self.work, *self.work.rglob("*")]:
                os.chown(path, account.pw_uid, account.pw_gid, follow_symlinks=False)

    def start(self):
        program = shutil.which("dovecot", path=os.environ.get("PATH", "") + os.pathsep + "/usr/sbin")
        if program is None:
            raise DovecotError("dovecot is not installed (Debian packages dovecot-core and "
                               "dovecot-imapd; ./dev.sh test installs them)")
        if not pathlib.Path("/usr/lib/dovecot/imap").exists():
            raise DovecotError("Dovecot's IMAP server is not installed (Debian package "
                               "dovecot-imapd; ./dev.sh test installs it)")
        if any(character in str(self.work) for character in UNQUOTABLE):
            raise DovecotError(f"{self.work}: Dovecot's passwd file cannot hold a path with a "
                               "space or a colon; set TMPDIR to a directory without")
        if any(character in self.password for character in ":\n"):
            raise DovecotError("Dovecot's passwd file cannot hold a password with a colon "
                               "or a line break")
        # Processes that the master leaves behind become this process's children,
        # so that stop() can wait for each of them.
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")
        # The free port picked may be taken before Dovecot binds it; then another.
        for attempt in range(1, PORT_ATTEMPTS + 1):
            self._write_files()
            self.log.unlink(missing_ok=True)
            # In the foreground, in a process group of its own that its children share.
            with open(self.output, "wb") as output:
                self.master = subprocess.Popen([program, "-F", "-c", str(self.config)],
                                               stdin=subprocess.DEVNULL, stdout=output,
                                               stderr=subprocess.STDOUT, start_new_session=True)
            try:
                self._wait_for_greeting()
                return self
            except BaseException as error:
                self.stop()
                if attempt == PORT_ATTEMPTS or "Address already in use" not in str(error):
                    raise

    def _wait_for_greeting(self):
        deadline = time.monotonic() + START_SECONDS
        while self.master.poll() is None:
            try:
                imaplib.IMAP4("127.0.0.1", self.port, timeout=STOP_SECONDS).logout()
                return
            except imaplib.IMAP4.error as error:
                raise DovecotError(f"dovecot greets with {error}:\n{self.log_text()}") from error
            except OSError:
                if time.monotonic() > deadline:
                    raise DovecotError(f"dovecot did not answer on port {self.port} within "
                                       f"{START_SECONDS} s:\n{self.log_text()}") from None
                time.sleep(0.1)
        raise DovecotError(f"dovecot exited with status {self.master.returncode}:\n"
                           f"{self.log_text()}")

    def connect(self):
        client = imaplib.IMAP4("127.0.0.1", self.port, timeout=STOP_SECONDS)
        client.login(USER, self.password)
        return client

    def log_text(self):
        """What the master printed, then its log file."""
        return "".join(path.read_text(errors="replace") for path in (self.output, self.log)
                       if path.exists())

    def stop(self):
        """Stops the master and its children, the imap processes included, and
        waits for each; raises DovecotError if any is still there after STOP_SECONDS."""
        if self.master is None:
            return
        master, self.master = self.master, None
        group = master.pid
        try:
            os.killpg(group, signal.SIGTERM)
        except ProcessLookupError:
            pass
        deadline = time.monotonic() + STOP_SECONDS
        try:
            master.wait(timeout=STOP_SECONDS)
        except subprocess.TimeoutExpired:
            pass
        # The children that outlived the master are this process's own by now.
        while _reap_one() and time.monotonic() < deadline:
            time.sleep(0.05)
        left = _group_members(group)
        if left:
            os.killpg(group, signal.SIGKILL)
            raise DovecotError(f"still running {STOP_SECONDS} s after SIGTERM: {left}\n"
                               f"{self.log_text()}")

    def __enter__(self):
        return self.start()

    def __exit__(self, *exception):
        self.stop()
