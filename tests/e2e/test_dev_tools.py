"""End to end: F12 in a frame starts the developer tools' copy of the host,
which finds no tools library under Wine and ends."""

import re
import unittest

from test_frames import JournalTestCase, page, setUpModule  # noqa: F401

F12 = '<!--standin:key vk="123"-->'


class DevToolsTest(JournalTestCase):
    def press_f12_twice(self, **extra):
        self.server.add_page("/p", page("P", F12 * 2))
        self.create("/p", "P", **extra)
        self.wait_until(lambda: len(self.journal.records("key")) == 2, "no key presses")
        self.ping()  # the presses came before it
        return int(self.journal.records("key")[0]["window"])

    def test_f12_starts_the_tools_copy_for_the_page_and_reuses_the_site(self):
        window = self.press_f12_twice()
        self.wait_until(lambda: sum(line.startswith("AttachTools") for line in self.log_lines())
                        == 2, "no tools copies")
        text = open("%s/log/tabbridge.exe.log" % self.dir, "rb").read().decode()
        host_pid = re.search(r"\[(\d+) *\|[^\]]*\] OpenDevTools new site FrameId 1", text)[1]
        self.assertEqual(re.findall(r"\] (AttachTools .*)\r\n", text),
                         ["AttachTools p:%s h:%d FAILED" % (host_pid, window)] * 2)
        self.assertEqual(self.log_lines().count("OpenDevTools new site FrameId 1"), 1)

    def test_f12_does_nothing_when_the_frame_forbids_it(self):
        self.press_f12_twice(f12=False)
        self.assertFalse([line for line in self.log_lines() if "DevTools" in line])


if __name__ == "__main__":
    unittest.main()
