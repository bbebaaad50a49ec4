"""What the installer leaves in the prefix: the profile folder and the
browser's registration key."""

import hashlib
import os
import re
import shutil
import subprocess
import tempfile

from host_process import WAIT, WINE, HostProcess, HostTestCase, reg
from stand_in_browser import StandInBrowser

HOST_KEY = r"HKCU\Software\Google\Chrome\NativeMessagingHosts\com.tabbridge.helper"


def local_app_data():
    """The prefix's local application data folder: (Windows path, Linux path)."""
    out = subprocess.run([WINE, "cmd", "/c", "echo", "%LOCALAPPDATA%"], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, timeout=WAIT).stdout.strip()
    drive, rest = out.split(":", 1)
    assert drive.upper() == "C", out
    return out, os.path.join(os.environ["WINEPREFIX"], "drive_c", *rest.strip("\\").split("\\"))


def host_key_values():
    """The host key's values as {name: (type, data)}, "" for the default one;
    None when the key is missing."""
    result = subprocess.run([WINE, "reg", "query", HOST_KEY], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=WAIT)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        match = re.match(r"\s+(\S.*?)\s+(REG_\w+)\s*(.*)$", line)
        if match:
            name = "" if match.group(1) == "(Default)" else match.group(1)
            values[name] = (match.group(2), match.group(3))
    return values


VERSION = "2.26.20.0"
SUCCESS = ("Install Complete!",
           "Congratulations, the installation is complete and you can use TabBridge in your browser")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def with_version(exe_bytes, version):
    """A copy of the build that believes it is `version`."""
    assert len(version) == len(VERSION)
    assert exe_bytes.count(VERSION.encode()) >= 1
    return exe_bytes.replace(VERSION.encode(), version.encode())


def md5(data):
    return hashlib.md5(data).hexdigest()


def side_names(folder):
    return [n for n in os.listdir(folder) if re.fullmatch(r"tabbridge\.exe\d+", n)]


class InstallerTestCase(HostTestCase):
    @classmethod
    def setUpClass(cls):
        cls.app_data, cls.app_data_unix = local_app_data()
        cls.folder = os.path.join(cls.app_data_unix, "tabbridge")
        cls.installed = os.path.join(cls.folder, "tabbridge.exe")
        cls.manifest = os.path.join(cls.folder, "com.tabbridge.helper.json")
        cls.build = read(os.environ["TABBRIDGE_EXE"])

    @classmethod
    def tearDownClass(cls):
        cls.uninstall()

    def setUp(self):
        super().setUp()
        self.uninstall()

    @classmethod
    def uninstall(cls):
        reg("delete", HOST_KEY)
        shutil.rmtree(cls.folder, ignore_errors=True)
        if os.path.isfile(cls.folder):
            os.remove(cls.folder)

    def exe_of_version(self, version):
        folder = tempfile.mkdtemp(prefix="tabbridge-build-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        path = os.path.join(folder, "tabbridge.exe")
        with open(path, "wb") as f:
            f.write(with_version(self.build, version))
        return path

    def run_installer(self, exe=None, args=()):
        """Runs installer mode; returns the (caption, text) of its box, which it closes."""
        if not hasattr(self, "boxes"):
            self.boxes = StandInBrowser("Box Watcher")
            self.addCleanup(self.boxes.close)
        host = HostProcess(exe or self.exe, args)
        self.hosts.append(host)
        box = self.boxes.close_box("Install ")
        self.assertEqual(host.wait_exit(), 0)
        return box["caption"], box["text"]

    def assert_installed(self, exe_bytes, version):
        self.assertEqual(md5(read(self.installed)), md5(exe_bytes))
        self.assertEqual(host_key_values()["version"], ("REG_SZ", version))
