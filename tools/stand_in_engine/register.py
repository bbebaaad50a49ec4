"""Puts the stand-in engine in the WebBrowser control's place in a Wine
prefix, for end-to-end tests of the unchanged tabbridge.exe, and reads the
engine's journal.

    from register import Journal, StandInEngine

    with StandInEngine(), Journal() as journal:
        host = HostProcess(exe)          # inherits the journal's variable
        ...
        titles = [line["title"] for line in journal.records("document")]

The registration goes to HKLM\\Software\\Classes (Wine 8 ignores class
registrations in the user's hive) through `wine reg`, in the prefix named
by WINEPREFIX; the previous registration, Wine's own control, comes back
when the block ends. C++ tests that register the engine hold a lock this
module cannot take: run tests that use it serially (ctest RUN_SERIAL).

Run as a script it registers (`install [DLL]`), shows the registration
(`show`) or gives the prefix Wine's control back (`wine`).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

CLSID_WEB_BROWSER = "{8856F961-340A-11D0-A96B-00C04FD705A2}"
SERVER_KEY = "HKLM\\Software\\Classes\\CLSID\\%s\\InprocServer32" % CLSID_WEB_BROWSER
JOURNAL_VARIABLE = "STAND_IN_ENGINE_JOURNAL"
DEFAULT_NAME = "(Default)"
WINE_CONTROL = {DEFAULT_NAME: "C:\\windows\\system32\\ieframe.dll", "ThreadingModel": "Apartment"}
REG_TIMEOUT = 60.0

_VALUE_LINE = re.compile(r"^\s+(.+?)\s{4}(REG_\w+)\s{4}(.*)$")


def wine():
    return shutil.which("wine") or "/usr/bin/wine"


def windows_path(path):
    """The path as Wine programs see it: the Linux root is drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def default_dll():
    """STAND_IN_ENGINE_DLL, or stand_in_engine.dll beside TABBRIDGE_EXE."""
    if os.environ.get("STAND_IN_ENGINE_DLL"):
        return os.environ["STAND_IN_ENGINE_DLL"]
    exe = os.environ.get("TABBRIDGE_EXE", "")
    return os.path.join(os.path.dirname(os.path.abspath(exe)), "stand_in_engine.dll")


def _reg(args):
    result = subprocess.run([wine(), "reg"] + args, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            timeout=REG_TIMEOUT, check=False)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def read_registration():
    """The string values of the server key, by name; {} when it is missing."""
    code, out = _reg(["query", SERVER_KEY])
    values = {}
    if code != 0:
        return values
    for line in out.splitlines():
        match = _VALUE_LINE.match(line)
        if match and match.group(2) == "REG_SZ":
            values[match.group(1)] = match.group(3)
    return values


def write_registration(values):
    """Makes the server key's values exactly `values`."""
    for name in read_registration():
        if name not in values:
            selector = ["/ve"] if name == DEFAULT_NAME else ["/v", name]
            _reg(["delete", SERVER_KEY] + selector + ["/f"])
    for name, data in values.items():
        selector = ["/ve"] if name == DEFAULT_NAME else ["/v", name]
        code, _ = _reg(["add", SERVER_KEY] + selector + ["/t", "REG_SZ", "/d", data, "/f"])
        if code != 0:
            raise RuntimeError("wine reg could not write %s %s" % (SERVER_KEY, name))


class StandInEngine:
    """While the block runs, CLSID_WebBrowser is the stand-in engine."""

    def __init__(self, dll=None):
        self.dll = dll or default_dll()
        self.saved = None

    def __enter__(self):
        if not os.path.isfile(self.dll):
            raise FileNotFoundError(self.dll)
        self.saved = read_registration()
        wanted = {DEFAULT_NAME: windows_path(self.dll), "ThreadingModel": "Apartment"}
        try:
            write_registration(wanted)
            if read_registration() != wanted:
                raise RuntimeError("the stand-in engine's registration did not hold")
        except BaseException:
            write_registration(self.saved)
            raise
        return self

    def __exit__(self, *exc):
        write_registration(self.saved)
        return False


def _unescape(text):
    out = []
    chars = iter(text)
    for c in chars:
        if c != "\\":
            out.append(c)
            continue
        code = next(chars, "")
        out.append({"t": "\t", "n": "\n", "r": "\r"}.get(code, code))
    return "".join(out)


class Journal:
    """A fresh journal file for the engine, named in os.environ (so host
    processes started in the block inherit it) and removed afterwards."""

    def __init__(self):
        handle, self.path = tempfile.mkstemp(prefix="stand-in-journal-", suffix=".txt")
        os.close(handle)
        self._previous = None

    def __enter__(self):
        self._previous = os.environ.get(JOURNAL_VARIABLE)
        os.environ[JOURNAL_VARIABLE] = windows_path(self.path)
        return self

    def __exit__(self, *exc):
        if self._previous is None:
            os.environ.pop(JOURNAL_VARIABLE, None)
        else:
            os.environ[JOURNAL_VARIABLE] = self._previous
        os.unlink(self.path)
        return False

    def lines(self):
        """Every line as a dict of its fields, the record name under "record"."""
        with open(self.path, "rb") as journal:
            text = journal.read().decode("utf-8", "replace")
        parsed = []
        for line in text.split("\n"):
            if not line:
                continue
            parts = line.split("\t")
            fields = {"record": _unescape(parts[0])}
            for part in parts[1:]:
                key, _, value = part.partition("=")
                fields[_unescape(key)] = _unescape(value)
            parsed.append(fields)
        return parsed

    def records(self, record):
        return [line for line in self.lines() if line["record"] == record]


def main(argv):
    command = argv[1] if len(argv) > 1 else "show"
    if command == "install":
        write_registration({DEFAULT_NAME: windows_path(argv[2] if len(argv) > 2 else default_dll()),
                            "ThreadingModel": "Apartment"})
    elif command == "wine":
        write_registration(WINE_CONTROL)
    elif command != "show":
        print(__doc__)
        return 2
    for name, data in read_registration().items():
        print("%s = %s" % (name, data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
