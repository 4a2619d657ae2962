"""What every test site shares: HTTP/1.1 with keep-alive, the raw request
kept byte for byte, the site's request log, and fixture files."""

import mimetypes
import os
import urllib.parse
from http.server import BaseHTTPRequestHandler

SITES_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class _Recorder:
    """Stands in for rfile while the headers are parsed and keeps every line."""

    def __init__(self, inner):
        self.inner = inner
        self.lines = []

    def readline(self, *args):
        line = self.inner.readline(*args)
        self.lines.append(line)
        return line


class SiteHandler(BaseHTTPRequestHandler):
    """One request to one site. Subclasses implement route(); `site` is the
    site's name, set by the server for each listener."""

    protocol_version = "HTTP/1.1"
    timeout = 60  # an idle keep-alive connection is closed after this
    site = None

    # -- for subclasses ------------------------------------------------------

    @property
    def state(self):
        return self.server.state

    @property
    def fixtures(self):
        """The site's fixture folder: tests/sites/<site>/ (shared by the http
        and https listeners of one site when they share a folder name)."""
        return os.path.join(SITES_DIR, getattr(self, "fixture_folder", None) or self.site)

    def route(self):
        self.send_text(404, b"not found\n")

    def send_text(self, status, body, content_type="text/plain; charset=utf-8", headers=()):
        """A complete response with Content-Length; HEAD gets no body."""
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_file(self, relative, status=200, content_type=None):
        """A fixture file of this site, or 404 when there is none."""
        path = os.path.normpath(os.path.join(self.fixtures, relative.lstrip("/")))
        if not path.startswith(self.fixtures + os.sep) or not os.path.isfile(path):
            self.send_text(404, b"not found\n")
            return
        with open(path, "rb") as f:
            body = f.read()
        if content_type is None:
            content_type = mimetypes.guess_type(path)[0] or "application/octet-stream"
            if content_type.startswith("text/"):
                content_type += "; charset=" + getattr(self, "charset", "utf-8")
        self.send_text(status, body, content_type)

    # -- plumbing ------------------------------------------------------------

    def parse_request(self):
        recorder = _Recorder(self.rfile)
        self.rfile = recorder
        try:
            ok = super().parse_request()
        finally:
            self.rfile = recorder.inner
        # The request line and header lines exactly as they arrived.
        self.raw_request = self.raw_requestline + b"".join(recorder.lines)
        if ok:
            self.state.log(self.site, self.requestline)
        return ok

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.body = self.rfile.read(length) if length > 0 else b""
        split = urllib.parse.urlsplit(self.path)
        self.url_path = split.path
        self.query = dict(urllib.parse.parse_qsl(split.query, keep_blank_values=True))
        self.query_pairs = urllib.parse.parse_qsl(split.query, keep_blank_values=True)
        self.route()

    do_GET = do_POST = do_HEAD = do_PUT = do_DELETE = handle_any

    def log_message(self, *args):
        pass
