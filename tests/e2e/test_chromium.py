"""End to end through a real browser: headless Chromium starts tabbridge.exe
under Wine for our test extension, through the browser's own native
messaging, framing and limits."""

import unittest

from chromium_browser import CHROMIUM, HOST_NAME, play
from host_process import HostTestCase
from loopback_server import LoopbackServer
from test_frames import page, setUpModule as register_stand_in_engine

# The browser drops the connection of a host that sends a longer message.
BROWSER_LIMIT = 1024 * 1024
# client_before_navigate as the host prints it, without its URL.
NOTICE = '{\n\t"action":\t"client_before_navigate",\n\t"main_frame":\ttrue,\n\t"url":\t"",\n' \
         '\t"frame_id":\t1\n}'


def setUpModule():
    if not CHROMIUM:
        raise unittest.SkipTest("chromium is not installed; scripts/setup.sh installs it")
    register_stand_in_engine()


class ChromiumTest(HostTestCase):
    def setUp(self):
        super().setUp()
        self.server = LoopbackServer()
        self.addCleanup(self.server.close)
        self.server.add_page("/p", page("Chromium Frame"))

    def play(self, case, **config):
        return play(self.server, dict(config, case=case, host=HOST_NAME,
                                      page=self.server.url("/p")), {HOST_NAME: self.exe})

    def test_replies_up_to_the_limit_arrive_whole_and_longer_ones_never_leave(self):
        # The extension navigates to URLs of these lengths, waits for the
        # last one's notice, then pings; a reply over the limit would have
        # ended the connection.
        under, over = (BROWSER_LIMIT + d - len(NOTICE) for d in (-1, 1))
        seen = self.play("limits", url_lengths=[under, over, 200])
        self.assertEqual(seen[-1].get("session_id"), 2, seen[-1])
        long_urls = [m["url"] for m in seen
                     if m.get("action") == "client_before_navigate" and isinstance(m["url"], int)]
        self.assertEqual(long_urls, [under, 200])

    def test_a_burst_of_a_thousand_requests_is_answered_in_order(self):
        self.assertEqual(self.play("burst", count=1000)["session_ids"], list(range(1000)))

    def test_a_frame_is_created_titled_and_closed_by_the_extension(self):
        self.log_everything()
        seen = self.play("frames")
        self.assertEqual((seen[0]["session_id"], seen[0]["ret"]), (1, "1"))
        self.assertIn({"action": "client_title_change", "title": "Chromium Frame", "frame_id": 1},
                      seen)
        self.assertIn("disconnected", seen[-1])
        self.assertIn("Frame Count Is 0, QuitMessageLoop", self.log_lines())


if __name__ == "__main__":
    unittest.main()
