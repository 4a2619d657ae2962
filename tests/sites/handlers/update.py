"""The update test site: /pzwj/txtyz.php serves tests/sites/update/<variant>.html
(UTF-8), the variant being chosen through the control site
(/_set?site=update&variant=NAME; "default" until then)."""

from handlers.base import SiteHandler


class Handler(SiteHandler):
    def route(self):
        if self.url_path == "/pzwj/txtyz.php":
            variant = self.state.variant(self.site) or "default"
            self.send_file(variant + ".html", content_type="text/html; charset=utf-8")
        else:
            self.send_file(self.url_path)
