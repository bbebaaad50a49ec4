"""Installs tabbridge.exe the way a user does (installer mode, no arguments)
and shows what the browser then finds; then plays a scripted extension
session against the installed copy, as the browser runs it: the extension's
origin as argument, requests on stdin, replies on stdout. The page comes from
a loopback server, the stand-in engine plays the WebBrowser control and a
stand-in browser window holds the tab."""

import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "stand_in_engine"))
sys.path.insert(0, os.path.join(HERE, "..", "pictures"))
from host_process import HostCopy, HostProcess  # noqa: E402
from installation import host_key_values, unix_path  # noqa: E402
from loopback_server import LoopbackServer  # noqa: E402
from register import StandInEngine  # noqa: E402
from stand_in_browser import StandInBrowser  # noqa: E402
from take_pictures import picture  # noqa: E402

BROWSER_TITLE = "Intranet Portal - Chrome"
PAGE = ("<!DOCTYPE html><html><head><title>%s</title></head>"
        "<body><h1>%s</h1></body></html>")


def show(arrow, text):
    try:
        text = json.dumps(json.loads(text), ensure_ascii=False)
    except ValueError:
        pass
    print("%s %s" % (arrow, text), flush=True)


class Session:
    def __init__(self, host):
        self.host = host

    def send(self, request):
        show("extension -> host:", json.dumps(request))
        self.host.send(request)

    def receive_until(self, action, quiet=0.7):
        """Prints what the host says until `action` came and it falls quiet."""
        seen = False
        while True:
            try:
                text = self.host.read_text(timeout=quiet if seen else 20)
            except AssertionError:
                if seen:
                    return
                raise
            if text is None:
                return
            show("host -> extension:", text)
            seen = seen or json.loads(text)["action"] == action


def diagnose(exe):
    """Prints what `tabbridge.exe /diagnose` finds about the installation."""
    proc = subprocess.run(["wine", exe, "/diagnose"], stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
    print("tabbridge.exe /diagnose (exit code %d):" % proc.returncode, flush=True)
    print(proc.stdout.decode("utf-8").replace("\r\n", "\n"), flush=True)


def install(exe, browser):
    """Runs installer mode; returns the installed executable as the browser
    finds it: host key, then manifest, then its "path"."""
    print("started tabbridge.exe without arguments: installer mode", flush=True)
    host = HostProcess(exe, ())
    box = browser.close_box("Install ")
    print('message box "%s": %s' % (box["caption"], box["text"]), flush=True)
    print("tabbridge.exe exited with code %d" % host.wait_exit(), flush=True)
    values = host_key_values()
    for name, (kind, data) in sorted(values.items()):
        print("registry %s %s = %s" % (name or "(default)", kind, data), flush=True)
    with open(unix_path(values[""][1]), encoding="utf-8") as f:
        text = f.read()
    print("manifest %s:\n%s" % (values[""][1], text), flush=True)
    return json.loads(text)["path"]


def main():
    exe, picture_exe, shot = sys.argv[1:4]
    server = LoopbackServer()
    server.add_page("/portal", PAGE % ("Intranet Portal", "Legacy intranet portal"))
    server.add_page("/reports", PAGE % ("Quarterly Reports", "Reports shown in IE mode"))
    copy = HostCopy(exe)
    with StandInEngine():
        browser = StandInBrowser(BROWSER_TITLE)
        host = None
        try:
            installed = install(copy.exe, browser)
            diagnose(copy.exe)
            host = HostProcess(installed)
            session = Session(host)
            print("started %s" % " ".join(host.proc.args[1:]), flush=True)
            for request in ({"action": "host_ping", "session_id": 1},
                            {"action": "host_check_version", "session_id": 2,
                             "version": "2.26.20.0"},
                            {"action": "host_get_default_emulation", "session_id": 3}):
                session.send(request)
                show("host -> extension:", host.read_text())
            session.send({"action": "host_create", "session_id": 4, "width": 984, "height": 600,
                          "port": "demo-port", "title": "Intranet Portal",
                          "url": server.url("/portal"), "cookie": "demo%3Dyes"})
            session.receive_until("client_title_change")
            session.send({"action": "host_attach", "frame_id": 1, "title": "Intranet Portal",
                          "width": 984, "height": 600})
            session.receive_until("client_attach_state")
            browser.command("render 0 80 900 560")
            session.send({"action": "host_resize", "frame_id": 1, "width": 900, "height": 560})
            session.send({"action": "host_navigate", "frame_id": 1,
                          "url": server.url("/reports")})
            session.receive_until("client_title_change")
            rects = browser.rects()
            frames = [c for c in rects["children"] if c["class"].startswith("ATL:")]
            print("render window %s, frame %s" % (rects["render"]["rect"],
                                                  frames[0]["rect"] if frames else None),
                  flush=True)
            # The frame's own drawing over the browser's pixels: under Wine
            # another process's child window never reaches the display.
            picture(picture_exe, rects["top_hwnd"], [frames[0]["hwnd"]], shot)
            session.send({"action": "host_close", "frame_id": 1, "session_id": 5})
            print("tabbridge.exe exited with code %d" % host.wait_exit(), flush=True)
        finally:
            if host:
                host.kill()
            browser.close()
            copy.remove()
            server.close()


if __name__ == "__main__":
    main()
