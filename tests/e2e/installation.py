# Where the installer puts things in the test prefix: the profile folder and
# the browser's registration key.

import getpass
import os
import re
import subprocess

from host_process import WAIT, WINE

HOST_KEY = r"HKCU\Software\Google\Chrome\NativeMessagingHosts\com.tabbridge.helper"
# Wine names the profile after the Unix user.
APP_DATA = "C:\\users\\%s\\AppData\\Local" % getpass.getuser()


def unix_path(windows_path):
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *windows_path[3:].split("\\"))


def host_key_values():
    # {name: (type, data)}, "" for the default value; {} when the key is missing.
    out = subprocess.run([WINE, "reg", "query", HOST_KEY], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, timeout=WAIT).stdout
    lines = (re.match(r"\s+(\S.*?)\s+(REG_\w+)\s*(.*)$", line) for line in out.splitlines())
    return {m[1].replace("(Default)", ""): (m[2], m[3]) for m in lines if m}
