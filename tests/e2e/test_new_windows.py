"""End to end: windows that pages open, on the stand-in engine."""

import os
import unittest
import urllib.parse

from test_frames import JournalTestCase, page, setUpModule  # noqa: F401


class NewWindowTest(JournalTestCase):
    def open_from(self, marker, cookie=None):
        """Loads a page whose action is `marker`; the opener's frame id."""
        self.server.add_page("/opener", page("Opener", marker))
        extra = {"cookie": cookie} if cookie else {}
        return self.create("/opener", title=None, **extra)

    def test_a_pop_up_gets_a_frame_of_its_own(self):
        self.server.add_page("/popup", page("Popup"))
        opener = self.open_from('<!--standin:open url="/popup" name="w" features="width=200" '
                                'user-action="1" flags="0x40006"-->',
                                cookie=urllib.parse.quote("seen=1\n#httponly#hidden=2; HttpOnly"))
        message = self.next_message("client_new_window")
        self.assertEqual(message, {"action": "client_new_window", "url": self.server.url("/popup"),
                                   "popup": True, "cookie": "seen=1", "features": "width=200",
                                   "frame_id": opener, "new_frame_id": opener + 1,
                                   "port": "port-7"})
        title = self.next_message("client_title_change")
        self.assertEqual(title, {"action": "client_title_change", "title": "Popup",
                                 "frame_id": opener + 1})

    def test_without_a_browser_for_the_window_the_url_goes_to_a_new_tab(self):
        self.host.kill()
        self.host = self.start(env=dict(os.environ, STAND_IN_ENGINE_BROWSERS="1"))
        self.server.add_page("/popup", page("Popup"))
        opener = self.open_from('<!--standin:open url="/popup"-->')
        message = self.next_message("client_new_tab")
        self.assertEqual(message, {"action": "client_new_tab", "url": self.server.url("/popup"),
                                   "frame_id": opener, "port": "port-7", "force_ie": True})
        self.wait_until(lambda: self.journal.records("new_window"), "no new window")
        self.assertEqual(self.journal.records("new_window")[0]["outcome"], "cancelled")
        # The frame made for the window went again.
        text = "ProcessFrameDestroy FrameId %d" % (opener + 1)
        self.wait_until(lambda: text in self.log_lines(), text)


if __name__ == "__main__":
    unittest.main()
