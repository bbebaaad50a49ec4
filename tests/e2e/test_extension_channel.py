"""End to end: the real tabbridge.exe under Wine, driven through its pipes."""

import os
import struct
import unittest
import xml.etree.ElementTree as ElementTree

from host_process import HostTestCase, frame, reg_delete_value, reg_set_dword

VERSION = "2.26.20.0"
SETTINGS_KEY = r"HKCU\Software\tabbridge"


def common_response(session_id, ret):
    return ('{"action":"client_common_response","session_id":%d,"ret":"%s","version":"%s"}'
            % (session_id, ret, VERSION))


def pings(count):
    return b"".join(frame({"action": "host_ping", "session_id": i}) for i in range(count))


class RequestsTest(HostTestCase):
    def test_process_wide_answers(self):
        host = self.start()
        for request, answer in (
                ({"action": "host_ping"}, common_response(-1, "-1")),
                ({"action": "HOST_CHECK_VERSION", "Session_ID": 2, "version": "2.26.21.0"},
                 common_response(2, "update")),
                ({"action": "host_teleport", "session_id": 7}, common_response(7, "unknown")),
                # Wine's engine reports version 6, below every standards mode.
                ({"action": "host_get_default_emulation", "session_id": 4},
                 common_response(4, "7000"))):
            host.send(request)
            self.assertEqual(host.read_text(), answer)

    def test_malformed_requests_get_no_answer_and_later_ones_do(self):
        host = self.start()
        host.send("this is not json")
        host.send({"action": 12, "session_id": 1})
        host.send({"action": "host_check_version", "session_id": 2})  # no version
        host.send({"action": "host_close", "frame_id": 99, "session_id": 9})  # unknown frame
        host.send(b'{"action":"host_ping","session_id":8}\x00{"garbage')
        self.assertEqual(host.read_text(), common_response(8, "-1"))
        host.expect_silence(1.0)

    def test_burst_of_requests_is_answered_in_order(self):
        host = self.start()
        host.write(pings(1000))
        for i in range(1000):
            self.assertEqual(host.read_text(), common_response(i, "-1"))


class EndOfInputTest(HostTestCase):
    def test_bad_frames_and_end_of_input_end_the_process(self):
        # A bad length ends the process with its input still open.
        for name, data, close in (
                ("zero length", struct.pack("<I", 0) + pings(1), False),
                ("negative length", struct.pack("<I", 0x80000000) + b"x" * 64, False),
                ("truncated frame", struct.pack("<I", 100) + b'{"action":"host_ping"', True),
                ("lying length", struct.pack("<I", 0x7FFFFFFF) + b"{" * 1000, True),
                ("end of input", b"", True)):
            with self.subTest(name):
                host = self.start()
                host.write(pings(1) + data)
                self.assertEqual(host.read_text(), common_response(0, "-1"))
                if close:
                    host.close_input()
                self.assertEqual(host.wait_exit(), 1)
                self.assertIsNone(host.read_text())

    def test_end_of_input_inside_a_burst_ends_the_process_every_time(self):
        burst = pings(1000)
        cut = len(burst) // 2 + 3  # inside a frame
        for run in range(50):
            host = self.start()
            host.write(burst[:cut])
            host.close_input()
            self.assertEqual(host.wait_exit(timeout=10), 1, "run %d" % run)
            host.kill()
            self.hosts.remove(host)


class RunModeTest(HostTestCase):
    def test_exit_codes(self):
        for args, code in (([], 0),  # installer mode: no origin
                           (["/devtools", "/p:1234", "/h:5678"], 1),
                           (["/devtools", "/p:1234"], 0)):  # no window: installer mode
            with self.subTest(args=args):
                self.assertEqual(self.start(args).wait_exit(), code)

    def test_extension_switch_in_capitals(self):
        host = self.start(["/EXTENSION"])
        host.send({"action": "host_ping", "session_id": 2})
        self.assertEqual(host.read_text(), common_response(2, "-1"))

    def test_manifest_declares_windows_7_to_11(self):
        # Windows lets child windows be layered only for programs that declare Windows 8+.
        with open(os.environ["TABBRIDGE_EXE"], "rb") as exe:
            data = exe.read()
        start = data.index(b"<assembly")
        end = data.index(b"</assembly>", start) + len(b"</assembly>")
        assembly = ElementTree.fromstring(data[start:end])
        ids = {os_id.get("Id") for os_id in assembly.iter(
            "{urn:schemas-microsoft-com:compatibility.v1}supportedOS")}
        self.assertEqual(ids, {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})


class LogFileTest(HostTestCase):
    def tearDown(self):
        reg_delete_value(SETTINGS_KEY, "LogLevel")
        super().tearDown()

    def run_close_of_unknown_frame(self):
        host = self.start()
        host.send({"action": "host_close", "frame_id": 5, "session_id": 1})
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        with open(self.host_copy.log_path, "rb") as f:
            return f.read().decode("utf-8")

    def test_default_threshold_leaves_an_empty_log(self):
        reg_delete_value(SETTINGS_KEY, "LogLevel")
        self.assertEqual(self.run_close_of_unknown_frame(), "")

    def test_debug_threshold_logs_requests_and_exit(self):
        reg_set_dword(SETTINGS_KEY, "LogLevel", 0)
        lines = self.run_close_of_unknown_frame().split("\r\n")
        self.assertEqual(lines[-1], "")
        self.assertEqual([line.split("] ", 1)[1] for line in lines[:-1]], [
            "CrxClose FrameId 5",
            "CrxClose not found  CMainFrameController 5",
            "QuitExtension",
            "Process Exit",
        ])
        for line in lines[:-1]:
            self.assertRegex(line, r"^\[\d+ *\|\d+ *\|\d\d-\d\d \d\d:\d\d:\d\d\|  DEBUG\|\w+\.cc:\d+\] ")


if __name__ == "__main__":
    unittest.main()
