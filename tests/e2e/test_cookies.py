"""End to end: cookies that pages and servers set in the engine reach the
extension as client_cookie_sync, on the stand-in engine."""

import threading
import time
import unittest
import urllib.parse

from host_process import WAIT
from test_frames import FrameTestCase, page, setUpModule  # noqa: F401
from register import Journal

THREE_COOKIES = [("Set-Cookie", "a=1; path=/"), ("Set-Cookie", "b=2"),
                 ("Set-Cookie", "c=3; HttpOnly")]


def marker(value, **attributes):
    extra = "".join(' %s="%s"' % (name.replace("_", "-"), v) for name, v in attributes.items())
    return '<!--standin:cookie value="%s"%s-->' % (value, extra)


class CookieTest(FrameTestCase):
    def setUp(self):
        # The host inherits the journal's name when it starts.
        self.journal = Journal()
        self.journal.__enter__()
        super().setUp()

    def tearDown(self):
        super().tearDown()
        self.journal.__exit__(None, None, None)

    def cookie_syncs(self, count):
        """The next `count` cookie notifications as (url, values, httpOnly,
        frame_id); the page's own notifications in between are skipped."""
        syncs = []
        while len(syncs) < count:
            m = self.next_message("client_cookie_sync")
            self.assertEqual(sorted(m), ["action", "frame_id", "httpOnly", "url", "values"])
            syncs.append((m["url"], m["values"], m["httpOnly"], m["frame_id"]))
        return syncs

    def test_page_and_response_cookies_come_back_but_the_extensions_do_not(self):
        url = self.server.url("/c")
        self.server.add_page("/c", page("C", marker("script=1; path=/") +
                                        marker("hidden=2", http_only=1)), headers=THREE_COOKIES)
        frame_id = self.create(title=None, path="/c",
                               cookie=urllib.parse.quote("ext=1\n#httponly#ext_hidden=2"))
        syncs = self.cookie_syncs(5)
        self.assertEqual(syncs[:3], [(url, "a=1; path=/", False, frame_id),
                                     (url, "b=2", False, frame_id),
                                     (url, "c=3; HttpOnly", False, frame_id)])
        # Each marker writes from a thread of its own.
        self.assertCountEqual(syncs[3:], [(url, "script=1; path=/", False, frame_id),
                                          (url, "hidden=2", True, frame_id)])

        self.server.add_page("/d", page("D"))
        self.host.send({"action": "host_navigate", "frame_id": frame_id,
                        "url": self.server.url("/d"), "cookie": urllib.parse.quote("nav=1")})
        # Only the page's own notifications: the cookies the extension
        # brought are not sent back.
        self.wait_loaded(frame_id, "D")
        self.ping()
        self.assertIn("nav=1", self.server.requests_for("/d")[0].get("cookie", ""))

    def test_cookies_name_the_smallest_open_frame(self):
        self.server.add_page("/p", page("P"))
        for frame_id in range(1, 6):
            self.assertEqual(self.create(title=None, path="/p"), frame_id)
            self.wait_loaded(frame_id, "P")
        for frame_id in (1, 2, 4):
            self.host.send({"action": "host_close", "frame_id": frame_id, "session_id": 9})
        self.ping()
        self.server.add_page("/late", page("Late", marker("late=1")))
        self.host.send({"action": "host_navigate", "frame_id": 5,
                        "url": self.server.url("/late")})
        self.assertEqual(self.cookie_syncs(1), [(self.server.url("/late"), "late=1", False, 3)])

    def test_cookies_from_eight_threads_arrive_whole_and_all(self):
        threads, count = 8, 50
        self.server.add_page("/burst", page("Burst", marker("burst=1", threads=threads,
                                                             count=count)))
        frame_id = self.create(title=None, path="/burst")
        # Meanwhile the user-interface thread answers requests.
        stop = threading.Event()

        def ask():
            session = 1000
            while not stop.is_set():
                self.host.send({"action": "host_ping", "session_id": session})
                session += 1
                time.sleep(0.005)

        asker = threading.Thread(target=ask)
        asker.start()
        syncs = answers_between = 0
        # Answers keep coming: only a deadline ends a wait for lost cookies.
        deadline = time.monotonic() + WAIT
        try:
            while syncs < threads * count:
                self.assertLess(time.monotonic(), deadline,
                                "%d of %d cookies" % (syncs, threads * count))
                # A torn frame would not parse.
                message = self.host.read()
                self.assertIsNotNone(message, "host ended")
                if message["action"] == "client_cookie_sync":
                    self.assertEqual(message, {"action": "client_cookie_sync",
                                               "url": self.server.url("/burst"),
                                               "values": "burst=1", "httpOnly": False,
                                               "frame_id": frame_id})
                    syncs += 1
                elif message["action"] == "client_common_response":
                    answers_between += 1 if syncs else 0
                else:
                    self.assertIn(message["action"],
                                  ("client_before_navigate", "client_title_change"), message)
        finally:
            stop.set()
            asker.join()
        self.assertGreater(answers_between, 0, "no answer while the cookies were sent")

        # None is lost, none comes twice, and every call succeeded.
        self.host.send({"action": "host_ping", "session_id": 1})
        while True:
            message = self.host.read()
            self.assertIsNotNone(message, "host ended")
            self.assertNotEqual(message["action"], "client_cookie_sync")
            if message.get("session_id") == 1:
                break
        self.wait_until(lambda: len(self.journal.records("cookie")) == threads,
                        "writers not done")
        self.assertEqual([r["set"] for r in self.journal.records("cookie")],
                         [str(count)] * threads)


if __name__ == "__main__":
    unittest.main()
