"""Real pointer and keyboard input through the X server (xdotool), the way a
user gives it; coordinates are the screen's."""

import subprocess

from host_process import WAIT


def _xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=WAIT,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def move(x, y):
    _xdotool("mousemove", "--sync", x, y)


def click(x, y, button=1):
    move(x, y)
    _xdotool("click", button)


def key(name):
    _xdotool("key", name)
