"""What the three novel test sites share: a search page whose answer is
chosen by the search text, fixture pages in which {{HOST}} stands for the
site's own address, and a few pages that fail on purpose.

An answer is a fixture file, "@huge" (an 8 MiB page without a marker) or
"@slow:FILE" (FILE after a pause of SLOW_SECONDS)."""

import os
import time
import urllib.parse

from handlers.base import SiteHandler


class NovelSite(SiteHandler):
    # The search page's path, the name of its search-text parameter, the code
    # page the site's search text is encoded in, and the answers by search
    # text; any other text gets `default_answer`.
    search_path = ""
    search_parameter = ""
    search_encoding = "utf-8"
    answers = {}
    default_answer = "search-none.html"
    SLOW_SECONDS = 1.5

    def search_text(self):
        query = urllib.parse.urlsplit(self.path).query
        for pair in query.split("&"):
            name, _, value = pair.partition("=")
            if name == self.search_parameter:
                raw = urllib.parse.unquote_to_bytes(value)
                return raw.decode(self.search_encoding, errors="replace")
        return None

    def send_page(self, relative, status=200):
        """A fixture page with {{HOST}} replaced by this site's address."""
        path = self.fixture_path(relative)
        if path is None:
            self.send_text(404, "<html><body>404 找不到页面</body></html>".encode(self.charset),
                           "text/html; charset=" + self.charset)
            return
        with open(path, "rb") as f:
            body = f.read()
        body = body.replace(b"{{HOST}}", self.headers.get("Host", "").encode("ascii"))
        self.send_text(status, body, "text/html; charset=" + self.charset)

    def send_answer(self, answer):
        if answer == "@huge":
            self.send_text(200, b"<html>" + b"x" * (8 * 1024 * 1024) + b"</html>", "text/html")
            return
        if answer.startswith("@slow:"):
            time.sleep(self.SLOW_SECONDS)
            answer = answer[len("@slow:"):]
        self.send_page(answer)

    def fixture_path(self, relative):
        path = os.path.normpath(os.path.join(self.fixtures, relative.lstrip("/")))
        if not path.startswith(self.fixtures + os.sep) or not os.path.isfile(path):
            return None
        return path

    def route(self):
        if self.url_path == "/broken":
            # The connection ends without an answer.
            self.close_connection = True
            return
        if self.url_path == self.search_path:
            self.send_answer(self.answers.get(self.search_text(), self.default_answer))
            return
        self.send_page(self.page_for(self.url_path))

    def page_for(self, url_path):
        """The fixture file that serves a path other than the search page."""
        return url_path
