"""End to end: installer mode of the real tabbridge.exe under Wine, against
the prefix's own profile folder and registry."""

import json
import os
import time
import unittest

from host_process import HostProcess, reg
from installation import (HOST_KEY, SUCCESS, VERSION, InstallerTestCase, host_key_values, read,
                          side_names)


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

    def start_host(self, exe):
        """A host in extension mode that has finished starting up."""
        host = HostProcess(exe)
        self.hosts.append(host)
        host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(host.read()["session_id"], 1)
        return host


if __name__ == "__main__":
    unittest.main()
