"""End to end: installer mode and "host_update" of the real tabbridge.exe
under Wine, against the prefix's own profile folder and registry."""

import base64
import hashlib
import json
import os
import re
import shutil
import tempfile
import time
import unittest

from host_process import WAIT, HostProcess, HostTestCase, reg
from installation import HOST_KEY, host_key_values, local_app_data
from stand_in_browser import StandInBrowser

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

    def setUp(self):
        super().setUp()
        self.uninstall()
        self.addCleanup(self.uninstall)

    def uninstall(self):
        reg("delete", HOST_KEY)
        shutil.rmtree(self.folder, ignore_errors=True)
        if os.path.isfile(self.folder):
            os.remove(self.folder)

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


class InstallerTest(InstallerTestCase):
    def test_fresh_install_writes_what_the_browser_needs(self):
        # No origin, and a developer-tools start without a window, both install.
        for args in ((), ("/devtools", "/p:1234")):
            with self.subTest(args=args):
                self.uninstall()
                self.assertEqual(self.run_installer(args=args), SUCCESS)
        self.assert_installed(self.build, VERSION)
        text = read(self.manifest).decode("utf-8")
        manifest = json.loads(text)
        self.assertEqual(list(manifest), ["name", "description", "path", "type",
                                          "allowed_origins"])
        exe_path = self.app_data + "\\tabbridge\\tabbridge.exe"
        self.assertIn(json.dumps(exe_path), text)  # backslashes escaped
        # What the browser checks: a lowercase dotted name, an absolute path,
        # stdio, and origins that end in "/".
        self.assertRegex(manifest["name"], r"^[a-z0-9_]+(\.[a-z0-9_]+)*$")
        self.assertEqual(manifest, {
            "name": "com.tabbridge.helper", "description": "tabbridge", "path": exe_path,
            "type": "stdio",
            "allowed_origins": ["chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"]})
        values = host_key_values()
        self.assertEqual(values[""], ("REG_SZ", self.app_data + "\\tabbridge\\"
                                      "com.tabbridge.helper.json"))
        self.assertEqual(values["extension_id"], ("REG_SZ", "kccfkjohlmdimceejcjdedpnnbkcnpbb"))
        self.assertEqual(values["last_update_time"][0], "REG_DWORD")
        self.assertLess(abs(int(values["last_update_time"][1], 16) - time.time()), 600)

    def test_second_run_copies_nothing(self):
        self.run_installer()
        os.utime(self.installed, (1e9, 1e9))
        self.assertEqual(self.run_installer(), SUCCESS)
        self.assertEqual(os.stat(self.installed).st_mtime, 1e9)

    def test_newer_build_replaces_the_copy_and_an_older_one_changes_nothing(self):
        self.run_installer()
        newer = self.exe_of_version("2.26.21.0")
        self.assertEqual(self.run_installer(newer), SUCCESS)
        self.assert_installed(read(newer), "2.26.21.0")
        self.assertEqual(self.run_installer(), SUCCESS)
        self.assert_installed(read(newer), "2.26.21.0")

    def test_a_broken_registration_installs_again(self):
        for name, break_it in (
                ("empty host key", lambda: (reg("delete", HOST_KEY), reg("add", HOST_KEY))),
                ("manifest names a missing file", lambda: os.remove(self.installed))):
            with self.subTest(name):
                self.run_installer()
                break_it()
                self.assertEqual(self.run_installer(), SUCCESS)
                self.assert_installed(self.build, VERSION)
                self.assertIn("", host_key_values())

    def test_a_failing_step_shows_its_code(self):
        os.makedirs(os.path.dirname(self.folder), exist_ok=True)
        with open(self.folder, "wb"):  # a file where the folder should be
            pass
        self.assertEqual(self.run_installer(),
                         ("Install Error!", "Sorry, the installation failed with error code: 1"))
        self.assertIsNone(host_key_values().get(""))

    def test_running_copy_is_set_aside_and_removed_at_the_next_start(self):
        self.run_installer()
        os.makedirs(os.path.join(self.folder, "log"), exist_ok=True)
        kept = os.path.join(self.folder, "log", "tabbridge.exe123")
        with open(kept, "wb") as f:
            f.write(b"log")
        running = self.start_host(self.installed)
        newer = self.exe_of_version("2.26.21.0")
        self.assertEqual(self.run_installer(newer), SUCCESS)
        self.assert_installed(read(newer), "2.26.21.0")
        self.assertEqual(len(side_names(self.folder)), 1)
        running.close_input()
        self.assertEqual(running.wait_exit(), 1)
        self.start_host(self.exe)  # any host start cleans up
        self.assertEqual(side_names(self.folder), [])
        self.assertTrue(os.path.exists(kept))

    def start_host(self, exe):
        """A host in extension mode that has finished starting up."""
        host = HostProcess(exe)
        self.hosts.append(host)
        host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(host.read()["session_id"], 1)
        return host


def peak_resident_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmHWM:\s+(\d+) kB", f.read()).group(1)) / 1024


class HostUpdateTest(InstallerTestCase):
    def update(self, content_b64, version, digest, timeout=WAIT):
        """Sends "host_update"; returns the host's peak resident MiB before and after."""
        host = self.start()
        host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(host.read()["session_id"], 1)
        before = peak_resident_mib(host.proc.pid)
        host.send({"action": "host_update", "session_id": 3, "file_content": content_b64,
                   "version": version, "md5": digest})
        self.assertEqual(host.read(timeout)["ret"], "-1")
        after = peak_resident_mib(host.proc.pid)
        host.close_input()
        self.assertEqual(host.wait_exit(timeout), 1)
        return before, after

    def test_older_version_with_its_md5_replaces_the_copy_and_installs_first(self):
        older = with_version(self.build, "2.26.19.0")
        self.update(base64.b64encode(older).decode(), "2.26.19.0", md5(older).upper())
        self.assert_installed(older, "2.26.19.0")
        self.assertTrue(os.path.isfile(self.manifest))

    def test_refused_updates_change_nothing(self):
        self.run_installer()
        older = with_version(self.build, "2.26.19.0")
        good = base64.b64encode(older).decode()
        for name, content, version, digest in (
                ("own version", good, VERSION, md5(older)),
                ("wrong md5", good, "2.26.19.0", md5(self.build)),
                ("length not a multiple of 4", "QUJDR", "2.26.19.0", md5(b"ABC")),
                ("outside the alphabet", "QU*D", "2.26.19.0", md5(b"A\x04\x03"))):
            with self.subTest(name):
                self.update(content, version, digest)
                self.assert_installed(self.build, VERSION)

    def test_update_near_the_message_limit(self):
        # About 45 MB decoded: with base64 and JSON about 60 MB, under the
        # browser's 64 MiB limit.
        content = os.urandom(45 * 1024 * 1024)
        encoded = base64.b64encode(content).decode()
        before, after = self.update(encoded, "2.26.19.0", md5(content), timeout=300)
        self.assert_installed(content, "2.26.19.0")
        print("\nhost peak resident memory: %.0f MiB started, %.0f MiB after a %d-byte update" %
              (before, after, len(encoded)))


if __name__ == "__main__":
    unittest.main()
