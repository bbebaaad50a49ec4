"""A small HTTP server on 127.0.0.1 for end-to-end tests: serves the pages a
test gives it and records every request's headers."""

import http.server
import threading


class LoopbackServer:
    def __init__(self):
        self.pages = {}  # path -> (HTML, [(header, value)])
        self.requests = []  # (path, headers dict with lower-case names)
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                path = self.path.split("?")[0]
                server.requests.append((path, {k.lower(): v for k, v in self.headers.items()}))
                html, headers = server.pages.get(path, ("<title>missing</title>", ()))
                body = html.encode("utf-8")
                self.send_response(200 if path in server.pages else 404)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                for name, value in headers:
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._httpd.daemon_threads = True
        threading.Thread(target=self._httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self._httpd.server_address[1], path)

    def add_page(self, path, html, headers=()):
        """`headers`: further (name, value) pairs; a name may come more than once."""
        self.pages[path] = (html, list(headers))

    def requests_for(self, path):
        return [headers for p, headers in list(self.requests) if p == path]

    def close(self):
        self._httpd.shutdown()
        self._httpd.server_close()
