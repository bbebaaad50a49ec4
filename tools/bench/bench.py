"""The benchmark table: every figure of tabbridge.exe against its baseline,
measured in one run under one Wine, printed as one table and written as
Markdown to build/bench-table.md.

Baselines: the echo host (the same framing code with nothing behind it, with
and without the product's hand-over to the user-interface thread), the same
call without the hooks, and, through a real Chromium, the echo host again.
A stand-in browser window stays open throughout, as the browser's windows do
when it starts a host; without one, Wine tears its desktop down between
processes and every start-up pays for a new one."""

import datetime
import os
import shutil
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(here, "..", "stand_in_engine"))
from frames_bench import FRAME_COUNTS, creation_latency, memory_by_frames, stop  # noqa: E402
from host_process import EXTENSION_ORIGIN, WINE, HostCopy, HostProcess  # noqa: E402
from loopback_server import LoopbackServer  # noqa: E402
from register import StandInEngine  # noqa: E402
from stand_in_browser import StandInBrowser  # noqa: E402

PINGS = 1000
ROUNDS = 5
STARTS_PER_ROUND = 6
# The echo host's two forms: the key in the figures and the table's name.
ECHO_BASELINES = (("echo host", "echo host"), ("echo host, UI", "echo host + UI hand-over"))
PAGE = "<!DOCTYPE html><html><head><title>Bench</title></head><body>bench</body></html>"


def start_up_seconds(exe, args):
    begin = time.perf_counter()
    host = HostProcess(exe, args)
    host.send({"action": "host_ping", "session_id": 1})
    host.read_text()
    elapsed = time.perf_counter() - begin
    stop(host)
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
    stop(host)
    return elapsed / PINGS


def channel_figures(product, baseline):
    """Medians of round trip and start-up; the programs alternate so that
    drift in machine load hits them alike."""
    programs = [
        ("tabbridge.exe", product, [EXTENSION_ORIGIN]),
        ("echo host", baseline, [EXTENSION_ORIGIN]),
        ("echo host, UI", baseline, [EXTENSION_ORIGIN, "--ui-thread"]),
    ]
    samples = {name: ([], []) for name, _, _ in programs}
    for _ in range(ROUNDS):
        for name, exe, args in programs:
            samples[name][0].append(round_trip_seconds(exe, args))
            for _ in range(STARTS_PER_ROUND):
                samples[name][1].append(start_up_seconds(exe, args))
    return {name: (statistics.median(r), statistics.median(s))
            for name, (r, s) in samples.items()}


def hook_figures(bench_exe):
    """The "figures:" line of a hook benchmark (calls per second, medians)."""
    out = subprocess.run([WINE, bench_exe], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        if line.startswith("figures:"):
            return [float(v) for v in line.split()[1:]]
    raise AssertionError("%s printed no figures:\n%s" % (bench_exe, out))


def chromium_figures(product, baseline):
    if not shutil.which("chromium"):
        return None
    import chromium_bench
    return chromium_bench.measure(product, baseline)


class Table:
    HEAD = ("measure", "tabbridge.exe", "baseline", "baseline's", "ratio")

    def __init__(self):
        self.rows = []

    def add(self, measure, value, baseline="", base_value="", ratio=""):
        self.rows.append((measure, value, baseline, base_value, ratio))

    def text(self):
        rows = [self.HEAD] + self.rows
        widths = [max(len(r[i]) for r in rows) for i in range(len(self.HEAD))]
        return "\n".join("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip() for r in rows)

    def markdown(self):
        rows = [self.HEAD, ("---",) * len(self.HEAD)] + self.rows
        return "".join("| %s |\n" % " | ".join(r) for r in rows)


def ms(seconds):
    return "%.3f ms" % (seconds * 1e3) if seconds < 0.01 else "%.0f ms" % (seconds * 1e3)


def cost_row(table, measure, plain, hooked, ratio):
    # Calls per second are turned into cost per call.
    table.add(measure, "%.2f µs" % (1e6 / hooked), "not hooked", "%.2f µs" % (1e6 / plain),
              "%.2fx" % ratio)


def main():
    bin_dir = sys.argv[1]
    exe = lambda name: os.path.join(bin_dir, name)
    product, baseline = HostCopy(exe("tabbridge.exe")), HostCopy(exe("echo_host.exe"))
    server = LoopbackServer()
    server.add_page("/bench", PAGE)
    browser = StandInBrowser("Bench")
    table = Table()
    try:
        channel = channel_figures(product.exe, baseline.exe)
        rtt, start = channel["tabbridge.exe"]
        for name, base in ECHO_BASELINES:
            table.add("ping round trip", ms(rtt), base, ms(channel[name][0]),
                      "%.2fx" % (rtt / channel[name][0]))
        for name, base in ECHO_BASELINES:
            table.add("start-up to first answer", ms(start), base, ms(channel[name][1]),
                      "%.2fx" % (start / channel[name][1]))

        plain, hooked, ratio, option_plain, option_hooked = hook_figures(exe("registry_bench.exe"))
        cost_row(table, "RegQueryValueExW, value outside the table", plain, hooked, ratio)
        cost_row(table, "RegQueryValueExW, option answered by the hook", option_plain,
                 option_hooked, option_plain / option_hooked)
        plain, hooked, ratio = hook_figures(exe("cookie_bench.exe"))
        cost_row(table, "InternetSetCookieExW from another module", plain, hooked, ratio)

        with StandInEngine():
            answer, title = creation_latency(product.exe, server.url("/bench"))
            memory = memory_by_frames(product.exe, server.url("/bench"))
        table.add("host_create to its answer", ms(answer))
        table.add("host_create to the first title", ms(title))
        for count in FRAME_COUNTS:
            per_frame = (memory[count] - memory[0]) / count
            table.add("private memory per frame, %d open" % count,
                      "%.0f KiB" % (per_frame * 1024), "whole process, no frame",
                      "%.1f MiB" % memory[0])

        through_browser = chromium_figures(product.exe, baseline.exe)
        rate = "pings per second through Chromium (more is better)"
        if through_browser is None:
            table.add(rate, "not measured: no chromium")
        else:
            mine = through_browser["tabbridge.exe"]
            for name, base in ECHO_BASELINES:
                table.add(rate, "%.0f" % mine, base, "%.0f" % through_browser[name],
                          "%.2fx" % (mine / through_browser[name]))
    finally:
        browser.close()
        server.close()
        product.remove()
        baseline.remove()

    stamp = datetime.date.today().isoformat()
    print("Benchmark, %s (medians; ratios are tabbridge.exe / baseline)" % stamp)
    print(table.text())
    with open(os.path.join("build", "bench-table.md"), "w", encoding="utf-8") as f:
        f.write("Measured %s by `bash scripts/bench.sh`:\n\n%s" % (stamp, table.markdown()))


if __name__ == "__main__":
    main()
