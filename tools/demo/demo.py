"""A scripted extension session against tabbridge.exe, as the browser runs it:
the extension's origin as argument, requests on stdin, replies on stdout."""

import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from host_process import HostCopy, HostProcess  # noqa: E402

SESSION = [
    ({"action": "host_ping", "session_id": 1}, True),
    ({"action": "host_check_version", "session_id": 2, "version": "2.26.20.0"}, True),
    ({"action": "host_check_version", "session_id": 3, "version": "2.25.0.0"}, True),
    ({"action": "host_get_default_emulation", "session_id": 4}, True),
    ({"action": "host_set_emulation", "session_id": 5, "mode": 11001}, True),
    ({"action": "host_whatever", "session_id": 6}, True),
    ({"action": "host_close", "frame_id": 42, "session_id": 7}, False),
]


def show(arrow, text):
    try:
        text = json.dumps(json.loads(text), ensure_ascii=False)
    except ValueError:
        pass
    print("%s %s" % (arrow, text), flush=True)


def main():
    copy = HostCopy(sys.argv[1])
    host = HostProcess(copy.exe)
    try:
        print("started tabbridge.exe %s" % " ".join(host.proc.args[2:]), flush=True)
        for request, answered in SESSION:
            show("extension -> host:", json.dumps(request))
            host.send(request)
            if answered:
                show("host -> extension:", host.read_text())
            else:
                host.expect_silence(0.5)
                print("   (no answer expected)", flush=True)
        print("extension closes the channel", flush=True)
        host.close_input()
        print("tabbridge.exe exited with code %d" % host.wait_exit(), flush=True)
    finally:
        host.kill()
        copy.remove()


if __name__ == "__main__":
    main()
