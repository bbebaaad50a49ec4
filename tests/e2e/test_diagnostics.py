"""End to end: `tabbridge.exe /diagnose` on the Wine prefix's installation."""

import json
import os
import subprocess
import unittest

from host_process import EXTENSION_ORIGIN, WAIT, WINE, reg
from installation import HOST_KEY
from test_installer import VERSION, InstallerTestCase


class DiagnoseTest(InstallerTestCase):
    def diagnose(self):
        """Exit code, problem lines and the report written to a pipe."""
        proc = subprocess.run([WINE, self.exe, "/diagnose"], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=WAIT * 3)
        report = proc.stdout.decode("utf-8")
        problems = [line for line in report.splitlines() if line.startswith("PROBLEM")]
        self.assertEqual(len(problems), proc.returncode, report)
        return proc.returncode, problems, report

    def test_reports_not_installed_until_the_installer_ran(self):
        code, _, report = self.diagnose()
        self.assertIn("PROBLEM  Installed copy: not installed", report)
        self.assertTrue(report.endswith("\r\n%d problems found.\r\n" % code), report)
        self.run_installer()
        code, _, report = self.diagnose()
        self.assertEqual(code, 0, report)
        self.assertTrue(report.endswith("\r\nNo problems found.\r\n"), report)

    def test_each_fault_has_its_own_finding(self):
        self.run_installer()

        def write_manifest(text):
            with open(self.manifest, "w") as f:
                f.write(text)

        faults = [
            ("no version", lambda: reg("delete", HOST_KEY, "/v", "version"),
             'the value "version" of HKCU\\'),
            ("wrong path", lambda: write_manifest(json.dumps(
                {"path": "C:\\nowhere\\tabbridge.exe", "allowed_origins": [EXTENSION_ORIGIN]})),
             '"path" names C:\\nowhere\\tabbridge.exe, which does not exist'),
            ("unparsable", lambda: write_manifest("{"), "is not valid JSON"),
        ]
        for name, fault, finding in faults:
            with self.subTest(name):
                fault()
                _, problems, _ = self.diagnose()
                self.assertIn(finding, "\n".join(problems))
                reg("add", HOST_KEY, "/v", "version", "/d", VERSION)

    def test_without_an_output_it_saves_the_report_and_shows_where(self):
        proc = subprocess.Popen([WINE, self.exe, "/diagnose"], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        box = self.boxes.close_box("TabBridge diagnostics")
        self.assertGreater(proc.wait(timeout=WAIT), 0)
        self.assertTrue(box["text"].endswith("\\log\\diagnostics.txt"), box["text"])
        with open(os.path.join(self.dir, "log", "diagnostics.txt"), encoding="utf-8-sig") as f:
            self.assertIn("PROBLEM  Installed copy: not installed", f.read())


if __name__ == "__main__":
    unittest.main()
