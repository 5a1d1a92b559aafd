"""Fixed-column fields of the result files.

A field of width w with d decimals holds the value rounded to d decimals and
right-justified; a value too wide for its field is written as w asterisks,
which is read here as NaN.
"""
from __future__ import annotations

import math


def split_fields(line: str, width: int, count: int) -> list[str]:
    return [line[k * width:(k + 1) * width] for k in range(count)]


def parse_field(text: str) -> float:
    """The value of one field; NaN for a field of asterisks (or the model's NaN and Infinity)."""
    stripped = text.strip()
    if not stripped or set(stripped) == {"*"}:
        return math.nan
    return float(stripped)


def is_overflow(text: str) -> bool:
    stripped = text.strip()
    return bool(stripped) and set(stripped) == {"*"}


def format_fixed(value: float, width: int, decimals: int) -> str:
    """A value written as the model writes it: used to check that values read back to the printed digits."""
    if math.isnan(value):
        return "NaN".rjust(width)
    if math.isinf(value):
        return ("-Infinity" if value < 0 else "Infinity").rjust(width)
    text = f"{value:.{decimals}f}"
    if len(text) > width:
        if text.startswith("0."):
            text = text[1:]
        elif text.startswith("-0."):
            text = "-" + text[2:]
    if len(text) > width:
        return "*" * width
    return text.rjust(width)
