"""Fixed-column fields of the result files.

A field of width w with d decimals holds the value rounded to d decimals and
right-justified; a value too wide for its field is written as w asterisks,
which is read here as NaN. The model writes nothing else: a field such as
"nan", "inf", "1e999" or "NaN" (the model's text for a value that went
non-finite) is refused, so no such value is ever taken as a result.
"""
from __future__ import annotations

import math
import re

# Fixed-point as the model writes it: sign, digits, a point, digits (".5" when the field has no room for "0").
_FIXED = re.compile(r"^-?(\d+\.?\d*|\.\d+)$")


def split_fields(line: str, width: int, count: int) -> list[str]:
    return [line[k * width:(k + 1) * width] for k in range(count)]


class FieldError(ValueError):
    """A field that holds no value the model writes; the message says what it holds."""


def parse_field(text: str) -> float:
    """The value of one field; NaN for a field of asterisks. Anything but fixed-point digits is a FieldError."""
    stripped = text.strip()
    if stripped and set(stripped) == {"*"}:
        return math.nan
    if stripped in ("NaN", "Infinity", "-Infinity"):
        raise FieldError(f"holds {stripped!r}: the run produced a value that is not finite, so its results "
                         "cannot be used; look at its console and stderr")
    if not _FIXED.match(stripped):
        raise FieldError(f"holds {stripped!r}, which is not a fixed-point number as the model writes one")
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
