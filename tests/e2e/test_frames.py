"""End to end: frames of the real tabbridge.exe under Wine, with the stand-in
engine in the WebBrowser control's place and the stand-in browser window."""

import os
import sys
import unittest
import urllib.parse

from host_process import HostTestCase
from loopback_server import LoopbackServer
from stand_in_browser import StandInBrowser

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                                "stand_in_engine"))
from register import Journal, StandInEngine  # noqa: E402

BROWSER_TITLE = "Intranet Portal - Chrome"
LOAD_NOTICES = ("client_before_navigate", "client_title_change")


def setUpModule():
    unittest.addModuleCleanup(StandInEngine().__enter__().__exit__, None, None, None)


def page(title, body=""):
    return "<!DOCTYPE html><html><head><title>%s</title></head><body>%s</body></html>" % (
        title, body)


class FrameTestCase(HostTestCase):
    def setUp(self):
        super().setUp()
        self.log_everything()
        self.server = LoopbackServer()
        self.addCleanup(self.server.close)
        self.host = self.start()
        self.session = 100

    def ping(self):
        """Returns once all requests before it have been handled."""
        self.session += 1
        self.host.send({"action": "host_ping", "session_id": self.session})
        self.assertEqual(self.host.read()["session_id"], self.session)

    def create(self, path, title="P", **extra):
        """A frame showing the page at `path`, once its `title` came (unless
        None); its id. `extra`: further members of the request."""
        self.session += 1
        self.host.send(dict({"action": "host_create", "session_id": self.session, "width": 984,
                             "height": 600, "port": "port-7", "title": "tab",
                             "url": self.server.url(path)}, **extra))
        answer = self.host.read()
        self.assertEqual(answer["session_id"], self.session, answer)
        if title:
            self.wait_loaded(int(answer["ret"]), title)
        return int(answer["ret"])

    def next_message(self, action):
        """The next message with this action; fails on anything else first
        except the notices a page load produces on its own."""
        while True:
            message = self.host.read()
            self.assertIsNotNone(message, "host ended while waiting for %s" % action)
            if message["action"] == action:
                return message
            self.assertIn(message["action"], LOAD_NOTICES, message)

    def wait_loaded(self, frame_id, title):
        message = self.next_message("client_title_change")
        self.assertEqual(message, {"action": "client_title_change", "title": title,
                                   "frame_id": frame_id})
        self.drain()

    def drain(self):
        # What a page load still produces, until nothing comes for a while.
        seen = []
        while True:
            try:
                message = self.host.read(0.5)
            except AssertionError:
                return seen
            self.assertIn(message and message["action"], LOAD_NOTICES, message)
            seen.append(message)


class JournalTestCase(FrameTestCase):
    """A frame test that also reads what the stand-in engine journals."""

    def setUp(self):
        self.journal = Journal().__enter__()
        super().setUp()

    def tearDown(self):
        super().tearDown()
        self.journal.__exit__(None, None, None)


class FrameTest(FrameTestCase):
    def test_create_answers_first_then_reports_the_load_and_sends_the_cookies(self):
        self.server.add_page("/inner", page("Inner"))
        self.server.add_page("/outer", page("Outer", '<iframe src="/inner"></iframe>'))
        self.host.send({"action": "host_create", "session_id": 5, "width": 800, "height": 600,
                        "port": "p", "title": "t", "url": self.server.url("/outer"),
                        "cookie": urllib.parse.quote("plain=1\n#httponly#secret=2")})
        self.assertEqual(self.host.read_text(), '{"action":"client_common_response",'
                         '"session_id":5,"ret":"1","version":"2.26.20.0"}')
        seen = [self.host.read()] + self.drain()
        self.assertEqual([m for m in seen if m["action"] == "client_before_navigate"], [
            {"action": "client_before_navigate", "main_frame": True,
             "url": self.server.url("/outer"), "frame_id": 1},
            {"action": "client_before_navigate", "main_frame": False,
             "url": self.server.url("/inner"), "frame_id": 1}])
        self.assertIn({"action": "client_title_change", "title": "Outer", "frame_id": 1}, seen)
        cookies = self.server.requests_for("/outer")[0].get("cookie", "").split("; ")
        self.assertEqual(sorted(cookies), ["plain=1", "secret=2"])

    def test_navigate_back_forward_and_reload(self):
        self.server.add_page("/one", page("One"))
        self.server.add_page("/two", page("Two"))
        self.create("/one", "One")
        self.host.send({"action": "host_navigate", "frame_id": 1, "url": self.server.url("/two"),
                        "cookie": "nav%3Dyes"})
        self.wait_loaded(1, "Two")
        self.assertIn("nav=yes", self.server.requests_for("/two")[0].get("cookie", ""))
        for action, title in (("host_back", "One"), ("host_forward", "Two")):
            self.host.send({"action": action, "frame_id": 1})
            self.wait_loaded(1, title)
        fetched = len(self.server.requests_for("/two"))
        self.host.send({"action": "host_reload", "frame_id": 1})
        self.wait_until(lambda: len(self.server.requests_for("/two")) > fetched, "no reload")

    def test_attach_and_detach_follow_the_tab(self):
        self.server.add_page("/p", page("Portal Home"))
        browser = StandInBrowser(BROWSER_TITLE)
        self.addCleanup(browser.close)
        self.create("/p", "Portal Home")
        self.host.send({"action": "host_attach", "frame_id": 1, "title": "Intranet Portal",
                        "width": 984, "height": 600})
        self.assertEqual(self.next_message("client_attach_state"), {
            "action": "client_attach_state", "state": 1, "frame_id": 1, "title": "Portal Home"})
        frame = browser.frames()[0]
        self.assertTrue(frame["visible"])
        self.assertEqual(frame["rect"], browser.rects()["render"]["rect"])
        self.host.send({"action": "host_detach", "frame_id": 1})
        self.ping()
        self.assertEqual(browser.frames(), [])

    def test_page_that_closes_itself_waits_for_host_close_then_the_process_ends(self):
        self.server.add_page("/bye", page("Bye", "<!--standin:close-->"))
        self.create("/bye", None)
        self.assertEqual(self.next_message("client_close_tab"), {
            "action": "client_close_tab", "url": self.server.url("/bye"), "frame_id": 1})
        self.ping()
        self.assertIsNone(self.host.proc.poll())
        self.host.send({"action": "host_close", "frame_id": 1, "session_id": 5})
        self.assertEqual(self.host.wait_exit(), 1)
        self.assertIn("Frame Count Is 0, QuitMessageLoop", self.log_lines())


if __name__ == "__main__":
    unittest.main()
