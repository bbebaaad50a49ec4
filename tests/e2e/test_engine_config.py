"""End to end: what the real tabbridge.exe sets up at start-up, seen from
outside: the write guard on the channel, and the feature-control keys, which
under Wine (engine version 6) start-up reads but never writes."""

import os
import subprocess
import unittest

from host_process import HostTestCase, reg_query, reg_set_dword, run_wine, wine, WAIT

SETTINGS_KEY = r"HKCU\Software\tabbridge"
FEATURE_CONTROL_KEY = SETTINGS_KEY + r"\Main\FeatureControl"
EMULATION_KEY = FEATURE_CONTROL_KEY + r"\FEATURE_BROWSER_EMULATION"
INTRUDER = b'{"action":"intruder"}'


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def reg_delete_key(key):
    run_wine(["reg", "delete", key, "/f"])


def key_exists(key):
    return run_wine(["reg", "query", key]).returncode == 0


def reg_set_text(key, name, text):
    run_wine(["reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", text, "/f"])


def run_inside(exe, routine):
    """Runs a routine of the outside-caller library on a new thread of the
    running `exe`; returns its result."""
    result = subprocess.run(
        [wine(), os.environ["TB_INJECT_EXE"], windows_path(exe),
         windows_path(os.environ["TB_OUTSIDE_CALLER_DLL"]), routine],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
        timeout=WAIT, check=False)
    if result.returncode != 0:
        raise AssertionError("could not run %s inside %s" % (routine, exe))
    return int(result.stdout.decode().strip())


def inject_pipe_writer(exe):
    """Makes a library inside the running `exe` write a frame to every pipe
    handle of that process. Returns (pipes found, writes that succeeded)."""
    value = run_inside(exe, "WriteFrameToEveryPipe")
    return value // 256, value % 256


def ping(host, session_id):
    host.send({"action": "host_ping", "session_id": session_id})
    return host.read()


class WriteGuardTest(HostTestCase):
    def test_a_library_writing_to_the_channel_reaches_nothing(self):
        exe = self.host_copy.exe
        host = self.start()
        self.assertEqual(ping(host, 1)["session_id"], 1)  # start-up is over
        pipes, written = inject_pipe_writer(exe)
        self.assertGreaterEqual(pipes, 2)  # the channel's input and output at least
        self.assertEqual(written, 0)
        # The next thing on the channel is the next answer, and nothing
        # foreign is on it when it ends.
        self.assertEqual(ping(host, 2)["session_id"], 2)
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        self.assertIsNone(host.read_text())
        self.assertNotIn(INTRUDER, bytes(host.raw))

    def test_without_the_guard_the_same_library_reaches_the_extension(self):
        # The echo host shares the channel code but installs no guard: this
        # is what the guard keeps out.
        exe = self.copy(os.environ["ECHO_HOST_EXE"]).exe
        host = self.start(exe=exe)
        self.assertEqual(ping(host, 1)["session_id"], 1)
        pipes, written = inject_pipe_writer(exe)
        self.assertGreaterEqual(written, 1)
        self.assertEqual(host.read(), {"action": "intruder"})
        host.close_input()
        host.wait_exit()


class RegistryRedirectionTest(HostTestCase):
    """Registry reads made inside the running host, by a library as the
    engine makes them."""

    ANSWERED_OPTION = 1
    REDIRECTED_KEY = 2

    def setUp(self):
        super().setUp()
        reg_set_dword(FEATURE_CONTROL_KEY, "tb_probe", 1)

    def tearDown(self):
        super().tearDown()
        reg_delete_key(FEATURE_CONTROL_KEY)

    def test_extension_mode_redirects_the_engines_reads(self):
        exe = self.host_copy.exe
        host = self.start()
        self.assertEqual(ping(host, 1)["session_id"], 1)
        self.assertEqual(run_inside(exe, "ProbeRegistryRedirection"),
                         self.ANSWERED_OPTION | self.REDIRECTED_KEY)

    def test_a_process_without_the_redirection_reads_the_registry(self):
        exe = self.copy(os.environ["ECHO_HOST_EXE"]).exe
        host = self.start(exe=exe)
        self.assertEqual(ping(host, 1)["session_id"], 1)
        self.assertEqual(run_inside(exe, "ProbeRegistryRedirection"), 0)


class EmulationTest(HostTestCase):
    """Wine's engine is version 6: start-up applies the stored mode to a
    process but writes no feature value, so whatever is stored stays."""

    def setUp(self):
        super().setUp()
        reg_delete_key(FEATURE_CONTROL_KEY)

    def tearDown(self):
        super().tearDown()
        reg_delete_key(FEATURE_CONTROL_KEY)

    def run_session(self, *messages, inside=None):
        """Sends the messages, runs `inside` in the host if given, then ends
        the host; returns what `inside` returned."""
        host = self.start()
        for session_id, message in enumerate(messages):
            host.send(dict(message, session_id=session_id))
            self.assertEqual(host.read()["session_id"], session_id)
        result = run_inside(self.host_copy.exe, inside) if inside else None
        host.close_input()
        self.assertEqual(host.wait_exit(), 1)
        return result

    def test_the_next_processs_engine_reads_the_mode_set(self):
        # The engine asks the machine's feature-control key and gets the
        # program's own.
        self.run_session({"action": "host_set_emulation", "mode": 8888})
        self.assertEqual(self.run_session({"action": "host_ping"}, inside="ReadEngineEmulation"),
                         8888)
        for name in ("iexplore.exe", "tabbridge.exe"):
            self.assertEqual(reg_query(EMULATION_KEY, name), ("REG_DWORD", "0x22b8"))

    def test_start_up_writes_no_feature_value(self):
        self.assertEqual(self.run_session({"action": "host_ping"}, inside="ReadEngineEmulation"), 0)
        self.assertFalse(key_exists(EMULATION_KEY))
        for feature in ("FEATURE_XSSFILTER", "FEATURE_TABBED_BROWSING", "FEATURE_GPU_RENDERING"):
            self.assertFalse(key_exists(FEATURE_CONTROL_KEY + "\\" + feature), feature)

    def test_a_stored_mode_that_is_no_number_is_left_as_it_is(self):
        reg_set_text(EMULATION_KEY, "tabbridge.exe", "8888")
        self.run_session({"action": "host_ping"})
        self.assertEqual(reg_query(EMULATION_KEY, "tabbridge.exe"), ("REG_SZ", "8888"))


if __name__ == "__main__":
    unittest.main()
