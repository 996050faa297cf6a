"""A TCP relay on 127.0.0.1 to a server on 127.0.0.1, in threads of its own. It
can hold every chunk back for a delay in each direction, as a distant server
would: each chunk leaves its delay after it came in, so the delay adds latency
without capping throughput. On a plain IMAP connection it can also cut the
connection, both ways at once, right after relaying the server's confirmation
of the Nth APPEND; connections made after the cut are relayed as usual. A
client that sends its APPENDs back to back has sent more by then, which the
server would still store: the relay keeps back every APPEND after the Nth, so
that exactly N mails arrive."""

import queue
import re
import socket
import threading
import time

CHUNK = 65536
STOP_SECONDS = 10
# Dovecot confirms each APPEND with "tag OK [APPENDUID validity uid] Append completed."
APPENDED = re.compile(rb"^\S+ OK \[APPENDUID ")
APPEND = re.compile(rb"^\S+ APPEND ", re.IGNORECASE)
# A line that ends in a literal's length goes on after that many bytes.
LITERAL = re.compile(rb"~?\{(\d+)\+?\}\r?\n$")
# A line longer than this cannot be an APPEND's confirmation; only its start matters.
LINE_KEPT = 1000
CUT = object()


class _AppendWatch:
    """Counts the APPEND confirmations in one server-to-client stream."""

    def __init__(self, proxy):
        self.proxy = proxy
        self.partial = b""

    def relayed_part(self, data):
        """The part of data to relay, and whether the connection is to be cut after it."""
        text = self.partial + data
        lines = text.split(b"\n")
        self.partial = lines.pop()[:LINE_KEPT]
        end = -(len(text) - len(data))
        for line in lines:
            end += len(line) + 1
            if APPENDED.match(line) and self.proxy.count_append():
                return data[:end], True
        return data, False


class _CommandWatch:
    """Finds the APPEND commands in one client-to-server stream, past the mails'
    bytes, and keeps back the first one past the cut with all that follows."""

    def __init__(self, proxy):
        self.proxy = proxy
        self.partial = b""
        self.literal = 0
        self.continued = False
        self.keeping = False

    def relayed_part(self, data):
        """The part of data to relay now; a line's start waits for its end."""
        relayed = bytearray()
        while data and not self.keeping:
            if self.literal:
                taken = data[:self.literal]
                relayed += taken
                self.literal -= len(taken)
                data = data[len(taken):]
                continue
            end = data.find(b"\n")
            if end < 0:
                self.partial += data
                break
            line, data, self.partial = self.partial + data[:end + 1], data[end + 1:], b""
            # A line after a literal goes on with the same command.
            if not self.continued and APPEND.match(line) and self.proxy.count_command():
                self.keeping = True
                break
            literal = LITERAL.search(line)
            self.literal = int(literal.group(1)) if literal else 0
            self.continued = literal is not None
            relayed += line
        return bytes(relayed), False


class Proxy:
    """Relays connections to port of 127.0.0.1 from its own port, self.port, until
    close(), which raises AssertionError if a relay thread does not end."""

    def __init__(self, port, delay=0.0, cut_after=None):
        self.target = ("127.0.0.1", port)
        self.delay = delay
        self.cut_after = cut_after
        self.appended = 0
        self.commands = 0
        self.connections = 0
        self._lock = threading.Lock()
        self._sockets = []
        self._threads = []
        self._listener = socket.create_server(("127.0.0.1", 0))
        self.port = self._listener.getsockname()[1]

    def __enter__(self):
        self._start(self._accept)
        return self

    def __exit__(self, *exception):
        self.close()

    def _start(self, target, *arguments):
        thread = threading.Thread(target=target, args=arguments, daemon=True)
        with self._lock:
            self._threads.append(thread)
        thread.start()

    def count_append(self):
        """Counts one confirmed APPEND; True when it is the one to cut after."""
        with self._lock:
            self.appended += 1
            return self.appended == self.cut_after

    def count_command(self):
        """Counts one APPEND command; True when it comes after the cut."""
        with self._lock:
            self.commands += 1
            return self.commands > self.cut_after

    def _accept(self):
        while True:
            try:
                client, _ = self._listener.accept()
            except OSError:
                return
            try:
                server = socket.create_connection(self.target, timeout=STOP_SECONDS)
            except OSError:
                client.close()
                continue
            server.settimeout(None)
            with self._lock:
                self._sockets += [client, server]
                self.connections += 1
                watch = self.cut_after is not None and self.appended < self.cut_after
            self._start(self._receive, client, server, _CommandWatch(self) if watch else None)
            self._start(self._receive, server, client, _AppendWatch(self) if watch else None)

    def _receive(self, source, destination, watch):
        chunks = queue.SimpleQueue()
        self._start(self._send, chunks, source, destination)
        while True:
            try:
                data = source.recv(CHUNK)
            except OSError:
                data = b""
            arrived = time.monotonic()
            if not data:
                chunks.put((arrived, None))
                return
            cut = False
            if watch:
                data, cut = watch.relayed_part(data)
            chunks.put((arrived, data))
            if cut:
                chunks.put((arrived, CUT))
                return

    def _send(self, chunks, source, destination):
        while True:
            arrived, data = chunks.get()
            time.sleep(max(0.0, arrived + self.delay - time.monotonic()))
            if data is CUT:
                _shut(source, socket.SHUT_RDWR)
                _shut(destination, socket.SHUT_RDWR)
                return
            if data is None:
                # The other side sees the end as the sender made it.
                _shut(destination, socket.SHUT_WR)
                return
            try:
                destination.sendall(data)
            except OSError:
                # Nothing more can reach the destination: stop reading for it.
                _shut(source, socket.SHUT_RDWR)
                return

    def close(self):
        _shut(self._listener, socket.SHUT_RDWR)
        self._listener.close()
        with self._lock:
            sockets = list(self._sockets)
        for connection in sockets:
            _shut(connection, socket.SHUT_RDWR)
        deadline = time.monotonic() + STOP_SECONDS
        while True:
            with self._lock:
                running = [thread for thread in self._threads if thread.is_alive()]
            if not running:
                break
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError(f"{len(running)} proxy threads still run {STOP_SECONDS} s "
                                     "after close")
            running[0].join(remaining)
        for connection in sockets:
            connection.close()


def _shut(connection, how):
    try:
        connection.shutdown(how)
    except OSError:
        pass
