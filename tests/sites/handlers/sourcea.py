"""The sourcea test site (UTF-8): /search.html?searchkey=..., the book pages
/<id> and the chapter pages /<id>/read_<n>.html, from tests/sites/sourcea/."""

from handlers.novel import NovelSite


class Handler(NovelSite):
    charset = "utf-8"
    search_path = "/search.html"
    search_parameter = "searchkey"
    answers = {
        "斗破苍穹": "search-both-ids.html",
        "遮天": "search-second-id.html",
        "大小写": "search-wrong-case.html",
        "坏页": "search-missing-book.html",
        "乱码": "search-invalid-utf8.html",
        "凡人": "search-none.html",
        "慢": "@slow:search-both-ids.html",
        "fanren": "search-both-ids.html",
    }

    def page_for(self, url_path):
        # /1234 is the book page of id 1234.
        if url_path.count("/") == 1 and url_path[1:].isdigit():
            return "book-" + url_path[1:] + ".html"
        return url_path
