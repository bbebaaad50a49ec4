"""End to end: installer mode of the real tabbridge.exe under Wine, against
the prefix's own profile folder and registry: fresh installs and reruns."""

import json
import os
import time
import unittest

from installation import SUCCESS, VERSION, InstallerTestCase, host_key_values, read


class InstallerTest(InstallerTestCase):
    def test_fresh_install_writes_what_the_browser_needs(self):
        self.assertEqual(self.run_installer(), SUCCESS)
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

    def test_same_build_copies_nothing_newer_replaces_older_changes_nothing(self):
        self.run_installer()
        os.utime(self.installed, (1e9, 1e9))
        # A developer-tools start without a window is installer mode too.
        self.assertEqual(self.run_installer(args=("/devtools", "/p:1234")), SUCCESS)
        self.assertEqual(os.stat(self.installed).st_mtime, 1e9)
        newer = self.exe_of_version("2.26.21.0")
        self.assertEqual(self.run_installer(newer), SUCCESS)
        self.assert_installed(read(newer), "2.26.21.0")
        self.assertEqual(self.run_installer(), SUCCESS)
        self.assert_installed(read(newer), "2.26.21.0")


if __name__ == "__main__":
    unittest.main()
