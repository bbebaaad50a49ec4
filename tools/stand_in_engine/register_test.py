"""register.py against a real Wine prefix: the unchanged test program's
CoCreateInstance(CLSID_WebBrowser) reaches the stand-in engine inside the
block and Wine's control after it, and the engine's journal reads back."""

import os
import subprocess
import unittest

from register import (DEFAULT_NAME, Journal, StandInEngine, read_registration, windows_path,
                      wine)

# A child routine of tb_win_tests.exe: 0 stand-in, 1 Wine's control, 2 neither.
WHO_ANSWERS = "--tb-child=StandInAnswersWebBrowser"


def who_answers():
    # A child's exit status under Wine is its routine's result plus one.
    return subprocess.run([wine(), os.environ["TB_WIN_TESTS_EXE"], WHO_ANSWERS],
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=60, check=False).returncode - 1


class StandInEngineTest(unittest.TestCase):
    def test_engine_answers_inside_the_block_and_wine_after(self):
        before = read_registration()
        with StandInEngine() as engine, Journal() as journal:
            self.assertEqual(read_registration(),
                             {DEFAULT_NAME: windows_path(engine.dll), "ThreadingModel": "Apartment"})
            self.assertEqual(who_answers(), 0)
            documents = journal.records("document")
            self.assertEqual([line["url"] for line in documents], ["about:blank"])
        self.assertEqual(read_registration(), before)
        self.assertEqual(who_answers(), 1)

    def test_a_failing_block_still_restores(self):
        before = read_registration()
        with self.assertRaises(KeyError):
            with StandInEngine():
                raise KeyError("test")
        self.assertEqual(read_registration(), before)

    def test_missing_dll_changes_nothing(self):
        before = read_registration()
        with self.assertRaises(FileNotFoundError):
            with StandInEngine("/nonexistent/stand_in_engine.dll"):
                pass
        self.assertEqual(read_registration(), before)


class JournalTest(unittest.TestCase):
    def test_escaped_lines_split_back_into_their_fields(self):
        with Journal() as journal:
            self.assertEqual(os.environ["STAND_IN_ENGINE_JOURNAL"], windows_path(journal.path))
            with open(journal.path, "wb") as out:
                out.write("cookie\turl=http://h/\tvalue=a=b\\tc\\\\d\n".encode("utf-8"))
                out.write("title\ttext=caf\u00e9\n".encode("utf-8"))
            self.assertEqual(journal.lines(),
                             [{"record": "cookie", "url": "http://h/", "value": "a=b\tc\\d"},
                              {"record": "title", "text": "caf\u00e9"}])
        self.assertNotIn("STAND_IN_ENGINE_JOURNAL", os.environ)
        self.assertFalse(os.path.exists(journal.path))


if __name__ == "__main__":
    unittest.main()
