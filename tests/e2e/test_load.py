"""Load: many frames, long bursts and many create/close cycles through one
host. Nothing is lost or answered out of order, nothing hangs, and memory
comes back."""

import sys
import threading
import time
import unittest

from host_process import frame
from test_extension_channel import answer, pings
from test_frames import FrameTestCase, page, setUpModule  # noqa: F401


def resident_private_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        return next(int(line.split()[1]) for line in status if line.startswith("RssAnon:"))


class LoadTest(FrameTestCase):
    def setUp(self):
        super().setUp()
        self.server.add_page("/p", page("P"))

    def create_request(self, session_id):
        return {"action": "host_create", "session_id": session_id, "width": 984, "height": 600,
                "port": "p", "title": "t", "url": self.server.url("/p")}

    def answer_to(self, session_id):
        """The answer to `session_id`, past the notices that come before it."""
        while True:
            message = self.host.read()
            self.assertIsNotNone(message, "host ended")
            if message.get("session_id") == session_id:
                return message

    def test_fifty_frames_at_once(self):
        for session_id in range(50):
            self.host.send(self.create_request(session_id))
        frames, titled = set(), set()
        while len(frames) < 50 or len(titled) < 50:
            message = self.host.read()
            self.assertIsNotNone(message, "host ended")
            if message["action"] == "client_common_response":
                frames.add(int(message["ret"]))
            elif message["action"] == "client_title_change":
                titled.add(message["frame_id"])
        self.assertEqual(frames, set(range(1, 51)))
        for frame_id in frames:
            self.host.send({"action": "host_close", "frame_id": frame_id, "session_id": 0})
        self.assertEqual(self.host.wait_exit(timeout=120), 1)

    def test_a_hundred_thousand_requests_are_answered_in_order(self):
        count = 100000
        writer = threading.Thread(target=self.host.write, args=(pings(count),), daemon=True)
        started = time.monotonic()
        writer.start()
        for session_id in range(count):
            self.assertEqual(self.host.read_text(), answer(session_id, "-1"))
        print("%d requests: %.0f per second" % (count, count / (time.monotonic() - started)),
              file=sys.stderr)

    def test_end_of_input_inside_a_burst_of_creates_and_closes(self):
        # Each close follows the next create, so a frame stays open throughout.
        burst = frame(self.create_request(0))
        for frame_id in range(1, 30):
            burst += frame(self.create_request(frame_id))
            burst += frame({"action": "host_close", "frame_id": frame_id, "session_id": 0})
        self.host.write(burst[:len(burst) * 2 // 3])
        self.host.close_input()
        self.assertEqual(self.host.wait_exit(timeout=120), 1)
        self.assertFalse([line for line in self.log_lines() if line.startswith("SaveDump")])

    def test_memory_comes_back_after_a_thousand_create_close_cycles(self):
        self.host.send(self.create_request(0))  # keeps the process alive
        self.answer_to(0)
        measured = {}
        for cycle in range(1, 1001):
            self.host.send(self.create_request(cycle))
            frame_id = int(self.answer_to(cycle)["ret"])
            self.host.send({"action": "host_close", "frame_id": frame_id, "session_id": cycle})
            if cycle in (100, 1000):
                self.host.send({"action": "host_ping", "session_id": -7})
                self.answer_to(-7)
                measured[cycle] = resident_private_kib(self.host.proc.pid)
        print("private memory after 100 cycles: %d KiB, after 1000: %d KiB" %
              (measured[100], measured[1000]), file=sys.stderr)
        # About 10 KiB per frame left behind would pass 9 MiB.
        self.assertLess(measured[1000] - measured[100], 9 * 1024)


if __name__ == "__main__":
    unittest.main()
