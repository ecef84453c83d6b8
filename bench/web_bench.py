#!/usr/bin/env python3
"""tkvweb beside its peers, on the simulator: a register read over a kept-alive
connection against a tkvtool-sim read process (medians); wrk's 32 connections
for 10 s (errors, the server's resident size before and after); a read while
100 connections hold half a request.  Usage: web_bench.py BIN_FOLDER"""
import http.client
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time


def median(values):
    return sorted(values)[len(values) // 2]


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def main():
    folder = sys.argv[1]
    env = dict(os.environ, TKVSIM_STATE=os.path.join(tempfile.mkdtemp(prefix="tkvweb-bench-"), "state"))
    server = subprocess.Popen([os.path.join(folder, "tkvweb-sim"), "--listen", "127.0.0.1:0"], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    url = server.stdout.readline().strip()
    host, token = url.split("/")[2], url.split("token=")[1]
    port, headers = int(host.split(":")[1]), {"Authorization": "Bearer " + token}
    path = "/api/v1/registers/ZV0.PORT_CTRL"

    def read(connection):
        started = time.perf_counter()
        connection.request("GET", path, headers=headers)
        response = connection.getresponse()
        response.read()
        return time.perf_counter() - started, response.status

    kept = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    api = median([read(kept)[0] for _ in range(501)])
    tool = []
    for _ in range(51):
        started = time.perf_counter()
        subprocess.run([os.path.join(folder, "tkvtool-sim"), "read", "ZV0.PORT_CTRL"], env=env, stdout=subprocess.DEVNULL)
        tool.append(time.perf_counter() - started)
    print(f"register read, kept-alive connection / tkvtool-sim read process: {api * 1e3:.3f} ms / "
          f"{median(tool) * 1e3:.3f} ms = {api / median(tool):.3f}x (goal <= 0.1x)")

    if shutil.which("wrk"):
        before = resident_kb(server.pid)
        run = subprocess.run(["wrk", "-t2", "-c32", "-d10s", "-H", headers["Authorization"].join(["Authorization: ", ""]),
                              f"http://{host}{path}"], capture_output=True, text=True)
        errors = [line.strip() for line in run.stdout.splitlines() if "error" in line.lower() or "Non-2xx" in line]
        requests = [line.strip() for line in run.stdout.splitlines() if "requests in" in line]
        print(f"wrk, 32 connections for 10 s: {requests[0] if requests else run.stdout}; errors: {errors or 'none'}; "
              f"resident size {before} kB -> {resident_kb(server.pid)} kB (goal: under 20 MB more)")
    else:
        print("wrk is not installed: apt-get install wrk")

    half = []
    for _ in range(100):
        s = socket.create_connection(("127.0.0.1", port))
        s.sendall(b"GET /api/v1/version HTTP/1.1\r\nHost: " + host.encode() + b"\r\n")
        half.append(s)
    other = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    took, status = read(other)
    print(f"a read while 100 connections hold half a request: {took * 1e3:.1f} ms, status {status} (goal <= 1 s)")
    for s in half:
        s.close()
    started = time.monotonic()
    server.terminate()
    status = server.wait(5)
    print(f"SIGTERM with connections open: exit {status} in {time.monotonic() - started:.2f} s (goal: 0 within 1 s)")


if __name__ == "__main__":
    main()
