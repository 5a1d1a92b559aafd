"""The control file "SIM.FILE" and the free-form input data file.

The input data file holds eight groups of values; each group starts on a new
line and may run over several lines. Values are separated by blanks, commas
or line ends; r*v repeats a value, r* leaves r items unchanged, an empty value
between two commas leaves its item unchanged, and a slash ends the group.
Whatever follows the last value of a group on its line is a remark. Items
left unchanged hold 0. This is the same syntax the model reads.
"""
from __future__ import annotations

import math
import os
import re
from dataclasses import dataclass, field

import numpy as np

from .text_files import BadInput, read_text

# The control file names the input data file in its first 15 characters.
CONTROL_FILE = "SIM.FILE"
INPUT_NAME_LENGTH = 15

# Gravity as the model uses it: the single-precision 9.81 widened to double.
GRAVITY = float(np.float32(9.81))

# The eight groups: (name, kind, unit, meaning) of each item.
GROUPS = [
    [("H_WAVE", float, "m", "incident wave height"), ("T_WAVE", float, "s", "wave period")],
    [("TAN_BETA", float, "1", "slope of the initial plane beach"),
     ("K_HYD", float, "m s-1", "hydraulic conductivity of the beach sand"),
     ("D_SEA", float, "m", "still-water depth at the seaward end of the grid"),
     ("H_LAND", float, "m", "water-table elevation at the landward boundary of the aquifer"),
     ("X_LAND", float, "m", "cross-shore position of the landward boundary of the aquifer")],
    [("Q_WELL", float, "m2 s-1", "discharge of the well per unit width of beach"),
     ("X_WELL", float, "m", "cross-shore position of the well"),
     ("Z_WELL", float, "m", "elevation of the well")],
    [("T_MAX", float, "s", "duration of the run"),
     ("N_OUT", float, "1", "time steps between wave and aquifer snapshots")],
    [("I_INFIL", int, "1", "aquifer and infiltration model on (1) or off"),
     ("I_MORPH", int, "1", "beach profile update on (1) or off")],
    [("F_FRIC", float, "1", "bottom friction factor"),
     ("EFF_ON", float, "1", "sediment transport efficiency during onshore flow"),
     ("EFF_OFF", float, "1", "sediment transport efficiency during offshore flow"),
     ("TAN_PHI", float, "1", "tangent of the friction angle of the sediment")],
    [("DX_ND", float, "1", "dimensionless grid spacing of the wave model"),
     ("H_CUT", float, "1", "dimensionless cut-off water depth of the wave model"),
     ("L_ELEM", float, "m", "element length of the aquifer mesh along the beach face")],
    [("DAMP1", float, "1", "numerical damping coefficient of the wave scheme")],
]
PARAMETERS = {name: (kind, unit, meaning) for group in GROUPS for name, kind, unit, meaning in group}

_REAL = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?$")
_INTEGER = re.compile(r"^[+-]?\d+$")


# The model's own input is a few hundred bytes; anything this large is not an input data file.
INPUT_SIZE_LIMIT = 1 << 20


class InputDataError(BadInput):
    """Input that cannot be read: names the file, the line and what to change."""


@dataclass
class InputData:
    """The values of the input data file and what the model derives from them."""

    path: str
    values: dict = field(default_factory=dict)
    lines: dict = field(default_factory=dict)

    def __getitem__(self, name):
        return self.values[name]

    @property
    def dx(self):
        """Grid spacing in metres, formed as the model forms it."""
        v = self.values
        return math.sqrt(v["H_WAVE"] * GRAVITY) * (v["T_WAVE"] * v["DX_ND"])

    @property
    def initial_shoreline_node(self):
        """NS: the last wet node of the initial still water (truncated, not rounded)."""
        v = self.values
        if not (v["TAN_BETA"] > 0 and self.dx > 0):
            return 0
        return int((v["D_SEA"] / v["TAN_BETA"]) / self.dx)

    @property
    def n_grid(self):
        ns = self.initial_shoreline_node
        return 2 * ns + ns // 2

    def node_x(self, count):
        """Cross-shore position of nodes 1..count (m), DX * (j - 1)."""
        dx = self.dx
        return np.array([dx * (j - 1) for j in range(1, count + 1)], dtype=np.float64)

    def initial_bed(self, count):
        """Bed of the initial plane beach at nodes 1..count (m above the seaward bed)."""
        slope = self.values["TAN_BETA"]
        return np.array([slope * x for x in self.node_x(count)], dtype=np.float64)


def _shown(text, quote):
    """The text of a value in a message: quoted from the case's own files only, so that a "SIM.FILE" naming a
    file elsewhere (/etc/shadow) never has its content copied into an error."""
    return f'"{text}"' if quote else "(the text is not shown: the file lies outside the case folder)"


def _parse(text, kind, name, group, path, line_no, quote=True):
    if kind is int:
        if not _INTEGER.match(text):
            raise InputDataError(
                f'{path}, line {line_no}: group {group}: {name} = {_shown(text, quote)} is not an integer; '
                "write it as digits without a decimal point")
        return int(text)
    if not _REAL.match(text):
        raise InputDataError(
            f'{path}, line {line_no}: group {group}: {name} = {_shown(text, quote)} is not a number; '
            "write a real such as 0.5, 8 or 1.0E-3")
    value = float(text.replace("D", "E").replace("d", "e"))
    if not math.isfinite(value):
        raise InputDataError(f"{path}, line {line_no}: group {group}: {name} = {_shown(text, quote)} is too large "
                             "for a double; write a value below 1.8E308")
    return value


def read_groups(text: str, path: str = "<input>", quote: bool = True) -> InputData:
    """Reads the eight groups from the text of an input data file; with `quote` false no text of the file
    appears in an error."""
    lines = text.splitlines()
    data = InputData(path=path)
    line_index = 0
    for group_no, group in enumerate(GROUPS, start=1):
        for name, kind, _, _ in group:
            data.values[name] = kind(0)
        item = 0
        done = False
        while not done:
            if line_index >= len(lines):
                raise InputDataError(
                    f"{path}: the file ends before group {group_no} is complete "
                    f"({item} of {len(group)} values read); add the missing values")
            line = lines[line_index].replace("\t", " ").replace("\r", " ")
            line_no = line_index + 1
            line_index += 1
            pos = 0
            after_value = False
            while pos < len(line) and not done:
                ch = line[pos]
                if ch == " ":
                    pos += 1
                elif ch == "/":
                    done = True
                elif ch == ",":
                    if not after_value:
                        data.lines[group[item][0]] = line_no
                        item += 1
                    after_value = False
                    pos += 1
                else:
                    end = pos
                    while end < len(line) and line[end] not in " ,/":
                        end += 1
                    token = line[pos:end]
                    pos = end
                    after_value = True
                    count, value_text = 1, token
                    if "*" in token:
                        count_text, value_text = token.split("*", 1)
                        if not _INTEGER.match(count_text) or int(count_text) < 1:
                            raise InputDataError(
                                f"{path}, line {line_no}: group {group_no}: {_shown(token, quote)} has no valid "
                                "repeat count; write count*value with a positive whole count")
                        count = int(count_text)
                    for _ in range(count):
                        if item >= len(group):
                            break
                        name, kind, _, _ = group[item]
                        if value_text:
                            data.values[name] = _parse(value_text, kind, name, group_no, path, line_no, quote)
                        data.lines[name] = line_no
                        item += 1
                if item >= len(group):
                    done = True
    return data


def read_input_file(path: str, quote: bool = True) -> InputData:
    try:
        text = read_text(path, "input data file", "latin-1", INPUT_SIZE_LIMIT)
    except BadInput as error:
        raise InputDataError(str(error)) from None
    return read_groups(text, path, quote)


def input_file_name(case_dir: str) -> str:
    """The input data file named by the first 15 characters of "SIM.FILE" (after a UTF-8 byte-order mark)."""
    control = os.path.join(case_dir, CONTROL_FILE)
    try:
        text = read_text(control, 'the control file "SIM.FILE"', "latin-1", INPUT_SIZE_LIMIT)
    except BadInput as error:
        raise InputDataError(f'{error}; a case folder holds "SIM.FILE"') from None
    if text.startswith("\xef\xbb\xbf"):
        text = text[3:]
    first = text.split("\n", 1)[0].rstrip("\r")
    name = first[:INPUT_NAME_LENGTH].rstrip(" \t")
    if not name:
        raise InputDataError(f"{control}, line 1: names no input data file in its first 15 characters")
    return name


def input_file_path(case_dir: str) -> str:
    return os.path.join(case_dir, input_file_name(case_dir))


def lies_in(path: str, folder: str) -> bool:
    """Whether `path`, links resolved, lies in `folder` or below it."""
    real, top = os.path.realpath(path), os.path.realpath(folder)
    return os.path.commonpath([real, top]) == top


def read_case_input(case_dir: str) -> InputData:
    """The input data of a case folder, found through its "SIM.FILE". Text of the file is quoted in errors only
    when it lies in the case folder."""
    path = input_file_path(case_dir)
    return read_input_file(path, quote=lies_in(path, case_dir))


def format_value(value) -> str:
    """A value written so that the model reads back exactly the same number."""
    if isinstance(value, (int, np.integer)) and not isinstance(value, bool):
        return str(int(value))
    return repr(float(value))


def write_input_file(path: str, values: dict, title: str = "") -> None:
    """Writes a complete input data file, one group a line, each with its names as a remark."""
    out = []
    for group_no, group in enumerate(GROUPS, start=1):
        texts = []
        for name, kind, _, _ in group:
            value = values[name]
            texts.append(format_value(kind(value)))
        remark = " ".join(name for name, _, _, _ in group)
        if group_no == 1 and title:
            remark += ": " + title
        out.append(f"{' '.join(texts):<30} {remark}")
    with open(path, "w", encoding="ascii") as handle:
        handle.write("\n".join(out) + "\n")
