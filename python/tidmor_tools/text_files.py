"""Reading the text files the tools are given, with a clear error for anything that is not one.

A name may point at a folder, a device such as /dev/zero, a fifo, a file of another encoding or a huge file;
each is refused with the file's name (and the line of a byte that does not decode), never read without end.
"""
from __future__ import annotations

import os
import stat


class BadInput(ValueError):
    """Input the tools cannot use (a file, a value, a folder): the message says where and what to change.
    The command line ends with status 2 on it."""


class TextFileError(BadInput):
    """A file that cannot be read as the text it should be: names the file (and the line) and what is wrong."""


def regular_file(path: str, what: str) -> os.stat_result:
    """The status of `path` when it is a regular file (links followed); a TextFileError otherwise."""
    try:
        info = os.stat(path)
    except OSError as error:
        raise TextFileError(f"{path}: {what} cannot be read ({error.strerror})") from None
    if stat.S_ISDIR(info.st_mode):
        raise TextFileError(f"{path}: {what} is a folder, not a file")
    if not stat.S_ISREG(info.st_mode):
        raise TextFileError(f"{path}: {what} is not a regular file (a device, fifo or socket)")
    return info


def read_text(path: str, what: str, encoding: str = "utf-8", limit: int | None = None) -> str:
    """The text of a regular file; `limit` bounds its size in bytes. A byte that does not decode is named by
    its line."""
    info = regular_file(path, what)
    if limit is not None and info.st_size > limit:
        raise TextFileError(f"{path}: {what} holds {info.st_size} bytes, more than the {limit} such a file can "
                            "sensibly hold; is it the right file?")
    try:
        with open(path, "rb") as handle:
            raw = handle.read() if limit is None else handle.read(limit + 1)
    except OSError as error:
        raise TextFileError(f"{path}: {what} cannot be read ({error.strerror})") from None
    if limit is not None and len(raw) > limit:
        raise TextFileError(f"{path}: {what} is longer than {limit} bytes")
    try:
        return raw.decode(encoding)
    except UnicodeDecodeError as error:
        line = raw.count(b"\n", 0, error.start) + 1
        raise TextFileError(f"{path}, line {line}: {what} holds the byte 0x{raw[error.start]:02x}, which is not "
                            f"{encoding.upper()} text") from None
