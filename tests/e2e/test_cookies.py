"""End to end: cookies that pages and servers set in the engine reach the
extension as client_cookie_sync, on the stand-in engine."""

import unittest
import urllib.parse

from test_frames import FrameTestCase, page, setUpModule  # noqa: F401

THREE_COOKIES = [("Set-Cookie", "a=1; path=/"), ("Set-Cookie", "b=2"),
                 ("Set-Cookie", "c=3; HttpOnly")]


def marker(value, **attributes):
    extra = "".join(' %s="%s"' % (name.replace("_", "-"), v) for name, v in attributes.items())
    return '<!--standin:cookie value="%s"%s-->' % (value, extra)


class CookieTest(FrameTestCase):
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


if __name__ == "__main__":
    unittest.main()
