"""A small HTTP server on 127.0.0.1 for end-to-end tests: serves the pages a
test gives it and records every request with its headers."""

import http.server
import threading


class LoopbackServer:
    def __init__(self):
        self.pages = {}  # path -> (status, [(header, value)], body bytes)
        self.requests = []  # (path, headers dict with lower-case names)
        self._lock = threading.Lock()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                with server._lock:
                    server.requests.append(
                        (self.path, {k.lower(): v for k, v in self.headers.items()}))
                    status, headers, body = server.pages.get(
                        self.path.split("?")[0],
                        (404, [("Content-Type", "text/html")], b"<title>missing</title>"))
                self.send_response(status)
                for name, value in headers:
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._httpd.daemon_threads = True
        self._thread = threading.Thread(target=self._httpd.serve_forever, daemon=True)
        self._thread.start()

    @property
    def port(self):
        return self._httpd.server_address[1]

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def add_page(self, path, html, status=200, headers=()):
        """`headers`: further (name, value) pairs; a name may come more than once."""
        all_headers = [("Content-Type", "text/html; charset=utf-8")] + list(headers)
        with self._lock:
            self.pages[path] = (status, all_headers, html.encode("utf-8"))

    def requests_for(self, path):
        with self._lock:
            return [headers for p, headers in self.requests if p.split("?")[0] == path]

    def close(self):
        self._httpd.shutdown()
        self._httpd.server_close()
