"""End to end: frames of the real tabbridge.exe under Wine, with the stand-in
engine in the WebBrowser control's place and the stand-in browser window."""

import json
import os
import time
import unittest
import urllib.parse

from host_process import HostTestCase, reg_delete_value, reg_query, reg_set_dword, WAIT
from loopback_server import LoopbackServer
from stand_in_browser import StandInBrowser
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                                "stand_in_engine"))
from register import StandInEngine  # noqa: E402

SETTINGS_KEY = r"HKCU\Software\tabbridge"
BROWSER_TITLE = "Intranet Portal - Chrome"
RENDER = (0, 80, 984, 600)  # x, y, width, height in the browser's client area

_engine = None


def setUpModule():
    global _engine
    _engine = StandInEngine()
    _engine.__enter__()


def tearDownModule():
    _engine.__exit__(None, None, None)


def page(title, body=""):
    return "<!DOCTYPE html><html><head><title>%s</title></head><body>%s</body></html>" % (
        title, body)


class FrameTestCase(HostTestCase):
    def setUp(self):
        super().setUp()
        reg_set_dword(SETTINGS_KEY, "LogLevel", 0)
        self.server = LoopbackServer()
        self.host = self.start()
        self.browsers = []
        self.session = 100

    def tearDown(self):
        super().tearDown()
        for browser in self.browsers:
            browser.close()
        self.server.close()
        reg_delete_value(SETTINGS_KEY, "LogLevel")

    def browser(self, title=BROWSER_TITLE, render=RENDER):
        browser = StandInBrowser(title, render=render)
        self.browsers.append(browser)
        return browser

    def wait_until(self, condition, what):
        deadline = time.monotonic() + WAIT
        while not condition():
            self.assertLess(time.monotonic(), deadline, what)
            time.sleep(0.05)

    def wait_for_log(self, text):
        self.wait_until(lambda: text in self.log_lines(), "log line %r" % text)

    def open_page(self, title="P", body="", path="/p"):
        """Creates a frame showing a page of its own; its id."""
        self.server.add_page(path, page(title, body))
        frame_id = self.create(path)
        self.wait_loaded(frame_id, title)
        return frame_id

    def ping(self, session_id):
        """A request that all before it have been handled."""
        self.host.send({"action": "host_ping", "session_id": session_id})
        self.assertEqual(self.host.read()["session_id"], session_id)

    def create(self, path, width=RENDER[2], height=RENDER[3], cookie=None, **extra):
        self.session += 1
        request = {"action": "host_create", "session_id": self.session, "width": width,
                   "height": height, "port": "port-7", "title": "tab", "url":
                   self.server.url(path)}
        if cookie is not None:
            request["cookie"] = cookie
        request.update(extra)
        self.host.send(request)
        answer = self.host.read()
        self.assertEqual(answer["action"], "client_common_response", answer)
        self.assertEqual(answer["session_id"], self.session)
        return int(answer["ret"])

    def next_message(self, action, timeout=WAIT):
        """The next message with this action; fails on anything else first
        except the notifications a page load produces on its own."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                self.fail("no %s" % action)
            message = self.host.read(left)
            self.assertIsNotNone(message, "host ended while waiting for %s" % action)
            if message["action"] == action:
                return message
            self.assertIn(message["action"], ("client_before_navigate", "client_title_change"),
                          "unexpected %r while waiting for %s" % (message, action))

    def wait_loaded(self, frame_id, title):
        """Waits for the page's title (reported at the title change and again
        when the document completes), then for the page to fall quiet."""
        message = self.next_message("client_title_change")
        self.assertEqual(message, {"action": "client_title_change", "title": title,
                                   "frame_id": frame_id})
        self.drain()

    def drain(self, quiet=0.5):
        """Reads what a page load still produces until nothing comes for a while."""
        while True:
            try:
                message = self.host.messages.get(timeout=quiet)
            except Exception:
                return
            self.assertIsNotNone(message, "host ended")
            message = json.loads(message)
            self.assertIn(message["action"], ("client_before_navigate", "client_title_change"),
                          message)

    def attach(self, frame_id, title=BROWSER_TITLE, width=RENDER[2], height=RENDER[3]):
        self.host.send({"action": "host_attach", "frame_id": frame_id, "title": title,
                        "width": width, "height": height})
        return self.next_message("client_attach_state")


class CreateTest(FrameTestCase):
    def test_create_answers_ids_before_navigation_and_never_reuses_them(self):
        self.server.add_page("/a", page("Page A"))
        self.host.send({"action": "host_create", "session_id": 5, "width": 800, "height": 600,
                        "port": "p", "title": "t", "url": self.server.url("/a")})
        first = self.host.read_text()
        self.assertEqual(first, '{"action":"client_common_response","session_id":5,"ret":"1",'
                                '"version":"2.26.20.0"}')
        before = self.host.read()
        self.assertEqual(before, {"action": "client_before_navigate", "main_frame": True,
                                  "url": self.server.url("/a"), "frame_id": 1})
        self.wait_loaded(1, "Page A")
        self.assertEqual(self.create("/a"), 2)
        self.wait_loaded(2, "Page A")
        self.host.send({"action": "host_close", "frame_id": 2, "session_id": 9})
        self.assertEqual(self.create("/a"), 3)
        self.wait_loaded(3, "Page A")

    def test_cookies_reach_the_server_with_the_first_request(self):
        self.server.add_page("/c", page("Cookies"))
        lines = "plain=1\n#httponly#secret=2\n\nspaced=a%20b"
        self.create("/c", cookie=urllib.parse.quote(lines))
        self.wait_loaded(1, "Cookies")
        first = self.server.requests_for("/c")[0]
        cookies = sorted(c.strip() for c in first.get("cookie", "").split(";"))
        self.assertEqual(cookies, ["plain=1", "secret=2", "spaced=a%20b"])

    def test_iframe_navigation_is_not_the_main_frame(self):
        self.server.add_page("/inner", page("Inner"))
        self.server.add_page("/outer", page("Outer", '<iframe src="/inner"></iframe>'))
        frame_id = self.create("/outer")
        seen = [self.host.read()]
        while True:
            try:
                seen.append(json.loads(self.host.messages.get(timeout=1.0)))
            except Exception:
                break
        before = [m for m in seen if m["action"] == "client_before_navigate"]
        self.assertEqual(before, [
            {"action": "client_before_navigate", "main_frame": True,
             "url": self.server.url("/outer"), "frame_id": frame_id},
            {"action": "client_before_navigate", "main_frame": False,
             "url": self.server.url("/inner"), "frame_id": frame_id},
        ])
        titles = [m for m in seen if m["action"] == "client_title_change"]
        self.assertTrue(titles)
        self.assertTrue(all(m["title"] == "Outer" for m in titles), titles)

    def test_review_open_count_stops_at_ten(self):
        reg_set_dword(SETTINGS_KEY, "review_open_count", 9)
        try:
            self.server.add_page("/r", page("Review"))
            self.create("/r")
            self.wait_loaded(1, "Review")
            self.create("/r")
            self.wait_loaded(2, "Review")
            self.assertEqual(reg_query(SETTINGS_KEY, "review_open_count"), ("REG_DWORD", "0xa"))
            self.assertIn("NotifyDocumentComplete FrameId 1 ReviewOpenCount 10", self.log_lines())
            self.assertIn("NotifyDocumentComplete FrameId 2 ReviewOpenCount 10", self.log_lines())
        finally:
            reg_delete_value(SETTINGS_KEY, "review_open_count")


class LifeAndDeathTest(FrameTestCase):
    def test_closing_the_last_frame_ends_the_process(self):
        self.open_page()
        self.host.send({"action": "host_close", "frame_id": 1, "session_id": 3})
        self.assertEqual(self.host.wait_exit(), 1)
        self.assertIn("Frame Count Is 0, QuitMessageLoop", self.log_lines())

    def test_end_of_input_destroys_every_frame_in_order(self):
        self.server.add_page("/p", page("P"))
        for frame_id in (1, 2, 3):
            self.assertEqual(self.create("/p"), frame_id)
            self.wait_loaded(frame_id, "P")
        self.host.close_input()
        self.assertEqual(self.host.wait_exit(), 1)
        lines = self.log_lines()
        destroyed = [l for l in lines if l.startswith("ProcessFrameDestroy FrameId")]
        self.assertEqual(destroyed, ["ProcessFrameDestroy FrameId 1",
                                     "ProcessFrameDestroy FrameId 2",
                                     "ProcessFrameDestroy FrameId 3"])
        # Each frame's window goes, and with it the frame, before the next.
        between = lines[lines.index("CMainFrame QuitExtension DestroyWindow"):
                        lines.index("ProcessFrameDestroy FrameId 1")]
        self.assertTrue(any(l.startswith("OnFinalMessage ") for l in between), lines)

    def test_page_that_closes_itself_reports_and_waits_for_host_close(self):
        self.server.add_page("/bye", page("Bye", "<!--standin:close-->"))
        self.create("/bye")
        closing = self.next_message("client_close_tab")
        self.assertEqual(closing, {"action": "client_close_tab", "url": self.server.url("/bye"),
                                   "frame_id": 1})
        # The frame stays until the extension says so.
        self.ping(4)
        self.assertIsNone(self.host.proc.poll())
        # A closing frame is not laid over a tab again.
        self.browser()
        self.assertEqual(self.attach(1)["state"], -1)
        self.host.send({"action": "host_close", "frame_id": 1, "session_id": 5})
        self.assertEqual(self.host.wait_exit(), 1)

    def test_frame_closed_from_outside_is_removed_silently(self):
        browser = self.browser()
        self.open_page()
        self.create("/p")
        self.wait_loaded(2, "P")
        self.assertEqual(self.attach(1)["state"], 1)
        frame = browser.frames()[0]
        self.assertTrue(browser.command("post-close %d" % frame["hwnd"])["ok"])
        self.wait_for_log("ProcessFrameDestroy FrameId 1")
        self.host.expect_silence(0.5)
        self.ping(6)
        self.host.send({"action": "host_close", "frame_id": 2, "session_id": 7})
        self.assertEqual(self.host.wait_exit(), 1)


class AttachTest(FrameTestCase):
    def frame_rect(self, browser):
        frames = browser.frames()
        self.assertEqual(len(frames), 1, frames)
        return frames[0]

    def test_attach_lays_the_frame_over_the_render_window(self):
        self.server.add_page("/p", page("Portal Home"))
        browser = self.browser()
        self.create("/p")
        self.wait_loaded(1, "Portal Home")
        state = self.attach(1, title="Intranet Portal")
        self.assertEqual(state, {"action": "client_attach_state", "state": 1, "frame_id": 1,
                                 "title": "Portal Home"})
        frame = self.frame_rect(browser)
        self.assertTrue(frame["visible"])
        self.assertEqual(frame["rect"], browser.rects()["render"]["rect"])
        self.assertIn("AttachTab SUCCESS Intranet Portal FrameId: 1", self.log_lines())

    def test_render_window_tolerance_is_ten_pixels(self):
        self.server.add_page("/p", page("P"))
        self.browser(render=(0, 80, RENDER[2] - 10, RENDER[3]))
        self.create("/p")
        self.wait_loaded(1, "P")
        self.assertEqual(self.attach(1)["state"], 1)
        self.browsers[0].command("render 0 80 %d %d" % (RENDER[2] - 11, RENDER[3]))
        self.assertEqual(self.attach(1)["state"], 0)
        self.assertIn("AttachTab hChromeRenderWnd NULL FrameId: 1", self.log_lines())

    def test_unknown_browser_title_hides_the_frame(self):
        browser = self.browser()
        self.open_page()
        self.assertEqual(self.attach(1)["state"], 1)
        self.assertEqual(self.attach(1, title="No Such Window")["state"], 0)
        self.assertIn("AttachTab hChromeFrameWnd NULL FrameId: 1", self.log_lines())
        self.assertFalse(self.frame_rect(browser)["visible"])

    def test_resize_activate_and_detach_follow_the_tab(self):
        browser = self.browser()
        self.open_page()
        self.assertEqual(self.attach(1)["state"], 1)

        browser.command("render 20 100 700 400")
        self.host.send({"action": "host_resize", "frame_id": 1, "width": 700, "height": 400})
        self.wait_for_log("ReSizeBrowser")
        self.wait_until(lambda: self.frame_rect(browser)["rect"] == browser.rects()["render"]["rect"],
                        "frame did not follow the resize")

        self.host.send({"action": "host_activate", "frame_id": 1, "status": 0})
        self.wait_for_log("ActivateTab 0 FrameId 1")
        self.assertFalse(self.frame_rect(browser)["visible"])
        self.host.send({"action": "host_activate", "frame_id": 1, "status": 1})
        self.wait_for_log("ActivateTab 1 FrameId 1")
        frame = self.frame_rect(browser)
        self.assertTrue(frame["visible"])
        self.assertEqual(frame["rect"], browser.rects()["render"]["rect"])

        self.host.send({"action": "host_detach", "frame_id": 1})
        self.host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(self.host.read()["action"], "client_common_response")
        self.assertEqual(browser.frames(), [])

    def test_focus_is_let_through_once_per_400_ms(self):
        self.browser()
        self.open_page()
        self.assertEqual(self.attach(1)["state"], 1)
        time.sleep(0.5)  # past the gate of the attach's own focus
        self.host.send({"action": "host_focus", "frame_id": 1})
        self.host.send({"action": "host_focus", "frame_id": 1})
        self.ping(2)
        lines = self.log_lines()
        self.assertEqual(lines.count("FocusMainFrame Not NeedFocus FrameId 1"), 1)
        focused = [l for l in lines if l in ("FocusMainFrame FrameId 1 FocusWebBrowser ",
                                             "FocusMainFrame Skip Not Foreground FrameId 1")]
        self.assertEqual(len(focused), 1, lines)

    def test_print_sends_escape_to_the_browser_first(self):
        browser = self.browser()
        self.open_page()
        self.assertEqual(self.attach(1)["state"], 1)
        self.host.send({"action": "host_print", "frame_id": 1})
        self.ping(2)
        self.wait_until(lambda: browser.command("keys")["keys"][:2] == ["down:27:65537", "up:27:65537"],
                        "no Escape")

    def test_browser_window_that_vanishes_before_attach(self):
        browser = self.browser()
        self.open_page()
        browser.command("close")
        self.assertEqual(self.attach(1)["state"], 0)


class NavigationTest(FrameTestCase):
    def test_navigate_back_forward_and_reload(self):
        self.server.add_page("/one", page("One"))
        self.server.add_page("/two", page("Two"))
        self.create("/one")
        self.wait_loaded(1, "One")
        self.host.send({"action": "host_navigate", "frame_id": 1, "url": self.server.url("/two"),
                        "cookie": urllib.parse.quote("nav=yes")})
        self.wait_loaded(1, "Two")
        self.assertIn("nav=yes", self.server.requests_for("/two")[0].get("cookie", ""))
        self.host.send({"action": "host_back", "frame_id": 1})
        self.wait_loaded(1, "One")
        self.host.send({"action": "host_forward", "frame_id": 1})
        self.wait_loaded(1, "Two")
        before = len(self.server.requests_for("/two"))
        self.host.send({"action": "host_reload", "frame_id": 1})
        self.wait_until(lambda: len(self.server.requests_for("/two")) > before,
                        "reload fetched nothing")


class BadInputTest(FrameTestCase):
    def test_requests_for_unknown_frames_and_wrong_types(self):
        self.open_page()
        for request in (
                {"action": "host_attach", "frame_id": 42, "title": "x", "width": 1, "height": 1},
                {"action": "host_resize", "frame_id": 42, "width": 1, "height": 1},
                {"action": "host_resize", "frame_id": "1", "width": 1, "height": 1},
                {"action": "host_navigate", "frame_id": 1, "url": 5},
                {"action": "host_activate", "frame_id": 42, "status": 1},
                {"action": "host_focus", "frame_id": 42},
                {"action": "host_print", "frame_id": 42},
                {"action": "host_back", "frame_id": None},
                {"action": "host_detach", "frame_id": 42},
                {"action": "host_close", "frame_id": 42, "session_id": 1},
                {"action": "host_create", "session_id": 1, "width": 10, "height": 10,
                 "port": "", "title": "t", "url": "about:blank"}):
            self.host.send(request)
        self.ping(77)
        self.host.expect_silence(0.5)


if __name__ == "__main__":
    unittest.main()
