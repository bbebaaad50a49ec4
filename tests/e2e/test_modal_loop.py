"""End to end: frames closed inside a page's modal loop, on the stand-in
engine."""

import os
import re
import unittest

from test_frames import FrameTestCase, page, setUpModule, tearDownModule  # noqa: F401
from register import Journal


class ModalLoopTest(FrameTestCase):
    """A page's prompt is a modal loop that goes on dispatching requests.
    A frame closed inside it must end only once the loop and the handlers
    under it are done. Wine's heap checking reports any touch of the freed
    frame; the window procedure's fault guard would hide a crash."""

    def close_during_prompt(self, trigger, end):
        self.server.add_page("/p", page("P", "<!--standin:prompt-->"))
        self.host.kill()
        errors_path = os.path.join(self.dir, "stderr.txt")
        with Journal() as journal, open(errors_path, "wb") as errors:
            # Checks the whole heap at every call; complaints come as err or warn.
            self.host = self.start(stderr=errors, env=dict(os.environ, WINEDEBUG="+heap"))
            self.create("/p")
            self.host.send(dict(trigger, frame_id=1))
            self.wait_until(lambda: journal.records("prompt"), "no prompt")
            end()
            self.assertEqual(self.host.wait_exit(), 1)
        with open(errors_path, "rb") as f:
            heap_errors = [l for l in f.read().decode("utf-8", "replace").splitlines()
                           if re.search(r"(^|:)(err|warn):heap:", l)]
        self.assertEqual(heap_errors, [])
        self.assertIn("ProcessFrameDestroy FrameId 1", self.log_lines())

    def host_close(self):
        self.host.send({"action": "host_close", "frame_id": 1, "session_id": 2})

    def test_host_close_while_leaving_the_page(self):
        self.close_during_prompt({"action": "host_navigate", "url": self.server.url("/p")},
                                 self.host_close)

    def test_end_of_input_while_leaving_the_page(self):
        self.close_during_prompt({"action": "host_navigate", "url": self.server.url("/p")},
                                 lambda: self.host.close_input())

    def test_host_close_during_print_preview(self):
        self.close_during_prompt({"action": "host_print"}, self.host_close)


if __name__ == "__main__":
    unittest.main()
