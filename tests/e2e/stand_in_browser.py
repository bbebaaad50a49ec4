"""Drives tools/stand_in_browser.exe: a browser-shaped window structure (a
top-level window, a "Chrome_RenderWidgetHostHWND" render child and an
"Intermediate D3D Window" child) that tests can retitle, move and inspect."""

import json
import os
import subprocess
import time

from host_process import WAIT, WINE


class StandInBrowser:
    def __init__(self, title, top=(40, 30, 1000, 720), render=(0, 80, 984, 600)):
        args = [WINE, os.environ["STAND_IN_BROWSER_EXE"], title] + [str(v) for v in top + render]
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self._read()

    def _read(self):
        line = self.proc.stdout.readline()
        if not line:
            raise AssertionError("stand-in browser ended")
        return json.loads(line)

    def command(self, text):
        self.proc.stdin.write((text + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        return self._read()

    def rects(self):
        return self.command("rects")

    def frames(self):
        # Direct children that are not the browser's own windows.
        own = ("Chrome_RenderWidgetHostHWND", "Intermediate D3D Window")
        return [c for c in self.rects()["children"] if c["class"] not in own]

    def popups(self, window_class):
        """The shown top-level windows of a class, of any process."""
        return self.command("popups " + window_class)["popups"]

    def boxes(self):
        return self.command("boxes")["boxes"]

    def close_box(self, caption_prefix, timeout=WAIT):
        """Waits for a message box whose caption starts with `caption_prefix`,
        closes it and returns it ("caption", "text")."""
        deadline = time.monotonic() + timeout
        while not (boxes := [b for b in self.boxes() if b["caption"].startswith(caption_prefix)]):
            if time.monotonic() > deadline:
                raise AssertionError("no message box %r" % caption_prefix)
            time.sleep(0.1)
        self.command("post-close %d" % boxes[0]["hwnd"])
        return boxes[0]

    def close(self):
        with self.proc:  # closes the pipes and waits
            self.proc.kill()
