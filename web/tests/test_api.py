"""tkvweb's API over HTTP, against tkvweb-sim on a free port, with tkvtool-sim
sharing its device state for the documents and the events."""
import http.client
import json
import os
import signal
import stat
import subprocess
import time

import pytest

TKVWEB = os.environ.get("TKVWEB", "tkvweb-sim")
TKVTOOL = os.environ.get("TKVTOOL", "tkvtool-sim")


class Server:
    def __init__(self, tmp_path, *args, env=None):
        self.env = dict(os.environ, TKVSIM_STATE=str(tmp_path / "state"), **(env or {}))
        self.process = subprocess.Popen([TKVWEB, "--listen", "127.0.0.1:0", *args], env=self.env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.url = self.process.stdout.readline().strip()
        assert self.url.startswith("http://127.0.0.1:"), self.process.stderr.read()
        self.token = self.url.split("token=")[1]
        self.host = self.url.split("/")[2]
        self.port = int(self.host.split(":")[1])

    def request(self, method, path, body=None, headers=None, token=True):
        sent = {"Host": self.host}
        if token:
            sent["Authorization"] = "Bearer " + self.token
        sent.update(headers or {})
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        for key, value in sent.items():
            connection.putheader(key, value)
        data = body.encode() if isinstance(body, str) else body
        if data is not None:
            connection.putheader("Content-Length", str(len(data)))
        connection.endheaders(data)
        response = connection.getresponse()
        text = response.read().decode()
        connection.close()
        return response.status, dict(response.getheaders()), text

    def get(self, path, **kwargs):
        status, _, text = self.request("GET", path, **kwargs)
        return status, json.loads(text) if text else None

    def tool(self, *args):
        return subprocess.run([TKVTOOL, *args], env=self.env, capture_output=True, text=True)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(5)
        if not self.process.stderr.closed:
            self.errors = self.process.stderr.read().splitlines()
            self.process.stdout.close()
            self.process.stderr.close()
        return status


@pytest.fixture
def server(tmp_path):
    s = Server(tmp_path)
    yield s
    s.stop()


@pytest.mark.parametrize("path, args", [
    ("/api/v1/version", ["version"]),
    ("/api/v1/registers?match=ZV0.*", ["regs", "ZV0.*"]),
    ("/api/v1/blocks/ZV0", ["show", "ZV0"]),
    ("/api/v1/registers/ZV0.PORT_CTRL", ["read", "ZV0.PORT_CTRL", "-D"]),
    ("/api/v1/i2c", ["i2c", "list"]),
    ("/api/v1/i2c/0/devices", ["i2c", "detect", "0"]),
    ("/api/v1/i2c/0/50", ["i2c", "dump", "0", "0x50"]),
    ("/api/v1/i2c/0/24", ["i2c", "show", "0", "0x24"]),
    ("/api/v1/pci", ["pci", "dump"]),
    ("/api/v1/edid/0", ["edid", "0"]),
    ("/api/v1/zv/0", ["zv", "info", "0"]),
])
def test_documents_are_tkvtools(server, path, args):
    server.tool("write", "ZV0.PORT_CTRL", "0x5")
    status, headers, text = server.request("GET", path)
    assert status == 200, text
    assert headers["Content-Type"] == "application/json"
    assert text == server.tool(*args, "--json").stdout


def test_write_by_value_and_fields_is_seen_by_tkvtool_and_logged(server):
    status, written = server.get("/api/v1/registers/ZV0.PORT_CTRL", token=True)
    assert status == 200
    assert server.request("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": 16}')[0] == 200
    status, _, text = server.request("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"fields": {"capture": 1}}')
    assert status == 200, text
    assert server.tool("read", "ZV0.PORT_CTRL").stdout == "0x00000011\n"
    # answered with the register's new document, as tkvtool read -D --json has it
    assert json.loads(text) == json.loads(server.tool("read", "ZV0.PORT_CTRL", "-D", "--json").stdout)
    _, log = server.get("/api/v1/writes")
    assert [(w["name"], w["old"], w["new"]) for w in log] == [
        ("ZV0.PORT_CTRL", "0x00000000", "0x00000010"), ("ZV0.PORT_CTRL", "0x00000010", "0x00000011")]
    # and one line on standard error each: time, client, name, old -> new
    assert server.stop() == 0
    lines = server.errors
    assert [line.split()[2:] for line in lines] == [
        ["ZV0.PORT_CTRL", "0x00000000", "->", "0x00000010"], ["ZV0.PORT_CTRL", "0x00000010", "->", "0x00000011"]]
    assert lines[0].split()[1].startswith("127.0.0.1:")


@pytest.mark.parametrize("method, path, body, headers, token, status", [
    ("GET", "/api/v1/version", None, {}, False, 401),
    ("GET", "/api/v1/version", None, {"Authorization": "Bearer " + "0" * 64}, False, 401),
    ("GET", "/api/v1/version", None, {"Host": "evil.example:80"}, True, 403),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": 1}', {"Origin": "http://evil.example"}, True, 403),
    ("POST", "/api/v1/diff", "{}", {"Origin": "http://evil.example"}, True, 403),
    ("GET", "/static/../index.html", None, {}, True, 400),
    ("GET", "/static/%2e%2e/index.html", None, {}, True, 400),
    ("GET", "//etc/passwd", None, {}, True, 400),
    ("GET", "/javascript/dygraphs/dist/dygraph.js", None, {}, True, 404),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", "x" * (2 << 20), {}, True, 413),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": ', {}, True, 400),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": -1}', {}, True, 400),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"fields": {"nosuch": 1}}', {}, True, 400),
    ("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": 4294967296}', {}, True, 400),
    ("GET", "/api/v1/events?names=ZV0.PORT_CTRL&interval=1", None, {}, True, 400),
    ("GET", "/api/v1/i2c/9/devices", None, {}, True, 400),
    ("GET", "/api/v1/nosuch", None, {}, True, 404),
], ids=lambda v: str(v)[:40])  # the test's name is in the environment: keep it short
def test_refusals(server, method, path, body, headers, token, status):
    got, sent_headers, text = server.request(method, path, body, headers, token)
    assert got == status, text
    assert "error" in json.loads(text)


def test_unknown_name_answers_the_closest(server):
    status, document = server.get("/api/v1/registers/ZV0.PORT_CTR")
    assert status == 404
    assert document["closest"] == ["ZV0.PORT_CTRL"]


def test_page_load_with_the_token_sets_the_cookie(server):
    status, headers, _ = server.request("GET", "/block/ZV0?token=" + server.token, token=False)
    assert status == 303
    assert headers["Location"] == "/block/ZV0"
    cookie = headers["Set-Cookie"]
    assert "HttpOnly" in cookie and "SameSite=Strict" in cookie
    status, headers, text = server.request("GET", "/block/ZV0", token=False,
                                           headers={"Cookie": cookie.split(";")[0]})
    assert status == 200 and "<html" in text.lower()
    assert "script-src 'self'" in headers["Content-Security-Policy"]


def test_read_only_refuses_changes(tmp_path):
    s = Server(tmp_path, "--read-only")
    try:
        status, _, _ = s.request("PUT", "/api/v1/registers/ZV0.PORT_CTRL", '{"value": 1}')
        assert status == 403
        assert s.get("/api/v1/server")[1]["read_only"] is True
    finally:
        assert s.stop() == 0


@pytest.mark.parametrize("env, path", [
    ({"TKVSIM_FAIL_REQUESTS": "1"}, "/api/v1/registers/ZV0.PORT_CTRL"),
    ({"TKVSIM_FAIL_REQUESTS": "1"}, "/api/v1/pci"),
    ({"TKVSIM_FAIL_NTH": "3"}, "/api/v1/i2c"),
])
def test_device_failures_are_502_and_the_server_goes_on(tmp_path, env, path):
    s = Server(tmp_path, env=env)
    try:
        status, document = s.get(path)
        assert status == 502 and "error" in document
        assert s.get("/api/v1/server")[0] == 200
    finally:
        assert s.stop() == 0


def test_no_monitor_is_404(tmp_path):
    s = Server(tmp_path, env={"TKVSIM_NO_MONITOR": "0"})
    try:
        assert s.get("/api/v1/edid/0")[0] == 404
    finally:
        s.stop()


def read_event(response):
    data = b""
    while not data.endswith(b"\n\n"):
        data += response.read1(4096) if hasattr(response, "read1") else response.read(1)
    line = data.decode().strip()
    assert line.startswith("data: ")
    return json.loads(line[len("data: "):])


def test_events_first_values_then_a_change_tkvtool_made(server):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=5)
    connection.request("GET", "/api/v1/events?names=ZV0.PORT_CTRL&interval=50",
                       headers={"Authorization": "Bearer " + server.token})
    response = connection.getresponse()
    assert response.status == 200
    assert response.getheader("Content-Type") == "text/event-stream"
    first = read_event(response)
    assert first["documents"]["ZV0.PORT_CTRL"]["values"][0]["value"] == 0
    server.tool("write", "ZV0.PORT_CTRL", "0x3")
    changed = read_event(response)
    assert changed["documents"]["ZV0.PORT_CTRL"] == json.loads(
        server.tool("read", "ZV0.PORT_CTRL", "-D", "--json").stdout)
    assert changed["time"] > first["time"]  # ISO 8601, UTC: ordered as text
    connection.close()


def test_sigterm_ends_it_at_once_with_status_0(server):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=5)
    connection.request("GET", "/api/v1/events?names=ZV0.PORT_CTRL", headers={"Authorization": "Bearer " + server.token})
    read_event(connection.getresponse())
    started = time.monotonic()
    assert server.stop() == 0
    assert time.monotonic() - started < 1.0
    connection.close()


def start_with_token_file(tmp_path, path):
    return subprocess.run([TKVWEB, "--listen", "127.0.0.1:0", "--token-file", str(path), "--help"],
                          capture_output=True, text=True)


def test_token_file_is_made_0600_and_kept(tmp_path):
    path = tmp_path / "token"
    s = Server(tmp_path, "--token-file", str(path))
    s.stop()
    assert stat.S_IMODE(path.stat().st_mode) == 0o600
    assert path.read_text().strip() == s.token
    again = Server(tmp_path, "--token-file", str(path))
    again.stop()
    assert again.token == s.token


@pytest.mark.parametrize("make, message", [
    (lambda p: (p.with_name("real").write_text("a" * 64), p.symlink_to(p.with_name("real"))), "symbolic link"),
    (lambda p: (p.write_text("a" * 64), p.chmod(0o644)), "others may read it"),
    (lambda p: (p.write_text("short"), p.chmod(0o600)), "holds no token"),
])
def test_token_file_refusals(tmp_path, make, message):
    path = tmp_path / "token"
    make(path)
    result = subprocess.run([TKVWEB, "--listen", "127.0.0.1:0", "--token-file", str(path)],
                            env=dict(os.environ, TKVSIM_STATE=str(tmp_path / "state")),
                            capture_output=True, text=True, timeout=5)
    assert result.returncode == 1
    assert message in result.stderr and result.stdout == ""


def test_a_frame_is_the_png_tkvtool_capture_writes(server):
    assert server.request("GET", "/api/v1/zv/0/frame.png")[0] == 404  # no window, no capture
    server.tool("zv", "init", "0")
    server.tool("zv", "start", "0")
    for query, args in (("", []), ("?format=rgb565", ["--format", "rgb565"])):
        connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=5)
        connection.request("GET", "/api/v1/zv/0/frame.png" + query, headers={"Authorization": "Bearer " + server.token})
        response = connection.getresponse()
        image = response.read()
        connection.close()
        assert response.status == 200 and response.getheader("Content-Type") == "image/png"
        expected = subprocess.run([TKVTOOL, "capture", "0", "-o", "-", *args], env=server.env, capture_output=True).stdout
        assert image == expected
    assert server.request("GET", "/api/v1/zv/0/frame.png?format=rgb24")[0] == 400
    assert server.request("GET", "/api/v1/zv/2/frame.png")[0] == 404


def test_allowed_host_names_are_answered_others_refused(tmp_path):
    s = Server(tmp_path, "--allow-host", "board.lab", "-d", "0")
    try:
        for host, status in (("board.lab:8470", 200), ("BOARD.LAB", 200), ("localhost:9", 200),
                             ("other.lab:8470", 403), ("board.lab.evil.example", 403)):
            assert s.request("GET", "/api/v1/version", headers={"Host": host})[0] == status, host
    finally:
        s.stop()
    refused = subprocess.run([TKVWEB, "--allow-host", "a/b"], capture_output=True, text=True)
    assert refused.returncode == 2 and "invalid host name 'a/b'" in refused.stderr
