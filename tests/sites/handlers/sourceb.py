"""The sourceb test site (GBK): /modules/article/search.php?...&searchkey=...,
book pages /book/<n>/ (served from book-<n>.html), from tests/sites/sourceb/."""

from handlers.novel import NovelSite


class Handler(NovelSite):
    charset = "gbk"
    search_path = "/modules/article/search.php"
    search_parameter = "searchkey"
    search_encoding = "gbk"
    answers = {
        "小说": "search-book-page.html",
        "凡人": "search-three-hits.html",
        "一个": "search-one-hit.html",
        "两个": "search-two-hits.html",
        "空列": "search-empty-cover.html",
        "无名": "search-book-without-title.html",
        "坏书": "search-first-book-broken.html",
        "混合": "search-book-page-and-cover.html",
        "大小写": "search-wrong-case.html",
        "断开": "search-broken-first-hit.html",
        "巨大": "@huge",
        "缺二": "search-second-book-missing.html",
        "乱码": "search-invalid-gbk.html",
        "fanren": "search-three-hits.html",
    }
    default_answer = "search-none.html"

    def page_for(self, url_path):
        parts = [p for p in url_path.split("/") if p]
        if len(parts) == 2 and parts[0] == "book" and parts[1].isdigit():
            return "book-" + parts[1] + ".html"
        return url_path
