# End to end: installer mode and "host_update" of the real tabbridge.exe under
# Wine, against the prefix's own profile folder and registry. Each class is a
# suite of its own (e2e_installer.CLASS).

import base64
import hashlib
import json
import os
import re
import shutil
import time
import unittest

from host_process import HostProcess, HostTestCase, reg
from installation import APP_DATA, HOST_KEY, host_key_values, unix_path
from stand_in_browser import StandInBrowser

VERSION = "2.26.20.0"
EXE_PATH = APP_DATA + "\\tabbridge\\tabbridge.exe"
SUCCESS = ("Install Complete!",
           "Congratulations, the installation is complete and you can use TabBridge in your browser")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data=b""):
    with open(path, "wb") as f:
        f.write(data)


def md5(data):
    return hashlib.md5(data).hexdigest()


def b64(data):
    return base64.b64encode(data).decode()


class InstallerTestCase(HostTestCase):
    # Every test starts uninstalled; `boxes` watches the desktop's message boxes.
    folder = unix_path(APP_DATA + "\\tabbridge")
    installed = unix_path(EXE_PATH)
    manifest = os.path.join(folder, "com.tabbridge.helper.json")

    @classmethod
    def setUpClass(cls):
        cls.build = read(os.environ["TABBRIDGE_EXE"])
        cls.boxes = StandInBrowser("Box Watcher")
        cls.addClassCleanup(cls.boxes.close)
        cls.addClassCleanup(cls.uninstall)

    def setUp(self):
        super().setUp()
        self.uninstall()

    @classmethod
    def uninstall(cls):
        reg("delete", HOST_KEY)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def build_of_version(self, version):
        # A copy of the build that believes it is `version`.
        path = os.path.join(self.dir, version + ".exe")
        write(path, self.build.replace(VERSION.encode(), version.encode()))
        return path

    def run_installer(self, exe=None, args=()):
        # Returns the (caption, text) of installer mode's box, which it closes.
        self.hosts.append(HostProcess(exe or self.exe, args))
        box = self.boxes.close_box("Install ")
        self.assertEqual(self.hosts[-1].wait_exit(), 0)
        return box["caption"], box["text"]

    def start_host(self, exe=None):
        # A host in extension mode that has finished starting up.
        self.hosts.append(HostProcess(exe or self.exe))
        self.hosts[-1].send({"action": "host_ping", "session_id": 1})
        self.assertEqual(self.hosts[-1].read()["session_id"], 1)
        return self.hosts[-1]

    def assert_installed(self, exe_bytes, version):
        self.assertEqual(md5(read(self.installed)), md5(exe_bytes))
        self.assertEqual(host_key_values()["version"], ("REG_SZ", version))


class InstallerTest(InstallerTestCase):
    def test_install_then_same_build_copies_nothing_newer_replaces_older_changes_nothing(self):
        self.assertEqual(self.run_installer(), SUCCESS)
        self.assert_installed(self.build, VERSION)
        self.assertEqual(json.loads(read(self.manifest))["path"], EXE_PATH)
        values = host_key_values()
        self.assertEqual(values[""][1], APP_DATA + "\\tabbridge\\com.tabbridge.helper.json")
        self.assertEqual(values["extension_id"][1], "kccfkjohlmdimceejcjdedpnnbkcnpbb")
        self.assertLess(abs(int(values["last_update_time"][1], 16) - time.time()), 600)
        os.utime(self.installed, (1e9, 1e9))
        # A developer-tools start without a window is installer mode too.
        self.assertEqual(self.run_installer(args=("/devtools", "/p:1234")), SUCCESS)
        self.assertEqual(os.stat(self.installed).st_mtime, 1e9)
        newer = self.build_of_version("2.26.21.0")
        for exe in (newer, self.exe):
            self.assertEqual(self.run_installer(exe), SUCCESS)
            self.assert_installed(read(newer), "2.26.21.0")


class InstallerFaultsTest(InstallerTestCase):
    def test_a_broken_registration_installs_again(self):
        for break_it in (lambda: (reg("delete", HOST_KEY), reg("add", HOST_KEY)),
                         lambda: write(self.manifest, b'{"path": "C:\\\\nowhere.exe"}')):
            self.run_installer()
            break_it()
            self.assertEqual(self.run_installer(), SUCCESS)
            self.assertEqual(json.loads(read(self.manifest))["path"], EXE_PATH)
            self.assertIn("", host_key_values())

    def test_a_failing_step_shows_its_code(self):
        write(self.folder)  # a file where the folder should be
        self.addCleanup(os.remove, self.folder)
        self.assertEqual(self.run_installer(),
                         ("Install Error!", "Sorry, the installation failed with error code: 1"))

    def test_a_running_copy_is_set_aside_and_removed_at_the_next_start(self):
        self.run_installer()
        kept = os.path.join(self.folder, "log", "tabbridge.exe123")
        os.makedirs(os.path.dirname(kept))
        write(kept)
        running = self.start_host(self.installed)
        newer = self.build_of_version("2.26.21.0")
        self.run_installer(newer)
        self.assert_installed(read(newer), "2.26.21.0")
        set_aside = lambda: [n for n in os.listdir(self.folder)  # noqa: E731
                             if re.fullmatch(r"tabbridge\.exe\d+", n)]
        self.assertEqual(len(set_aside()), 1)
        running.close_input()
        running.wait_exit()
        self.start_host()
        self.assertEqual(set_aside(), [])
        self.assertTrue(os.path.exists(kept) and os.path.exists(self.installed))


def peak_resident_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmHWM:\s+(\d+) kB", f.read())[1]) / 1024


class HostUpdateTest(InstallerTestCase):
    def update(self, host, content, version, digest, timeout=20):
        host.send({"action": "host_update", "session_id": 3, "file_content": content,
                   "version": version, "md5": digest})
        self.assertEqual(host.read(timeout)["ret"], "-1")

    def test_an_older_version_with_its_md5_installs_first_then_replaces_the_copy(self):
        older = read(self.build_of_version("2.26.19.0"))
        self.update(self.start_host(), b64(older), "2.26.19.0", md5(older).upper())
        self.assert_installed(older, "2.26.19.0")
        self.assertTrue(os.path.isfile(self.manifest))

    def test_refused_updates_change_nothing(self):
        self.run_installer()
        older = read(self.build_of_version("2.26.19.0"))
        host = self.start_host()
        for name, content, version, digest in (("own version", b64(older), VERSION, md5(older)),
                                               ("wrong md5", b64(older), "2.26.19.0", md5(b"")),
                                               ("bad base64", "QUJDR", "2.26.19.0", md5(b"ABC"))):
            self.update(host, content, version, digest)
            self.assertEqual(md5(read(self.installed)), md5(self.build), name)
        self.assert_installed(self.build, VERSION)

    def test_an_update_near_the_message_limit(self):
        # 45 MiB: with base64 and JSON just under the browser's 64 MiB.
        content = os.urandom(45 * 1024 * 1024)
        host = self.start_host()
        before = peak_resident_mib(host.proc.pid)
        self.update(host, b64(content), "2.26.19.0", md5(content), timeout=300)
        print("\nhost peak resident memory: %.0f MiB started, %.0f MiB after the update" %
              (before, peak_resident_mib(host.proc.pid)))
        self.assert_installed(content, "2.26.19.0")


if __name__ == "__main__":
    unittest.main()
