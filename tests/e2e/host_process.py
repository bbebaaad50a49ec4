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


def reg(*args):
    subprocess.run([WINE, "reg"] + list(args) + ["/f"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=WAIT)


# A private copy of the executable, so that each run has its own log folder.
class HostCopy:
    def __init__(self, exe=None):
        self.dir = tempfile.mkdtemp(prefix="tabbridge-e2e-")
        self.exe = os.path.join(self.dir, "tabbridge.exe")
        shutil.copy(exe or os.environ["TABBRIDGE_EXE"], self.exe)

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class HostProcess:
    """The host's messages arrive in `messages` as texts, then None at the
    end of its output."""

    def __init__(self, exe, args=(EXTENSION_ORIGIN,), stderr=subprocess.DEVNULL, env=None):
        self.proc = subprocess.Popen([WINE, exe] + list(args), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=stderr, env=env)
        self.messages = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        header = self.proc.stdout.read(4)
        while len(header) == 4:
            self.messages.put(self.proc.stdout.read(struct.unpack("<I", header)[0]).decode())
            header = self.proc.stdout.read(4)
        self.messages.put(None)

    def write(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def send(self, message):
        self.write(frame(message))

    def close_input(self):
        self.proc.stdin.close()

    def read_text(self, timeout=WAIT):
        try:
            return self.messages.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("no message from the host within %.1f s" % timeout)

    def read(self, timeout=WAIT):
        text = self.read_text(timeout)
        return None if text is None else json.loads(text)

    def wait_exit(self, timeout=WAIT):
        return self.proc.wait(timeout=timeout)

    def kill(self):
        with self.proc:  # closes the pipes and waits
            self.proc.kill()


class HostTestCase(unittest.TestCase):
    """Runs hosts from `exe`, the test's copy of tabbridge.exe in the folder
    `dir`, and ends them all."""

    def setUp(self):
        copy = HostCopy()
        self.addCleanup(copy.remove)
        self.exe, self.dir, self.hosts = copy.exe, copy.dir, []

    def tearDown(self):
        for host in self.hosts:
            host.kill()

    def start(self, args=(EXTENSION_ORIGIN,), **kwargs):
        self.hosts.append(HostProcess(self.exe, args, **kwargs))
        return self.hosts[-1]

    def log_everything(self):
        reg("add", SETTINGS_KEY, "/v", "LogLevel", "/t", "REG_DWORD", "/d", "0")
        self.addCleanup(reg, "delete", SETTINGS_KEY, "/v", "LogLevel")

    def wait_until(self, condition, what):
        deadline = time.monotonic() + WAIT
        while not condition():
            self.assertLess(time.monotonic(), deadline, what)
            time.sleep(0.05)

    def log_lines(self):
        with open(os.path.join(self.dir, "log", "tabbridge.exe.log"), "rb") as f:
            text = f.read().decode("utf-8")
        return [line.split("] ", 1)[1] for line in text.split("\r\n") if "] " in line]
