"""The sourcec test site. Its pages are fixture files under tests/sites/sourcec/."""

from handlers import files


class Handler(files.Handler):
    pass
