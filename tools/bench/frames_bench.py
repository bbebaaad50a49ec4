"""Frame figures for the benchmark table: latency of "host_create" and private
memory by open frames, with the stand-in engine registered in the WebBrowser
control's place. Latencies are medians of fresh processes; memory is read
from one process that keeps its frames open."""

import queue
import statistics
import time

from host_process import HostProcess, WAIT

CREATIONS = 20
FRAME_COUNTS = (1, 10, 50)
SETTLE = 1.0


def wait_for(host, wanted, timeout=WAIT):
    """The first message for which wanted(message) holds, skipping the rest
    (a page load also reports before-navigate and a second title change)."""
    deadline = time.monotonic() + timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            raise AssertionError("no awaited message within %.0f s" % timeout)
        message = host.read(left)
        if message is None:
            raise AssertionError("host ended while a message was awaited")
        if wanted(message):
            return message


def create(host, session_id, url):
    """Sends host_create; returns (frame id, s to the answer, s to the first
    title change of that frame)."""
    begin = time.perf_counter()
    host.send({"action": "host_create", "session_id": session_id, "width": 984,
               "height": 600, "port": "port-7", "title": "tab", "url": url})
    answer = wait_for(host, lambda m: m["action"] == "client_common_response"
                      and m["session_id"] == session_id)
    answered = time.perf_counter() - begin
    frame_id = int(answer["ret"])
    if frame_id <= 0:
        raise AssertionError("host_create refused: %r" % (answer,))
    wait_for(host, lambda m: m["action"] == "client_title_change"
             and m.get("frame_id") == frame_id)
    return frame_id, answered, time.perf_counter() - begin


def ping(host, session_id):
    host.send({"action": "host_ping", "session_id": session_id})
    wait_for(host, lambda m: m["action"] == "client_common_response"
             and m["session_id"] == session_id)


def stop(host):
    host.close_input()
    try:
        host.wait_exit()
    finally:
        host.kill()


def private_mib(host):
    """Private_Clean + Private_Dirty of the host's Linux process. Wine turns
    the process Popen started into the Windows program itself; the command
    line proves it did."""
    pid = host.proc.pid
    with open("/proc/%d/cmdline" % pid, "rb") as f:
        cmdline = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
    if "tabbridge.exe" not in cmdline.lower():
        raise AssertionError("pid %d is %r, not the host" % (pid, cmdline))
    total_kib = 0
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            name, _, rest = line.partition(":")
            if name in ("Private_Clean", "Private_Dirty"):
                total_kib += int(rest.split()[0])
    return total_kib / 1024.0


def settle(host):
    """Lets late notifications arrive and the heap come to rest."""
    end = time.monotonic() + SETTLE
    while time.monotonic() < end:
        try:
            if host.messages.get(timeout=max(0.0, end - time.monotonic())) is None:
                raise AssertionError("host ended while settling")
        except queue.Empty:
            pass


def creation_latency(exe, url):
    answers, titles = [], []
    for _ in range(CREATIONS):
        host = HostProcess(exe)
        try:
            ping(host, 1)  # start-up is not part of the figure
            _, answered, titled = create(host, 2, url)
            answers.append(answered)
            titles.append(titled)
        finally:
            stop(host)
    return statistics.median(answers), statistics.median(titles)


def memory_by_frames(exe, url):
    readings = {}
    host = HostProcess(exe)
    try:
        ping(host, 1)
        settle(host)
        readings[0] = private_mib(host)
        for count in range(1, max(FRAME_COUNTS) + 1):
            create(host, 100 + count, url)
            if count in FRAME_COUNTS:
                settle(host)
                readings[count] = private_mib(host)
    finally:
        stop(host)
    return readings
