"""End to end: frames closed inside a page's modal loop, on the stand-in
engine."""

import os
import re
import unittest

from test_frames import FrameTestCase, page, setUpModule  # noqa: F401
from register import Journal


class ModalLoopTest(FrameTestCase):
    """A page's prompt is a modal loop that goes on dispatching requests.
    A frame closed inside it must end only once the loop and the handlers
    under it are done. Wine's heap checking reports any touch of the freed
    frame; the window procedure's fault guard would hide a crash."""

    def test_frames_closed_inside_a_prompt(self):
        self.server.add_page("/p", page("P", "<!--standin:prompt-->"))
        leave = {"action": "host_navigate", "url": self.server.url("/p")}
        close = {"action": "host_close", "frame_id": 1, "session_id": 2}
        for run, (trigger, end) in enumerate(((leave, close), (leave, None),
                                              ({"action": "host_print"}, close))):
            with self.subTest(trigger=trigger, end=end):
                self.host.kill()
                errors_path = os.path.join(self.dir, "stderr%d.txt" % run)
                with Journal() as journal, open(errors_path, "wb") as errors:
                    # Checks the whole heap at every call; complaints come as err or warn.
                    self.host = self.start(stderr=errors,
                                           env=dict(os.environ, WINEDEBUG="+heap"))
                    self.create("/p")
                    self.host.send(dict(trigger, frame_id=1))
                    self.wait_until(lambda: journal.records("prompt"), "no prompt")
                    if end:
                        self.host.send(end)
                    else:
                        self.host.close_input()
                    self.assertEqual(self.host.wait_exit(), 1)
                with open(errors_path, "rb") as f:
                    self.assertEqual([l for l in f.read().decode("utf-8", "replace").splitlines()
                                      if re.search(r"(^|:)(err|warn):heap:", l)], [])
                self.assertEqual(self.log_lines().count("ProcessFrameDestroy FrameId 1"), run + 1)


if __name__ == "__main__":
    unittest.main()
