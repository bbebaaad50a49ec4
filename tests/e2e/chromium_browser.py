"""Debian's Chromium, headless, with our test extension (tests/e2e/chromium)
talking to native hosts that run under this Wine through the browser's own
native messaging. `play` runs one case of the extension and returns what the
extension reports."""

import base64
import hashlib
import json
import os
import shlex
import shutil
import subprocess
import tempfile
import time
import urllib.parse

from host_process import WAIT, WINE

CHROMIUM = shutil.which("chromium")
EXTENSION_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chromium")
HOST_NAME = "com.tabbridge.helper"
WINE_ENVIRONMENT = ("WINEPREFIX", "WINESERVER", "WINEDEBUG", "WINEDLLOVERRIDES", "DISPLAY")


def extension_origin():
    with open(os.path.join(EXTENSION_DIR, "manifest.json")) as f:
        key = base64.b64decode(json.load(f)["key"])
    digest = hashlib.sha256(key).hexdigest()[:32]
    return "chrome-extension://%s/" % "".join(chr(ord("a") + int(c, 16)) for c in digest)


def _register_host(profile, name, command):
    """Chromium on Linux reads a profile's own hosts from
    <user-data-dir>/NativeMessagingHosts; the host is a script that runs the
    command (an exe, then arguments after the browser's) under this test's
    Wine prefix and display."""
    script = os.path.join(os.path.dirname(profile), name + ".sh")
    exports = "".join("export %s=%s\n" % (var, shlex.quote(os.environ[var]))
                      for var in WINE_ENVIRONMENT if var in os.environ)
    with open(script, "w") as f:
        f.write("#!/bin/sh\n%sexec %s %s \"$@\" %s\n" % (exports, WINE, shlex.quote(command[0]),
                                                          shlex.join(command[1:])))
    os.chmod(script, 0o755)
    hosts = os.path.join(profile, "NativeMessagingHosts")
    os.makedirs(hosts, exist_ok=True)
    with open(os.path.join(hosts, name + ".json"), "w") as f:
        json.dump({"name": name, "description": "test host", "path": script, "type": "stdio",
                   "allowed_origins": [extension_origin()]}, f)


def play(server, config, hosts, timeout=WAIT * 6):
    """Runs the case config["case"] with the native hosts `hosts` (name ->
    exe, or [exe, argument...]); `server` is the LoopbackServer that hears
    the report."""
    work = tempfile.mkdtemp(prefix="tabbridge-chromium-")
    try:
        profile, extension = os.path.join(work, "profile"), os.path.join(work, "extension")
        shutil.copytree(EXTENSION_DIR, extension)
        for name, command in hosts.items():
            _register_host(profile, name, [command] if isinstance(command, str) else command)
        report = "/report/%s" % config["case"]
        with open(os.path.join(extension, "config.json"), "w") as f:
            json.dump(dict(config, report=server.url(report)), f)
        with open(os.path.join(work, "chromium.log"), "w+") as log:
            browser = subprocess.Popen(
                [CHROMIUM, "--headless=new", "--no-sandbox", "--no-first-run",
                 "--user-data-dir=" + profile, "--load-extension=" + extension,
                 "--disable-extensions-except=" + extension, "about:blank"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log)
            try:
                return _wait_report(server, report + "/", browser, log, timeout)
            finally:
                browser.terminate()
                browser.wait()
    finally:
        shutil.rmtree(work, ignore_errors=True)


def _wait_report(server, prefix, browser, log, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and browser.poll() is None:
        for path, _ in list(server.requests):
            if path.startswith(prefix):
                result = json.loads(urllib.parse.unquote(path[len(prefix):]))
                if isinstance(result, dict) and "error" in result:
                    raise AssertionError("the extension failed: " + result["error"])
                return result
        time.sleep(0.1)
    log.seek(0)
    raise AssertionError("no report from the extension; browser's log:\n" + log.read()[-4000:])
