"""What the installer leaves in the prefix: the profile folder and the
browser's registration key."""

import os
import re
import subprocess

from host_process import WAIT, WINE

HOST_KEY = r"HKCU\Software\Google\Chrome\NativeMessagingHosts\com.tabbridge.helper"


def local_app_data():
    """The prefix's local application data folder: (Windows path, Linux path)."""
    out = subprocess.run([WINE, "cmd", "/c", "echo", "%LOCALAPPDATA%"], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, timeout=WAIT).stdout.strip()
    drive, rest = out.split(":", 1)
    assert drive.upper() == "C", out
    return out, os.path.join(os.environ["WINEPREFIX"], "drive_c", *rest.strip("\\").split("\\"))


def host_key_values():
    """The host key's values as {name: (type, data)}, "" for the default one;
    None when the key is missing."""
    result = subprocess.run([WINE, "reg", "query", HOST_KEY], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=WAIT)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        match = re.match(r"\s+(\S.*?)\s+(REG_\w+)\s*(.*)$", line)
        if match:
            name = "" if match.group(1) == "(Default)" else match.group(1)
            values[name] = (match.group(2), match.group(3))
    return values
