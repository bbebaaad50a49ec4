# End to end: the rating prompt of the real tabbridge.exe, shown by itself
# once enough pages have completed and a frame closes, answered with real
# pointer input.

import os
import subprocess

import real_input
from host_process import SETTINGS_KEY, WAIT, reg
from test_frames import FrameTestCase, page, setUpModule  # noqa: F401


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True,
                          timeout=WAIT).stdout.split()


class RatingPromptTest(FrameTestCase):
    def test_prompt_comes_beside_the_taskbar_once_due_and_five_stars_open_the_review_page(self):
        self.server.add_page("/p", page("P"))
        for _ in range(2):
            self.create("/p")
        for name, value in (("review_open_count", 9), ("reviews", 0), ("reviews_timestamp", 0)):
            self.addCleanup(reg, "delete", SETTINGS_KEY, "/v", name)
            reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        self.close(1)
        self.assertFalse([line for line in self.log_lines() if "ShowReviewDialog" in line])

        self.create("/p")  # one more completed page: the prompt is due
        self.close(3)
        self.assertIn("ShowReviewDialog FrameId 2", self.log_lines())
        # Without a taskbar: above the screen's bottom right corner.
        box = {k: int(v) for k, v in (item.split("=") for item in xdotool(
            "search", "--sync", "--onlyvisible", "--name", "^TabBridge$", "getwindowgeometry",
            "--shell", "%1"))}
        screen_width, screen_height = map(int, xdotool("getdisplaygeometry"))
        self.assertEqual((box["X"] + box["WIDTH"], box["Y"] + box["HEIGHT"], box["WIDTH"]),
                         (screen_width - 17, screen_height - 11, 430))

        # The fifth star's centre is 301 pixels from the dialog's left and
        # 334 down; "Rate Now" is in the middle, 450 down.
        real_input.click(box["X"] + 301, box["Y"] + 334)
        real_input.click(box["X"] + 215, box["Y"] + 450)
        self.assertEqual(self.next_message("client_new_tab"), {
            "action": "client_new_tab", "url": os.environ["TB_REVIEW_PAGE"], "frame_id": 2,
            "port": "port-7", "force_ie": False})

    def close(self, frame_id):
        self.host.send({"action": "host_close", "frame_id": frame_id, "session_id": -1})
        self.ping()  # the frame is gone and the manager has decided
