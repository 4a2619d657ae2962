"""The sourcea test site. Its pages are fixture files under tests/sites/sourcea/."""

from handlers import files


class Handler(files.Handler):
    pass
