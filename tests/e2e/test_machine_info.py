"""End to end: the policy and device-identifier documents the host answers,
from what the Wine prefix holds and reports."""

import codecs
import json
import os
import re
import subprocess
import tempfile
import unittest
import zlib

from host_process import HostTestCase, WAIT, WINE, reg

POLICY_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Policies\tabbridge"


def import_reg(text):
    with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as f:
        f.write(codecs.BOM_UTF16_LE + ("Windows Registry Editor Version 5.00\r\n\r\n" + text)
                .replace("\n", "\r\n").encode("utf-16-le"))
    try:
        subprocess.run([WINE, "regedit", "/S", f.name], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=WAIT,
                       check=True)
    finally:
        os.unlink(f.name)


def wine_output(*args):
    out = subprocess.run([WINE] + list(args), stdin=subprocess.DEVNULL, capture_output=True,
                         timeout=WAIT * 3, check=True).stdout
    return out.decode("utf-16" if out.startswith(codecs.BOM_UTF16_LE) else "utf-8")


def crc(text):
    return "%08X" % zlib.crc32(text.encode("ascii"))


class MachineInfoTest(HostTestCase):
    def ask(self, action):
        host = self.start()
        host.send({"action": action, "session_id": 5})
        answer = host.read()
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        return answer["ret"]

    def test_group_policies_from_the_registry(self):
        reg("delete", POLICY_KEY)
        self.addCleanup(reg, "delete", POLICY_KEY)
        self.assertEqual(self.ask("host_group_policies"), "")
        import_reg("[%s]\n"
                   '"show_banner"=dword:00000000\n"compatible"=dword:00002af9\n'
                   '"favicon"=dword:ffffffff\n"Auto_Mode"=dword:00000001\n"sync_cookie"="1"\n'
                   '[%s\\rules]\n"1"="b"\n"2"="a"\n"3"="a"\n"4"="caf\u00e9.example"\n'
                   '"5"=hex(2):78,00,00,00\n'
                   '[%s\\ex_rules]\n"1"=hex(7):79,00,00,00,00,00\n"2"="z"\n'
                   % (POLICY_KEY, POLICY_KEY, POLICY_KEY))
        text = self.ask("host_group_policies")
        option = json.loads(text)["option"]
        self.assertEqual(list(option.items()),
                         [("compatible", 11001), ("favicon", 4294967295), ("show_banner", 0),
                          ("rules", ["a", "b", "caf\u00e9.example"]), ("ex_rules", ["z"])])
        self.assertIn("\n", text)  # formatted, not compact

    def test_device_id_of_what_wine_reports(self):
        uuid = wine_output("wmic", "path", "Win32_ComputerSystemProduct", "get", "UUID").split()[1]
        adapters = wine_output("wmic", "nic", "get", "MACAddress,PNPDeviceID").split("\n")[1:]
        macs = [line.split()[0] for line in adapters
                if re.match(r"\S+\s+(PCI|USB)", line.strip())]
        serial = re.search(r"([0-9A-F]{4})-([0-9A-F]{4})", wine_output("cmd", "/c", "vol", "c:"))
        expected = {"b": crc(uuid), "d": crc(serial.group(1) + serial.group(2)),
                    "m": "-".join(crc(mac) for mac in macs)}
        document = json.loads(self.ask("host_deviceid"))
        self.assertEqual(document, {k: v for k, v in expected.items() if v})


if __name__ == "__main__":
    unittest.main()
