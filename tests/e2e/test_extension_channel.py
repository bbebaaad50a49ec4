"""End to end: the real tabbridge.exe under Wine, driven through its pipes."""

import struct
import unittest

from host_process import HostTestCase, frame


def answer(session_id, ret):
    return ('{"action":"client_common_response","session_id":%d,"ret":"%s",'
            '"version":"2.26.20.0"}' % (session_id, ret))


def pings(count):
    return b"".join(frame({"action": "host_ping", "session_id": i}) for i in range(count))


class ChannelTest(HostTestCase):
    def test_default_emulation_follows_the_engine(self):
        host = self.start()
        # Wine's engine reports version 6, below every standards mode.
        host.send({"action": "host_get_default_emulation", "session_id": 4})
        self.assertEqual(host.read_text(), answer(4, "7000"))

    def test_malformed_requests_get_no_answer_and_a_burst_after_them_is_answered_in_order(self):
        host = self.start()
        host.send("this is not json")
        host.send({"action": 12, "session_id": 1})
        host.send({"action": "host_check_version", "session_id": 2})  # no version
        host.send(b'{"action":"host_ping","session_id":0}\x00{"garbage')
        host.write(pings(1000))
        for i in [0] + list(range(1000)):
            self.assertEqual(host.read_text(), answer(i, "-1"))
        self.assertRaises(AssertionError, host.read_text, 1.0)  # nothing more

    def test_bad_frames_and_end_of_input_end_the_process(self):
        # A bad length ends the process with its input still open.
        for name, data, close in (
                ("zero length", struct.pack("<I", 0) + pings(1), False),
                ("lying length", struct.pack("<I", 0x7FFFFFFF) + b"{" * 1000, True),
                ("end of input", b"", True)):
            with self.subTest(name):
                host = self.start()
                host.write(pings(1) + data)
                self.assertEqual(host.read_text(), answer(0, "-1"))
                if close:
                    host.close_input()
                self.assertEqual(host.wait_exit(), 1)
                self.assertIsNone(host.read_text())

    def test_end_of_input_inside_a_burst_ends_the_process_every_time(self):
        burst = pings(1000)
        for run in range(50):
            host = self.start()
            host.write(burst[:len(burst) // 2 + 3])  # ends inside a frame
            host.close_input()
            self.assertEqual(host.wait_exit(timeout=10), 1, "run %d" % run)

    def test_exit_codes(self):
        # Installer mode's code: test_installer.
        self.assertEqual(self.start(["/devtools", "/p:1234", "/h:5678"]).wait_exit(), 1)

    def test_manifest_declares_windows_8(self):
        # Windows lets child windows be layered only for programs that declare Windows 8+.
        with open(self.exe, "rb") as exe:
            self.assertIn(b'<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>', exe.read())


if __name__ == "__main__":
    unittest.main()
