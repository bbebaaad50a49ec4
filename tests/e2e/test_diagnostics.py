"""End to end: `tabbridge.exe /diagnose` on the Wine prefix's installation."""

import json
import os
import shutil
import subprocess
import unittest

from host_process import HostTestCase, WAIT, WINE, reg
from message_box import MessageBoxReader

HOST_KEY = r"HKCU\Software\Google\Chrome\NativeMessagingHosts\com.tabbridge.helper"
ORIGIN = "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"


def local_app_data():
    """The user's local application data folder: Windows path, Linux path."""
    out = subprocess.run([WINE, "cmd", "/c", "echo", "%LOCALAPPDATA%"], stdin=subprocess.DEVNULL,
                         capture_output=True, timeout=WAIT, check=True).stdout
    windows = out.decode().strip()
    drive, rest = windows.split(":", 1)
    return windows, os.path.join(os.environ["WINEPREFIX"], "drive_%s" % drive.lower(),
                                 *rest.strip("\\").split("\\"))


class DiagnoseTest(HostTestCase):
    @classmethod
    def setUpClass(cls):
        windows, linux = local_app_data()
        cls.install_win, cls.install = windows + "\\tabbridge", os.path.join(linux, "tabbridge")

    def setUp(self):
        super().setUp()
        self.forget_installation()
        self.addCleanup(self.forget_installation)

    def forget_installation(self):
        reg("delete", HOST_KEY)
        shutil.rmtree(self.install, ignore_errors=True)

    def diagnose(self, stdout=subprocess.PIPE):
        proc = subprocess.run([WINE, self.exe, "/diagnose"], stdin=subprocess.DEVNULL,
                              stdout=stdout, stderr=subprocess.DEVNULL, timeout=WAIT * 3)
        return proc.returncode, (proc.stdout or b"").decode("utf-8")

    def problems(self, report):
        return [line for line in report.splitlines() if line.startswith("PROBLEM")]

    # What the installer leaves, written by hand.
    def install_by_hand(self, manifest=None):
        os.makedirs(self.install)
        shutil.copy(self.exe, os.path.join(self.install, "tabbridge.exe"))
        manifest_win = self.install_win + "\\com.tabbridge.helper.json"
        with open(os.path.join(self.install, "com.tabbridge.helper.json"), "w") as f:
            f.write(manifest if manifest is not None else json.dumps(
                {"name": "com.tabbridge.helper", "description": "tabbridge",
                 "path": self.install_win + "\\tabbridge.exe", "type": "stdio",
                 "allowed_origins": [ORIGIN]}))
        reg("add", HOST_KEY, "/ve", "/d", manifest_win)
        reg("add", HOST_KEY, "/v", "extension_id", "/d", "kccfkjohlmdimceejcjdedpnnbkcnpbb")
        reg("add", HOST_KEY, "/v", "version", "/d", "2.26.20.0")

    def test_fresh_prefix_is_not_installed(self):
        code, report = self.diagnose()
        self.assertIn("PROBLEM  Installed copy: not installed", report)
        self.assertGreater(code, 0)
        self.assertEqual(len(self.problems(report)), code)
        self.assertTrue(report.endswith("%d problems found.\r\n" % code), report)

    def test_each_fault_has_its_own_finding(self):
        self.install_by_hand()
        code, report = self.diagnose()
        self.assertEqual((code, self.problems(report)), (0, []), report)
        self.assertTrue(report.endswith("No problems found.\r\n"), report)
        faults = [
            ("wrong path", lambda: self.install_by_hand(json.dumps(
                {"path": "C:\\nowhere\\tabbridge.exe", "allowed_origins": [ORIGIN]})),
             '"path" names C:\\nowhere\\tabbridge.exe, which does not exist'),
            ("no version", lambda: (self.install_by_hand(),
                                    reg("delete", HOST_KEY, "/v", "version")),
             'the value "version" of HKCU\\'),
            ("unparsable", lambda: self.install_by_hand("{"), "is not valid JSON"),
        ]
        for name, make, finding in faults:
            with self.subTest(name):
                self.forget_installation()
                make()
                code, report = self.diagnose()
                self.assertIn(finding, "\n".join(self.problems(report)))
                self.assertGreater(code, 0)

    def test_without_output_it_saves_the_report_and_shows_where(self):
        box = MessageBoxReader("TabBridge diagnostics")
        code, _ = self.diagnose(stdout=subprocess.DEVNULL)
        saved = os.path.join(self.dir, "log", "diagnostics.txt")
        text = box.text()
        self.assertIsNotNone(text, "no message box")
        self.assertTrue(text.endswith("\\log\\diagnostics.txt"), text)
        with open(saved, encoding="utf-8-sig") as f:
            self.assertIn("PROBLEM  Installed copy: not installed", f.read())
        self.assertGreater(code, 0)


if __name__ == "__main__":
    unittest.main()
