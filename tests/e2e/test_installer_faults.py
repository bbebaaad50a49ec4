"""End to end: installer mode of the real tabbridge.exe under Wine when
something is in the way: a broken registration, a failing step, a running
installed copy."""

import json
import os
import unittest

from host_process import HostProcess, reg
from installation import (HOST_KEY, SUCCESS, InstallerTestCase, host_key_values, read,
                          side_names)


class InstallerFaultsTest(InstallerTestCase):
    def test_a_broken_registration_installs_again(self):
        def manifest_names_a_missing_file():
            with open(self.manifest, "w") as f:
                json.dump({"path": "C:\\nowhere\\tabbridge.exe"}, f)

        for name, break_it in (
                ("empty host key", lambda: (reg("delete", HOST_KEY), reg("add", HOST_KEY))),
                ("manifest names a missing file", manifest_names_a_missing_file)):
            with self.subTest(name):
                self.run_installer()
                break_it()
                self.assertEqual(self.run_installer(), SUCCESS)
                self.assertEqual(json.loads(read(self.manifest))["path"],
                                 self.app_data + "\\tabbridge\\tabbridge.exe")
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
        self.assertTrue(os.path.exists(self.installed))

    def start_host(self, exe):
        """A host in extension mode that has finished starting up."""
        host = HostProcess(exe)
        self.hosts.append(host)
        host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(host.read()["session_id"], 1)
        return host


if __name__ == "__main__":
    unittest.main()
