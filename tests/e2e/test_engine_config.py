"""End to end: what start-up sets up in the real tabbridge.exe before the
engine comes, seen by a library loaded as the engine is."""

import os
import sys
import unittest

from host_process import HostTestCase, SETTINGS_KEY, reg

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                                "stand_in_engine"))
from register import StandInEngine, windows_path  # noqa: E402

FEATURE_CONTROL_KEY = SETTINGS_KEY + r"\Main\FeatureControl"


class EngineLibraryTest(HostTestCase):
    def test_writes_nothing_to_the_channel_and_reads_the_programs_feature_controls(self):
        reg("delete", FEATURE_CONTROL_KEY)
        self.addCleanup(reg, "delete", FEATURE_CONTROL_KEY)
        probe = os.path.join(self.dir, "probe.txt")
        # The outside-caller library in the WebBrowser control's place.
        with StandInEngine(os.environ["TB_OUTSIDE_CALLER_DLL"]):
            host = self.start(env=dict(os.environ, TB_PROBE_RESULT=windows_path(probe)))
            host.send({"action": "host_set_emulation", "mode": 8888, "session_id": 1})
            host.send({"action": "host_create", "session_id": 2, "width": 800, "height": 600,
                       "port": "p", "title": "t", "url": "about:blank"})
            self.assertEqual([host.read()["session_id"] for _ in range(2)], [1, 2])
            self.wait_until(lambda: os.path.exists(probe) and os.path.getsize(probe),
                            "the library was not loaded")
        with open(probe) as f:
            pipes, written, emulation, option_answered = map(int, f.readline().split())
        self.assertGreaterEqual(pipes, 2)  # the channel's input and output at least
        self.assertEqual((written, emulation, option_answered), (0, 8888, 1))
        host.send({"action": "host_ping", "session_id": 9})
        self.assertEqual(host.read()["session_id"], 9)
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        self.assertIsNone(host.read_text())


if __name__ == "__main__":
    unittest.main()
