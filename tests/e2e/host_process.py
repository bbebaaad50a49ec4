"""Drives tabbridge.exe under Wine through its standard input and output,
the way the browser does."""

import json
import os
import queue
import shutil
import struct
import subprocess
import tempfile
import threading
import unittest

EXTENSION_ORIGIN = "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"
WAIT = 20.0  # upper bound for anything the host is expected to do


def frame(payload):
    if isinstance(payload, (dict, list)):
        payload = json.dumps(payload)
    if isinstance(payload, str):
        payload = payload.encode("utf-8")
    return struct.pack("<I", len(payload)) + payload


def wine():
    return shutil.which("wine") or "/usr/bin/wine"


def run_wine(args, timeout=WAIT):
    return subprocess.run([wine()] + args, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=timeout, check=False)


def reg_set_dword(key, name, value):
    run_wine(["reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])


def reg_delete_value(key, name):
    run_wine(["reg", "delete", key, "/v", name, "/f"])


def reg_query(key, name):
    """Returns (type, data) of a value, or None."""
    out = run_wine(["reg", "query", key, "/v", name]).stdout.decode("utf-8", "replace")
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0].lower() == name.lower():
            return parts[1], " ".join(parts[2:])
    return None


class HostCopy:
    """A private copy of the executable, so each test has its own log folder."""

    def __init__(self, exe=None):
        self.dir = tempfile.mkdtemp(prefix="tabbridge-e2e-")
        source = exe or os.environ["TABBRIDGE_EXE"]
        self.exe = os.path.join(self.dir, "tabbridge.exe")
        shutil.copy(source, self.exe)

    @property
    def log_path(self):
        return os.path.join(self.dir, "log", "tabbridge.exe.log")

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class HostProcess:
    def __init__(self, exe, args=(EXTENSION_ORIGIN,), stderr=subprocess.DEVNULL, env=None):
        self.proc = subprocess.Popen([wine(), exe] + list(args), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=stderr, env=env)
        self.messages = queue.Queue()
        self.raw = bytearray()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        out = self.proc.stdout
        while True:
            header = out.read(4)
            if len(header) < 4:
                self.raw += header
                break
            length = struct.unpack("<I", header)[0]
            payload = out.read(length)
            self.raw += header + payload
            if len(payload) < length:
                break
            self.messages.put(payload.decode("utf-8"))
        self.messages.put(None)

    def write(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def send(self, message):
        self.write(frame(message))

    def close_input(self):
        self.proc.stdin.close()

    def read_text(self, timeout=WAIT):
        """The next message's text; None at end of output. Raises on time-out."""
        try:
            return self.messages.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("no message from the host within %.0f s" % timeout)

    def read(self, timeout=WAIT):
        text = self.read_text(timeout)
        return None if text is None else json.loads(text)

    def expect_silence(self, seconds=1.0):
        """Asserts that nothing arrives for a while."""
        try:
            message = self.messages.get(timeout=seconds)
        except queue.Empty:
            return
        raise AssertionError("unexpected message: %r" % (message,))

    def wait_exit(self, timeout=WAIT):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("host still running after %.0f s" % timeout)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=WAIT)
        for stream in (self.proc.stdin, self.proc.stdout):
            try:
                stream.close()
            except (BrokenPipeError, OSError):
                pass


class HostTestCase(unittest.TestCase):
    """Runs hosts from private copies of the executable and ends them all;
    `host_copy` is the copy of tabbridge.exe."""

    def setUp(self):
        self.copies = []
        self.hosts = []
        self.host_copy = self.copy()

    def tearDown(self):
        for host in self.hosts:
            host.kill()
        for copy in self.copies:
            copy.remove()

    def copy(self, exe=None):
        copy = HostCopy(exe)
        self.copies.append(copy)
        return copy

    def start(self, args=(EXTENSION_ORIGIN,), exe=None, **kwargs):
        host = HostProcess(exe or self.host_copy.exe, args, **kwargs)
        self.hosts.append(host)
        return host

    def log_lines(self):
        """The texts of the lines of tabbridge.exe's log, after their prefix."""
        with open(self.host_copy.log_path, "rb") as f:
            text = f.read().decode("utf-8")
        return [line.split("] ", 1)[1] for line in text.split("\r\n") if "] " in line]
