"""A site made of fixture files alone: tests/sites/<site>/<path>, query
ignored; 404 for a path without a file."""

from handlers.base import SiteHandler


class Handler(SiteHandler):
    def route(self):
        self.send_file(self.url_path)
