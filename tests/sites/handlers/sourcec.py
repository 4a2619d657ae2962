"""The sourcec test site (UTF-8, plain HTTP): /index.php?keyword=..., book
pages /txt/<n>.html and download pages /down/<n>.html, from tests/sites/sourcec/."""

from handlers.novel import NovelSite


class Handler(NovelSite):
    charset = "utf-8"
    search_path = "/index.php"
    search_parameter = "keyword"
    answers = {
        "凡人": "search-two-hits.html",
        "雪中": "search-yinyong.html",
        "无址": "search-no-download.html",
        "坏书": "search-missing-book.html",
        "无题": "search-no-title.html",
        "fanren": "search-two-hits.html",
    }
