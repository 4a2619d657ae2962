"""The web test site: the cases of the HTTP layer itself. Served over http
("web") and https ("webs") alike.

  /echo              the raw request (request line, header lines, blank line, body)
  /redirect/N        N redirects, then /final
  /final             "final"
  /tohttps?to=PATH   redirect to PATH on the https listener
  /loop?id=X         a redirect to itself
  /setcookie?n=v&... one Set-Cookie line per pair, in mixed letter case, with attributes
  /cookies           the Cookie header the request carried
  /large?bytes=N     N bytes of "0123456789" repeated
  /nul               a body with zero bytes in it
  /stall?after=X     sends the headers and 10 of 100 bytes (X=body), or nothing
                     (X=nothing), then waits a minute
  /reset             resets the connection without answering
  /cut               announces 1000 bytes, sends 500 and closes
  /headers?size=N    a response whose header block is exactly N bytes
  anything else      404 with the HTML page web/404.html
"""

import socket
import struct
import time

from handlers.base import SiteHandler

COOKIE_STYLES = [
    "Set-Cookie: {}; Path=/",
    "set-cookie: {}",
    "SET-COOKIE: {}; HttpOnly; Path=/",
    "Set-cookie: {}; Max-Age=3600",
]


def pattern(n):
    block = b"0123456789" * 10000
    return (block * (n // len(block) + 1))[:n]


class Handler(SiteHandler):
    fixture_folder = "web"

    def route(self):
        path = self.url_path
        if path == "/echo":
            self.send_text(200, self.raw_request + self.body)
        elif path.startswith("/redirect/"):
            n = int(path.rsplit("/", 1)[1] or 0)
            target = "/redirect/%d" % (n - 1) if n > 1 else "/final"
            self.send_text(302, b"<html>moved</html>", "text/html", [("Location", target)])
        elif path == "/final":
            self.send_text(200, b"final")
        elif path == "/tohttps":
            target = "https://%s%s" % (self.state.address("webs"), self.query.get("to", "/final"))
            self.send_text(302, b"moved", headers=[("Location", target)])
        elif path == "/loop":
            self.send_text(302, b"loop", headers=[("Location", "/loop?id=" + self.query.get("id", ""))])
        elif path == "/setcookie":
            self.send_raw(200, [COOKIE_STYLES[i % len(COOKIE_STYLES)].format("%s=%s" % pair)
                                for i, pair in enumerate(self.query_pairs)], b"set")
        elif path == "/cookies":
            self.send_text(200, "\n".join(self.headers.get_all("Cookie") or []).encode("latin-1"))
        elif path == "/large":
            self.send_text(200, pattern(int(self.query.get("bytes", "0"))), "application/octet-stream")
        elif path == "/nul":
            self.send_text(200, b"a\x00b\x00\x00c" + b"\x00" * 100 + b"end", "application/octet-stream")
        elif path == "/stall":
            if self.query.get("after") == "body":
                self.send_response(200)
                self.send_header("Content-Length", "100")
                self.end_headers()
                self.wfile.write(b"x" * 10)
                self.wfile.flush()
            self.hold(60)
        elif path == "/reset":
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        elif path == "/cut":
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + b"y" * 500)
            self.wfile.flush()
            self.close_connection = True
        elif path == "/headers":
            self.send_sized_headers(int(self.query.get("size", "0")))
        else:
            self.send_file("404.html", status=404, content_type="text/html; charset=utf-8")

    def send_raw(self, status, lines, body):
        """A response written byte for byte: status line, the given lines,
        Content-Length, blank line, body."""
        head = "HTTP/1.1 %d %s\r\n" % (status, self.responses[status][0])
        head += "".join(line + "\r\n" for line in lines)
        head += "Content-Length: %d\r\n\r\n" % len(body)
        self.wfile.write(head.encode("latin-1") + (b"" if self.command == "HEAD" else body))

    def send_sized_headers(self, size):
        """Padding lines of at most 1000 bytes: wine cuts longer ones."""
        lines = ["Set-Cookie: big=1"]
        used = len("HTTP/1.1 200 OK\r\n") + len("Set-Cookie: big=1\r\n") + len("Content-Length: 2\r\n\r\n")
        while used < size:
            line = "X-Pad-%d: " % len(lines)
            line += "p" * max(0, min(1000, size - used - 2) - len(line))
            lines.append(line)
            used += len(line) + 2
        self.send_raw(200, lines, b"ok")

    def hold(self, seconds):
        """Keeps the connection open and silent until the client gives up."""
        self.close_connection = True
        self.connection.settimeout(seconds)
        try:
            while self.connection.recv(1024):
                pass
        except OSError:
            pass
