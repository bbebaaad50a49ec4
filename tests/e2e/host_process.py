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
import time
import unittest

EXTENSION_ORIGIN = "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"
SETTINGS_KEY = r"HKCU\Software\tabbridge"
WINE = shutil.which("wine") or "/usr/bin/wine"
WAIT = 20.0  # upper bound for anything the host is expected to do


def frame(payload):
    if isinstance(payload, dict):
        payload = json.dumps(payload)
    if isinstance(payload, str):
        payload = payload.encode("utf-8")
    return struct.pack("<I", len(payload)) + payload


def run_wine(args):
    return subprocess.run([WINE] + args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=WAIT, check=False)


def reg_set_dword(key, name, value):
    run_wine(["reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])


def reg_delete(key, name=None):
    run_wine(["reg", "delete", key] + (["/v", name] if name else []) + ["/f"])


class HostCopy:
    """A private copy of the executable, so that each run has its own log
    folder."""

    def __init__(self, exe=None):
        self.dir = tempfile.mkdtemp(prefix="tabbridge-e2e-")
        self.exe = os.path.join(self.dir, "tabbridge.exe")
        shutil.copy(exe or os.environ["TABBRIDGE_EXE"], self.exe)

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class HostProcess:
    def __init__(self, exe, args=(EXTENSION_ORIGIN,), stderr=subprocess.DEVNULL, env=None):
        self.proc = subprocess.Popen([WINE, exe] + list(args), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=stderr, env=env)
        self.messages = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            header = self.proc.stdout.read(4)
            if len(header) < 4:
                break
            length = struct.unpack("<I", header)[0]
            payload = self.proc.stdout.read(length)
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
        """The next message's text; None at end of output."""
        try:
            return self.messages.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("no message from the host within %.1f s" % timeout)

    def read(self, timeout=WAIT):
        text = self.read_text(timeout)
        return None if text is None else json.loads(text)

    def expect_silence(self, seconds):
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
            except OSError:
                pass


class HostTestCase(unittest.TestCase):
    """Runs hosts from private copies of the executable and ends them all;
    `exe` is the test's copy of tabbridge.exe, in the folder `dir`."""

    def setUp(self):
        self.hosts = []
        self.exe = self.copy()
        self.dir = os.path.dirname(self.exe)

    def tearDown(self):
        for host in self.hosts:
            host.kill()

    def copy(self, exe=None):
        copy = HostCopy(exe)
        self.addCleanup(copy.remove)
        return copy.exe

    def start(self, args=(EXTENSION_ORIGIN,), exe=None, **kwargs):
        host = HostProcess(exe or self.exe, args, **kwargs)
        self.hosts.append(host)
        return host

    def wait_until(self, condition, what):
        deadline = time.monotonic() + WAIT
        while not condition():
            self.assertLess(time.monotonic(), deadline, what)
            time.sleep(0.05)

    def log_lines(self):
        """The texts of the lines of tabbridge.exe's log, after their prefix."""
        with open(os.path.join(self.dir, "log", "tabbridge.exe.log"), "rb") as f:
            text = f.read().decode("utf-8")
        return [line.split("] ", 1)[1] for line in text.split("\r\n") if "] " in line]
