"""End to end: the real tabbridge.exe under Wine, driven through its pipes."""

import json
import os
import struct
import time
import unittest
import xml.etree.ElementTree as ElementTree

from host_process import (HostCopy, HostProcess, frame, reg_delete_value, reg_query,
                          reg_set_dword, WAIT)

VERSION = "2.26.20.0"
SETTINGS_KEY = r"HKCU\Software\tabbridge"
EMULATION_KEY = SETTINGS_KEY + r"\Main\FeatureControl\FEATURE_BROWSER_EMULATION"


def common_response(session_id, ret):
    return ('{"action":"client_common_response","session_id":%d,"ret":"%s","version":"%s"}'
            % (session_id, ret, VERSION))


class HostTestCase(unittest.TestCase):
    def setUp(self):
        self.copy = HostCopy()
        self.hosts = []

    def tearDown(self):
        for host in self.hosts:
            host.kill()
        self.copy.remove()

    def start(self, *args):
        host = HostProcess(self.copy.exe, *args)
        self.hosts.append(host)
        return host


class ProcessWideRequestsTest(HostTestCase):
    def test_ping_without_members_answers_defaults(self):
        host = self.start()
        host.send({"action": "host_ping"})
        self.assertEqual(host.read_text(), common_response(-1, "-1"))

    def test_check_version(self):
        host = self.start()
        host.send({"action": "host_check_version", "session_id": 1, "version": VERSION})
        host.send({"action": "HOST_CHECK_VERSION", "Session_ID": 2, "version": "2.26.21.0"})
        host.send({"action": "host_check_version", "session_id": 3, "version": "2.26.19.0"})
        self.assertEqual(host.read_text(), common_response(1, ""))
        self.assertEqual(host.read_text(), common_response(2, "update"))
        self.assertEqual(host.read_text(), common_response(3, "update"))

    def test_unknown_action_echoes_session(self):
        host = self.start()
        host.send({"action": "host_teleport", "session_id": 7})
        self.assertEqual(host.read_text(), common_response(7, "unknown"))

    def test_default_emulation_follows_the_installed_engine(self):
        # Wine's engine reports version 6, below every standards mode.
        host = self.start()
        host.send({"action": "host_get_default_emulation", "session_id": 4})
        self.assertEqual(host.read_text(), common_response(4, "7000"))

    def test_set_emulation_is_stored_for_the_next_process(self):
        host = self.start()
        host.send({"action": "host_set_emulation", "session_id": 5, "mode": 8888})
        self.assertEqual(host.read_text(), common_response(5, "-1"))
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        for name in ("iexplore.exe", "tabbridge.exe"):
            self.assertEqual(reg_query(EMULATION_KEY, name), ("REG_DWORD", "0x22b8"))
        # The default still follows the engine, not the stored choice.
        host = self.start()
        host.send({"action": "host_get_default_emulation", "session_id": 6})
        self.assertEqual(host.read_text(), common_response(6, "7000"))


class BadInputTest(HostTestCase):
    def test_malformed_requests_get_no_answer_and_later_ones_do(self):
        host = self.start()
        host.send("this is not json")
        host.send({"no_action": 1})
        host.send({"action": 12, "session_id": 1})
        host.send({"action": "host_check_version", "session_id": 2})  # no version
        host.send({"action": "host_close", "frame_id": 3})  # no session id
        host.send({"action": "host_close", "frame_id": 99, "session_id": 9})  # unknown frame
        host.send({"action": "host_resize", "frame_id": 1, "width": 10})  # no height
        host.send(b'{"action":"host_ping","session_id":8}\x00{"garbage')
        self.assertEqual(host.read_text(), common_response(8, "-1"))
        host.expect_silence(1.0)

    def assert_ends_with_exit_code_1(self, data):
        host = self.start()
        host.send({"action": "host_ping", "session_id": 1})
        self.assertEqual(host.read_text(), common_response(1, "-1"))
        host.write(data)
        self.assertEqual(host.wait_exit(), 1)
        self.assertIsNone(host.read_text())
        return host

    def test_zero_length_ends_the_process(self):
        self.assert_ends_with_exit_code_1(struct.pack("<I", 0) + frame({"action": "host_ping"}))

    def test_negative_length_ends_the_process(self):
        self.assert_ends_with_exit_code_1(struct.pack("<I", 0x80000000) + b"x" * 64)

    def test_truncated_frame_ends_the_process(self):
        host = self.start()
        host.write(struct.pack("<I", 100) + b'{"action":"host_ping"')
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        self.assertIsNone(host.read_text())

    def test_lying_length_then_end_of_input(self):
        host = self.start()
        host.write(struct.pack("<I", 0x7FFFFFFF) + b"{" * 1000)
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)

    def test_closed_input_ends_the_process(self):
        host = self.start()
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        self.assertEqual(bytes(host.raw), b"")


class ThroughputTest(HostTestCase):
    def test_burst_of_requests_is_answered_in_order(self):
        host = self.start()
        burst = b"".join(frame({"action": "host_ping", "session_id": i}) for i in range(1000))
        host.write(burst)
        for i in range(1000):
            self.assertEqual(host.read_text(), common_response(i, "-1"))
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)


class ExitTest(HostTestCase):
    def test_end_of_input_inside_a_burst_ends_the_process_every_time(self):
        burst = b"".join(frame({"action": "host_ping", "session_id": i}) for i in range(1000))
        cut = len(burst) // 2 + 3  # inside a frame
        for run in range(50):
            host = self.start()
            host.write(burst[:cut])
            host.close_input()
            self.assertEqual(host.wait_exit(timeout=10), 1, "run %d" % run)
            host.kill()
            self.hosts.remove(host)


class RunModeTest(HostTestCase):
    def test_installer_mode_without_origin(self):
        host = self.start([])
        self.assertEqual(host.wait_exit(), 0)

    def test_devtools_mode(self):
        host = self.start(["/devtools", "/p:1234", "/h:5678"])
        self.assertEqual(host.wait_exit(), 1)

    def test_devtools_without_window_is_installer_mode(self):
        host = self.start(["/devtools", "/p:1234"])
        self.assertEqual(host.wait_exit(), 0)

    def test_extension_switch_in_capitals(self):
        host = self.start(["/EXTENSION"])
        host.send({"action": "host_ping", "session_id": 2})
        self.assertEqual(host.read_text(), common_response(2, "-1"))


class ExecutableTest(unittest.TestCase):
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

    def read_log(self):
        with open(self.copy.log_path, "rb") as f:
            return f.read().decode("utf-8")

    def test_default_threshold_leaves_an_empty_log(self):
        reg_delete_value(SETTINGS_KEY, "LogLevel")
        host = self.start()
        host.send({"action": "host_close", "frame_id": 5, "session_id": 1})
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        self.assertEqual(self.read_log(), "")

    def test_debug_threshold_logs_requests_and_exit(self):
        reg_set_dword(SETTINGS_KEY, "LogLevel", 0)
        host = self.start()
        host.send({"action": "host_close", "frame_id": 5, "session_id": 1})
        host.send({"action": "host_ping", "session_id": 2})
        self.assertEqual(host.read_text(), common_response(2, "-1"))
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        lines = self.read_log().split("\r\n")
        self.assertEqual(lines[-1], "")
        texts = [line.split("] ", 1)[1] for line in lines[:-1]]
        self.assertEqual(texts, [
            "CrxClose FrameId 5",
            "CrxClose not found  CMainFrameController 5",
            "QuitExtension",
            "Process Exit",
        ])
        for line in lines[:-1]:
            self.assertRegex(line, r"^\[\d+ *\|\d+ *\|\d\d-\d\d \d\d:\d\d:\d\d\|  DEBUG\|\w+\.cc:\d+\] ")


if __name__ == "__main__":
    unittest.main()
