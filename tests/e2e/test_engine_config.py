"""End to end: what start-up sets up in the real tabbridge.exe before the
engine comes, seen by a library loaded as the engine is."""

import os
import sys
import unittest

from host_process import HostTestCase, SETTINGS_KEY, reg_delete

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                                "stand_in_engine"))
from register import StandInEngine, windows_path  # noqa: E402

FEATURE_CONTROL_KEY = SETTINGS_KEY + r"\Main\FeatureControl"


class EngineLibraryTest(HostTestCase):
    def test_writes_nothing_to_the_channel_and_reads_the_programs_feature_controls(self):
        reg_delete(FEATURE_CONTROL_KEY)
        self.addCleanup(reg_delete, FEATURE_CONTROL_KEY)
        probe = os.path.join(self.dir, "probe.txt")
        # The outside-caller library in the WebBrowser control's place.
        with StandInEngine(os.environ["TB_OUTSIDE_CALLER_DLL"]):
            host = self.start(env=dict(os.environ, TB_PROBE_RESULT=windows_path(probe)))
            for session_id, message in enumerate((
                    {"action": "host_set_emulation", "mode": 8888},
                    {"action": "host_create", "width": 800, "height": 600, "port": "p",
                     "title": "t", "url": "about:blank"})):
                host.send(dict(message, session_id=session_id))
                self.assertEqual(host.read()["session_id"], session_id)
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
