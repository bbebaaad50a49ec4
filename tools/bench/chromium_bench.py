"""Messages per second through the real Chromium: the test extension sends
bursts of pings to tabbridge.exe and to the echo host, taking turns within one
browser run so that drift in machine load hits both alike; start-up is left
out, figures are medians. Run under scripts/wine-env.sh:
  python3 tools/bench/chromium_bench.py TABBRIDGE_EXE ECHO_HOST_EXE"""

import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from chromium_browser import HOST_NAME, play  # noqa: E402
from host_process import HostCopy  # noqa: E402
from loopback_server import LoopbackServer  # noqa: E402

PINGS = 1000
ROUNDS = 5
ECHO_HOST_NAME = "com.tabbridge.echo"
ECHO_UI_HOST_NAME = "com.tabbridge.echo_ui"


def measure(tabbridge_exe, echo_exe):
    """Pings per second of "tabbridge.exe", "echo host" and "echo host, UI"
    (the echo host with the product's hand-over to the user-interface thread)."""
    copies = {HOST_NAME: HostCopy(tabbridge_exe), ECHO_HOST_NAME: HostCopy(echo_exe)}
    hosts = {name: c.exe for name, c in copies.items()}
    hosts[ECHO_UI_HOST_NAME] = [copies[ECHO_HOST_NAME].exe, "--ui-thread"]
    server = LoopbackServer()
    try:
        rates = play(server, {"case": "bench", "hosts": list(hosts), "rounds": ROUNDS,
                              "count": PINGS}, hosts, timeout=1800)
    finally:
        server.close()
        for copy in copies.values():
            copy.remove()
    if min(min(r) for r in rates.values()) <= 0:
        raise RuntimeError("a burst was not answered whole: %s" % rates)
    return {"tabbridge.exe": statistics.median(rates[HOST_NAME]),
            "echo host": statistics.median(rates[ECHO_HOST_NAME]),
            "echo host, UI": statistics.median(rates[ECHO_UI_HOST_NAME])}


if __name__ == "__main__":
    for name, rate in measure(sys.argv[1], sys.argv[2]).items():
        print("%-14s %8.0f messages per second through Chromium" % (name, rate))
