"""End to end: the mode banner of a frame over the stand-in browser, driven
with real pointer input, at two DPIs and in the Chinese languages."""

import os
import re
import unittest

import real_input
from host_process import reg
from stand_in_browser import StandInBrowser
from test_frames import BROWSER_TITLE, FrameTestCase, page, setUpModule  # noqa: F401

# Where Wine reads the user's DPI when a process starts; absent, the
# machine's under HKCC\Software\Fonts (96) holds.
DPI_KEY = r"HKCU\Control Panel\Desktop"
# Points of the banner at 96 DPI (30 pixels high, elements placed by
# ui/resources/banner_layout.xml); negative x from the right edge.
CENTRE = 15
FEEDBACK_X = -200 + 12
CLOSE_X = -38 + 8
BLANK_X = 30  # between the logo and the sentence
MODE_MENU_ROWS = 9
IE8_MANDATORY_ROW = 2


class BannerTest(FrameTestCase):
    def setUp(self):
        super().setUp()
        self.server.add_page("/p", page("P"))

    def restart(self, **env):
        self.host.kill()
        self.host = self.start(env=dict(os.environ, **env))

    def attached_banner(self, frame_id, **create):
        """Creates a frame and attaches it to a new stand-in browser; the
        banner's window as the browser reports it."""
        self.browser = StandInBrowser(BROWSER_TITLE)
        self.addCleanup(self.browser.close)
        self.assertEqual(self.create("/p", **create), frame_id)
        self.host.send({"action": "host_attach", "frame_id": frame_id,
                        "title": "Intranet Portal", "width": 984, "height": 600})
        self.assertEqual(self.next_message("client_attach_state")["state"], 1)
        frame = self.browser.frames()[0]
        banners = [c for c in frame["children"] if c["class"] == "TabBridge_BannerWND"]
        self.assertEqual(len(banners), 1, frame)
        return banners[0]

    def click(self, banner, x, y=CENTRE):
        """`x` from the banner's left edge, or back from its right edge when
        negative."""
        left, top, right, _ = banner["rect"]
        real_input.click((right if x < 0 else left) + x, top + y)

    def menus(self):
        return self.browser.popups("#32768")

    def logged(self, pattern):
        return [m.groups() for m in map(re.compile(pattern).match, self.log_lines()) if m]

    def mode_link_x(self):
        [(x,)] = self.logged(r"Banner mode link .* at (\d+),\|-9$")
        return int(x) + 10

    def feedback(self, banner, frame_id):
        self.click(banner, FEEDBACK_X)
        self.assertEqual(self.host.read(), {
            "action": "client_new_tab", "frame_id": frame_id, "port": "port-7",
            "url": "https://tabbridge.org/feedback", "force_ie": False})

    def test_clicks_send_feedback_close_and_the_chosen_mode(self):
        banner = self.attached_banner(1)
        self.feedback(banner, 1)
        self.click(banner, CLOSE_X)
        self.assertEqual(self.host.read(), {"action": "client_leave_current_tab",
                                            "frame_id": 1, "url": self.server.url("/p")})
        link_x = self.mode_link_x()
        # A click beside the menu closes it without a choice.
        self.click(banner, link_x)
        self.wait_until(self.menus, "no menu")
        self.click(banner, BLANK_X)
        self.wait_until(lambda: not self.menus(), "the menu stays")
        self.ping()
        self.click(banner, link_x)
        self.wait_until(self.menus, "no menu")
        left, top, right, bottom = self.menus()[0]["rect"]
        real_input.click((left + right) // 2,
                         top + (bottom - top) * (2 * IE8_MANDATORY_ROW + 1) // (2 * MODE_MENU_ROWS))
        self.assertEqual(self.host.read(), {"action": "client_set_compatible_mode", "mode": 8888,
                                            "frame_id": 1, "port": "port-7"})

    def test_locked_mode_has_no_link_to_click(self):
        self.create("/p")  # unlocked, to learn where the link goes
        banner = self.attached_banner(2, compatible_mode_gp=True)
        self.click(banner, self.mode_link_x())
        # A menu would take the next click and send nothing.
        self.feedback(banner, 2)
        self.assertEqual(self.menus(), [])

    def test_banner_height_follows_the_dpi(self):
        self.addCleanup(reg, "delete", DPI_KEY, "/v", "LogPixels")
        for dpi, height in ((96, 30), (120, 37)):
            with self.subTest(dpi=dpi):
                reg("add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi))
                self.restart()
                _, top, _, bottom = self.attached_banner(1)["rect"]
                self.assertEqual(bottom - top, height)
                self.browser.close()

    def test_chinese_user_interface_languages(self):
        texts = {
            "zh_CN.UTF-8": ("此页面正在 Internet Explorer 模式下运行。由 TabBridge 提供支持。",
                            "反馈", "给 TabBridge 评分", "关闭并在Chrome标签页中打开此页面"),
            "zh_TW.UTF-8": ("此頁面正在 Internet Explorer 模式下執行。由 TabBridge 提供支援。",
                            "意見反應", "為 TabBridge 評分", "關閉並在Chrome標籤頁中開啟此頁面"),
        }
        for locale, expected in texts.items():
            with self.subTest(locale=locale):
                self.restart(LANG=locale, LC_ALL=locale)
                self.create("/p")
                self.assertEqual(
                    self.logged(r"Banner texts: (.*) \| (.*) \| (.*) \| (.*)$")[-1], expected)


if __name__ == "__main__":
    unittest.main()
