"""Channel benchmark: ping round trip and start-up to first answer of
tabbridge.exe against the echo host (same framing code, no UI thread), both
under the same Wine in one run."""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from host_process import HostCopy, HostProcess  # noqa: E402

PINGS = 1000
STARTS = 15


def start_up_seconds(exe):
    samples = []
    for _ in range(STARTS):
        begin = time.perf_counter()
        host = HostProcess(exe)
        host.send({"action": "host_ping", "session_id": 1})
        host.read_text()
        samples.append(time.perf_counter() - begin)
        host.close_input()
        host.wait_exit()
        host.kill()
    return statistics.median(samples)


def round_trip_seconds(exe):
    host = HostProcess(exe)
    host.send({"action": "host_ping", "session_id": 0})
    host.read_text()  # warm
    begin = time.perf_counter()
    for i in range(PINGS):
        host.send({"action": "host_ping", "session_id": i})
        host.read_text()
    elapsed = time.perf_counter() - begin
    host.close_input()
    host.wait_exit()
    host.kill()
    return elapsed / PINGS


def main():
    product, baseline = HostCopy(sys.argv[1]), HostCopy(sys.argv[2])
    try:
        results = {}
        for name, copy in (("tabbridge.exe", product), ("echo host", baseline)):
            results[name] = (round_trip_seconds(copy.exe), start_up_seconds(copy.exe))
        print("%-14s %18s %22s" % ("", "ping round trip", "start-up to 1st answer"))
        for name, (rtt, start) in results.items():
            print("%-14s %15.3f ms %19.1f ms" % (name, rtt * 1e3, start * 1e3))
        rtt_ratio = results["tabbridge.exe"][0] / results["echo host"][0]
        start_ratio = results["tabbridge.exe"][1] / results["echo host"][1]
        print("%-14s %17.2fx %21.2fx" % ("ratio", rtt_ratio, start_ratio))
        print("targets: round trip <= 1.20x, start-up <= 1.30x")
    finally:
        product.remove()
        baseline.remove()


if __name__ == "__main__":
    main()
