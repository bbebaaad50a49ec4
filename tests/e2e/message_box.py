"""Reads the message boxes a program shows, through
tools/message_box_reader.exe, and presses their default button."""

import os
import subprocess

from host_process import WAIT, WINE


class MessageBoxReader:
    """Starts waiting for a box with `caption` at once; `text()` gives its
    text, or None when none came within the wait."""

    def __init__(self, caption, timeout=WAIT):
        self.proc = subprocess.Popen(
            [WINE, os.environ["MESSAGE_BOX_READER_EXE"], caption, str(int(timeout * 1000))],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.timeout = timeout

    def text(self):
        out, _ = self.proc.communicate(timeout=self.timeout + WAIT)
        return out.decode("utf-8") if self.proc.returncode == 0 else None
