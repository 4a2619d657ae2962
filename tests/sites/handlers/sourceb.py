"""The sourceb test site. Its pages are fixture files under tests/sites/sourceb/."""

from handlers import files


class Handler(files.Handler):
    charset = "gbk"
