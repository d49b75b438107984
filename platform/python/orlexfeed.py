"""The Feed client of Orlex Gauges in plain Python (3.8 or later, standard library only).

    import orlexfeed
    with orlexfeed.Feed() as feed:
        feed.send(orlexfeed.INIT, '1;RPM;"Engine Speed";1;')   # 1
        feed.send(orlexfeed.PID, "RPM,1500;")                   # 1

Every call blocks until the display has replied and returns its result. Failures raise FeedError,
whose `kind` is one of NO_DISPLAY, CONNECTION_LOST, TOO_LONG, BAD_PATH, SYSTEM.
"""

import os
import socket
import stat
import struct
import time

__all__ = [
    "Feed", "FeedError", "socket_path", "quote_field",
    "INIT", "PID", "SAVE", "HIDE_ALL", "DISABLE_CHECKING", "ENABLE_CHECKING",
    "NO_DISPLAY", "CONNECTION_LOST", "TOO_LONG", "BAD_PATH", "SYSTEM",
]

# Packet kinds and control messages.
INIT, PID, SAVE = 0, 1, 4
HIDE_ALL, DISABLE_CHECKING, ENABLE_CHECKING = 0x464, 0x465, 0x466

# FeedError kinds.
NO_DISPLAY, CONNECTION_LOST, TOO_LONG, BAD_PATH, SYSTEM = (
    "no display", "connection lost", "too long", "bad path", "system")

_COPY_DATA = 0x4A
_MAX_PAYLOAD = 16 * 1024 * 1024


class FeedError(Exception):
    def __init__(self, kind, message):
        super().__init__(message)
        self.kind = kind


def socket_path():
    """$ORLEXGAUGES_SOCKET, else $XDG_RUNTIME_DIR/orlexgauges.sock, else
    /tmp/orlexgauges-<uid>/orlexgauges.sock."""
    explicit = os.environ.get("ORLEXGAUGES_SOCKET")
    if explicit:
        return explicit
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and runtime.startswith("/"):
        return os.path.join(runtime, "orlexgauges.sock")
    return "/tmp/orlexgauges-%d/orlexgauges.sock" % os.getuid()


def quote_field(text):
    """A packet field in double quotes with inner quotes doubled: the form a key, description or
    key,value pair needs when it holds spaces, semicolons or quotes."""
    return '"' + text.replace('"', '""') + '"'


def _check_fallback_dir(path):
    # The shared /tmp directory must be ours, a real directory and closed to others, or another user
    # could have planted a socket there.
    directory = os.path.dirname(path)
    if directory != "/tmp/orlexgauges-%d" % os.getuid():
        return
    try:
        st = os.lstat(directory)
    except FileNotFoundError:
        raise FeedError(NO_DISPLAY, "no display answers on " + path) from None
    if stat.S_ISLNK(st.st_mode) or not stat.S_ISDIR(st.st_mode):
        raise FeedError(BAD_PATH, directory + " is not a directory")
    if st.st_uid != os.getuid() or st.st_mode & 0o022:
        raise FeedError(BAD_PATH, directory + " is not private to this user")


class Feed:
    """One connection to the display. `wait` seconds: keep retrying while no display answers."""

    def __init__(self, path=None, wait=0.0):
        self.path = path or socket_path()
        deadline = time.monotonic() + wait
        while True:
            try:
                self._sock = self._connect()
                return
            except FeedError as error:
                if error.kind != NO_DISPLAY or time.monotonic() >= deadline:
                    raise
            time.sleep(0.1)

    def _connect(self):
        _check_fallback_dir(self.path)
        if len(os.fsencode(self.path)) >= 108:
            raise FeedError(BAD_PATH, "Feed socket path is too long: " + self.path)
        sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            sock.connect(self.path)
        except (FileNotFoundError, ConnectionRefusedError, NotADirectoryError):
            sock.close()
            raise FeedError(NO_DISPLAY, "no display answers on " + self.path) from None
        except OSError as error:
            sock.close()
            raise FeedError(SYSTEM, "cannot connect to %s: %s" % (self.path, error)) from None
        return sock

    def send(self, kind, text):
        """Sends a packet of `kind` (INIT, PID, SAVE...) and returns the display's result. `text` is
        a str (sent as UTF-8) or bytes (sent as they are, for Windows-1252 texts)."""
        data = text.encode("utf-8") if isinstance(text, str) else bytes(text)
        if b"\0" in data:
            data = data[:data.index(b"\0")]  # the display reads up to the first NUL anyway
        if len(data) + 1 > _MAX_PAYLOAD:
            raise FeedError(TOO_LONG, "text longer than the 16 MiB the display accepts")
        return self._exchange(_COPY_DATA, kind, data + b"\0")

    def send_control(self, msg):
        """Sends a control message (HIDE_ALL, DISABLE_CHECKING, ENABLE_CHECKING)."""
        return self._exchange(msg, 0, b"")

    def close(self):
        if self._sock is not None:
            self._sock.close()
            self._sock = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _exchange(self, msg, data, payload):
        if self._sock is None:
            raise FeedError(CONNECTION_LOST, "the display has closed the connection")
        frame = struct.pack("<III", msg, data, len(payload)) + payload
        try:
            self._sock.sendall(frame)
            reply = b""
            while len(reply) < 4:
                chunk = self._sock.recv(4 - len(reply))
                if not chunk:
                    raise ConnectionResetError
                reply += chunk
        except (BrokenPipeError, ConnectionResetError):
            self.close()
            raise FeedError(CONNECTION_LOST, "the display closed the connection without replying") from None
        except OSError as error:
            raise FeedError(SYSTEM, "socket call failed: %s" % error) from None
        return struct.unpack("<i", reply)[0]
