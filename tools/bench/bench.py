"""Channel benchmark: ping round trip and start-up to first answer of
tabbridge.exe against the echo host (same framing code, same toolchain), all
under the same Wine in one run. Runs alternate between the programs so that
drift in machine load hits them alike; figures are medians."""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from host_process import EXTENSION_ORIGIN, HostCopy, HostProcess  # noqa: E402

PINGS = 1000
ROUNDS = 5
STARTS_PER_ROUND = 6


def start_up_seconds(exe, args):
    begin = time.perf_counter()
    host = HostProcess(exe, args)
    host.send({"action": "host_ping", "session_id": 1})
    host.read_text()
    elapsed = time.perf_counter() - begin
    host.close_input()
    host.wait_exit()
    host.kill()
    return elapsed


def round_trip_seconds(exe, args):
    host = HostProcess(exe, args)
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
    programs = [
        ("tabbridge.exe", product.exe, [EXTENSION_ORIGIN]),
        ("echo host", baseline.exe, [EXTENSION_ORIGIN]),
        ("echo host, UI", baseline.exe, [EXTENSION_ORIGIN, "--ui-thread"]),
    ]
    samples = {name: ([], []) for name, _, _ in programs}
    try:
        for _ in range(ROUNDS):
            for name, exe, args in programs:
                samples[name][0].append(round_trip_seconds(exe, args))
                for _ in range(STARTS_PER_ROUND):
                    samples[name][1].append(start_up_seconds(exe, args))
        medians = {name: (statistics.median(r), statistics.median(s))
                   for name, (r, s) in samples.items()}
        print("%-16s %18s %24s" % ("", "ping round trip", "start-up to 1st answer"))
        for name, (rtt, start) in medians.items():
            print("%-16s %15.3f ms %21.1f ms" % (name, rtt * 1e3, start * 1e3))
        product_rtt, product_start = medians["tabbridge.exe"]
        for name in ("echo host", "echo host, UI"):
            rtt, start = medians[name]
            print("%-16s %17.2fx %23.2fx" % ("ratio, " + name,
                                             product_rtt / rtt, product_start / start))
        print("targets against the echo host: round trip <= 1.20x, start-up <= 1.30x")
    finally:
        product.remove()
        baseline.remove()


if __name__ == "__main__":
    main()
