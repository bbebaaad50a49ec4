"""End to end: `tabbridge.exe /diagnose` on the Wine prefix's installation."""

import os
import subprocess
import unittest

from host_process import WAIT, WINE
from test_installer import InstallerTestCase


class DiagnoseTest(InstallerTestCase):
    def diagnose(self):
        """Exit code and the report written to a pipe."""
        proc = subprocess.run([WINE, self.exe, "/diagnose"], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=WAIT * 3)
        report = proc.stdout.decode("utf-8")
        problems = sum(line.startswith("PROBLEM") for line in report.splitlines())
        self.assertEqual(problems, proc.returncode, report)
        return proc.returncode, report

    def test_reports_not_installed_until_the_installer_ran(self):
        code, report = self.diagnose()
        self.assertIn("PROBLEM  Installed copy: not installed", report)
        self.assertTrue(report.endswith("\r\n%d problems found.\r\n" % code), report)
        self.run_installer()
        code, report = self.diagnose()
        self.assertEqual(code, 0, report)
        self.assertTrue(report.endswith("\r\nNo problems found.\r\n"), report)

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
