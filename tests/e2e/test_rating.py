"""End to end: the rating prompt of the real tabbridge.exe, shown by itself
when enough pages have completed and a frame closes, answered with real
pointer input."""

import os
import subprocess
import unittest

import real_input
from host_process import SETTINGS_KEY, WAIT, reg
from test_frames import FrameTestCase, page, setUpModule  # noqa: F401

MARGIN = 17  # SM_CXHSCROLL at 96 DPI


def visible_windows(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                           capture_output=True, text=True, timeout=WAIT)
    return found.stdout.split()


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                         capture_output=True, text=True, check=True, timeout=WAIT).stdout
    values = dict(line.split("=") for line in out.split())
    return {k: int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")}


def display_size():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True,
                         check=True, timeout=WAIT).stdout
    return [int(v) for v in out.split()]


class RatingPromptTest(FrameTestCase):
    def setUp(self):
        super().setUp()
        for value in ("review_open_count", "reviews", "reviews_timestamp"):
            self.addCleanup(reg, "delete", SETTINGS_KEY, "/v", value)
        self.server.add_page("/p", page("P"))

    def set_counters(self, **values):
        for name, value in values.items():
            reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value))

    def close(self, frame_id):
        self.host.send({"action": "host_close", "frame_id": frame_id, "session_id": -1})
        self.ping()  # the frame is gone and the manager has decided

    def test_prompt_comes_beside_the_taskbar_once_due_and_five_stars_open_the_review_page(self):
        self.create("/p")
        self.create("/p")
        self.set_counters(review_open_count=9, reviews=0)
        self.close(1)
        self.assertFalse([line for line in self.log_lines() if "ShowReviewDialog" in line])

        self.create("/p")  # one more completed page: the prompt is due
        self.assertIn("NotifyDocumentComplete FrameId 3 ReviewOpenCount 10", self.log_lines())
        self.close(3)
        self.assertIn("ShowReviewDialog FrameId 2", self.log_lines())
        self.wait_until(lambda: visible_windows("^TabBridge$"), "no rating prompt")
        (window,) = visible_windows("^TabBridge$")
        box = geometry(window)
        width, height = display_size()
        self.assertEqual((box["WIDTH"], box["HEIGHT"]), (430, 595))
        self.assertEqual(box["X"] + box["WIDTH"], width - MARGIN)
        self.assertEqual(box["Y"] + box["HEIGHT"], height - 11)

        # The fifth star sits 176 pixels into the 216-pixel row, centred
        # 336 pixels down; "Rate Now" centred 450 pixels down.
        left = box["X"] + (430 - 216) // 2
        real_input.click(left + 176 + 18, box["Y"] + 336)
        real_input.click(box["X"] + 215, box["Y"] + 450)
        self.assertEqual(self.next_message("client_new_tab"), {
            "action": "client_new_tab", "url": os.environ["TB_REVIEW_PAGE"], "frame_id": 2,
            "port": "port-7", "force_ie": False})
        self.wait_until(lambda: not visible_windows("^TabBridge$"), "the prompt stays")


if __name__ == "__main__":
    unittest.main()
