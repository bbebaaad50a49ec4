"""End to end: "host_update" of the real tabbridge.exe under Wine, against the
prefix's own profile folder and registry."""

import base64
import os
import re
import unittest

from host_process import WAIT
from installation import VERSION, InstallerTestCase, md5, with_version


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
