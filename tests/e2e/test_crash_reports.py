"""End to end: a crash of the host leaves a dump, even after a component of
the process set an exception filter of its own."""

import os
import subprocess
import unittest

from host_process import WAIT, WINE
from test_frames import JournalTestCase, page, setUpModule  # noqa: F401


def unix_path(windows_path):
    return subprocess.run([WINE, "winepath", "-u", windows_path], stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=WAIT, check=True).stdout.decode().strip()


class CrashReportTest(JournalTestCase):
    def test_a_fault_after_a_foreign_filter_still_writes_the_dump(self):
        self.server.add_page("/crash", page("Crash", "<!--standin:crash-->"))
        self.create("/crash", title=None)
        self.host.wait_exit(timeout=90)  # Wine takes long over the dump
        records = [line["record"] for line in self.journal.lines()]
        self.assertIn("crash", records)
        self.assertNotIn("foreign_filter", records)
        saved = [line[len("SaveDump "):] for line in self.log_lines()
                 if line.startswith("SaveDump ")]
        self.assertEqual(len(saved), 1, self.log_lines())
        self.assertRegex(saved[0], r"\\tabbridge\\tabbridge_\d{12}_\d{5}_[0-9a-f]+\.dump$")
        path = unix_path(saved[0])
        self.addCleanup(os.remove, path)
        self.assertGreater(os.path.getsize(path), 0)


if __name__ == "__main__":
    unittest.main()
