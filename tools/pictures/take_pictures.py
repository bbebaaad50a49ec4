"""Pictures of tabbridge.exe's windows over a stand-in browser tab, for the
README: a frame with its banner and page, and the rating prompt the banner's
heart opens, in English and in Chinese.

    take_pictures.py TABBRIDGE_EXE PICTURE_EXE OUT_DIR

Runs inside scripts/wine-env.sh with the stand-in browser and engine named
as for the end-to-end tests. Under Wine our frame never reaches the display
(it is the child of another process's window), so picture.exe asks each of
our windows for its own drawing and lays it over the browser's pixels. The
rating prompt is a top-level window: the display's own pixels show it."""

import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "stand_in_engine"))
import real_input  # noqa: E402
from host_process import WAIT, WINE, HostCopy, HostProcess  # noqa: E402
from loopback_server import LoopbackServer  # noqa: E402
from register import StandInEngine  # noqa: E402
from stand_in_browser import StandInBrowser  # noqa: E402

BROWSER_TITLE = "Intranet Portal - Chrome"
PAGE = ("<!DOCTYPE html><html><head><title>Quarterly Reports</title></head>"
        "<body><h1>Quarterly Reports</h1></body></html>")
LOCALES = {"en": "en_US.UTF-8", "zh_CN": "zh_CN.UTF-8"}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def picture(picture_exe, background, windows, png):
    bmp = png + ".bmp"
    subprocess.run([WINE, picture_exe, windows_path(bmp), str(background)] +
                   [str(w) for w in windows], check=True, timeout=WAIT,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    subprocess.run(["/usr/bin/convert", "bmp:" + bmp, png], check=True, timeout=WAIT)
    os.remove(bmp)
    print("picture: %s" % png, flush=True)


def read_until(host, action):
    while (message := host.read())["action"] != action:
        pass
    return message


def frame_pictures(exe, picture_exe, server, out_dir, name, locale):
    browser = StandInBrowser(BROWSER_TITLE)
    host = HostProcess(exe, env=dict(os.environ, LANG=locale, LC_ALL=locale))
    try:
        host.send({"action": "host_create", "session_id": 1, "width": 984, "height": 600,
                   "port": "pictures", "title": "Intranet Portal", "url": server.url("/reports")})
        read_until(host, "client_title_change")
        host.send({"action": "host_attach", "frame_id": 1, "title": "Intranet Portal",
                   "width": 984, "height": 600})
        read_until(host, "client_attach_state")
        rects = browser.rects()
        frame = browser.frames()[0]
        picture(picture_exe, rects["top_hwnd"], [frame["hwnd"]],
                os.path.join(out_dir, "frame-%s.png" % name))
        banner = next(c for c in frame["children"] if c["class"] == "TabBridge_BannerWND")
        rating_picture(banner["rect"], os.path.join(out_dir, "rating-%s.png" % name))
    finally:
        host.kill()
        browser.close()


def rating_picture(banner_rect, png):
    # The heart sits 300 pixels from the banner's right edge; the fifth
    # star 301 pixels from the prompt's left and 334 down.
    real_input.click(banner_rect[2] - 300 + 16, banner_rect[1] + 15)
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                            "^TabBridge$", "getwindowgeometry", "--shell", "%1"],
                           capture_output=True, text=True, timeout=WAIT, check=True).stdout
    box = {k: int(v) for k, v in (item.split("=") for item in found.split())}
    real_input.click(box["X"] + 301, box["Y"] + 334)
    time.sleep(8)  # an emulated Wine takes seconds to paint it
    xwd = png + ".xwd"
    with open(xwd, "wb") as out:
        subprocess.run(["xwd", "-root", "-silent"], stdout=out, check=True, timeout=WAIT)
    subprocess.run(["/usr/bin/convert", "xwd:" + xwd, "-crop", "%dx%d+%d+%d" % (
        box["WIDTH"], box["HEIGHT"], box["X"], box["Y"]), "+repage", png], check=True,
        timeout=WAIT)
    os.remove(xwd)
    print("picture: %s" % png, flush=True)


def main():
    exe, picture_exe, out_dir = sys.argv[1:4]
    os.makedirs(out_dir, exist_ok=True)
    server = LoopbackServer()
    server.add_page("/reports", PAGE)
    copy = HostCopy(exe)
    try:
        with StandInEngine():
            for name, locale in LOCALES.items():
                frame_pictures(copy.exe, picture_exe, server, out_dir, name, locale)
    finally:
        copy.remove()
        server.close()


if __name__ == "__main__":
    main()
