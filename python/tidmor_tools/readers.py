"""Readers of the four result files of a case into xarray Datasets.

The files have no headers; their blocks are found from the layout the model
writes:

- "outw.dat": a snapshot is one line per wet node 1..N_SHORE, and node 1 lies
  at x = 0, so every line with x = 0 begins a snapshot; an empty line is a
  snapshot with no wet node.
- "outb.dat": a profile record is one line per grid node 1..N_GRID, with
  N_GRID derived from the input data, so records are cut every N_GRID lines.
- "outs.dat": one line per profile record, written at the same step.
- "outg.dat": a boundary block is one line per boundary node, starting with
  node 1 at x = 0 (the seaward foot of the beach face); the blocks written at
  start-up are 65 characters a line, the snapshots 60. With the aquifer on
  the file begins with two start-up blocks (the generated mesh and the
  boundary at rest), with it off with one empty line. The k-th snapshot block
  belongs to the k-th wave snapshot, which gives its time. Field 1 is the x of
  the last beach-face node, which gives N_FACE; the water table runs from
  there to the landward side at x = X_LAND, and the bottom closes the polygon.
"""
from __future__ import annotations

import math
import os
import warnings

import numpy as np
import xarray as xr

from .fixed_columns import FieldError, is_overflow, parse_field, split_fields
from .input_data import InputData, read_case_input
from .text_files import BadInput, read_text

# Line layouts: (field width, field count).
WAVE_LAYOUT = (14, 5)
PROFILE_LAYOUT = (13, 4)
SWASH_LAYOUT = (12, 3)
AQUIFER_START_LAYOUT = (13, 5)
AQUIFER_SNAPSHOT_LAYOUT = (12, 5)

# Parts of the aquifer boundary, in the order of the polygon.
PART_FACE, PART_WATER_TABLE, PART_LANDWARD, PART_BOTTOM = 1, 2, 3, 4
PART_NAMES = "beach_face water_table landward_side bottom"

# Kinds of aquifer boundary block.
BLOCK_GENERATED, BLOCK_AT_REST, BLOCK_SNAPSHOT = 1, 2, 3
BLOCK_KIND_NAMES = "generated_mesh boundary_at_rest snapshot"


# The transport sums: efficiency (1) times the boundary-layer factor (1) times u cubed (m3 s-3) times the step
# length (s) over the friction slope tan(phi) +- bed slope (1), summed over the steps of a period.
TRANSPORT_UNITS = "m3 s-2"
TRANSPORT_COMMENT = ("the model's transport sum over the steps of the wave period: efficiency times the "
                     "boundary-layer factor times u**3 times the time step over (TAN_PHI +- mean bed slope), with u "
                     "the depth-averaged velocity limited to 2 m/s; no density, friction factor or gravity enters. "
                     "The profile update takes the bed change as minus the x-derivative of the smoothed net sum "
                     "divided by the number 1060")


class TidmorFieldWarning(UserWarning):
    """A field of asterisks (a value too wide for its field) read as NaN, or a layout that does not add up."""


class ResultFileError(BadInput):
    """A result file whose layout is not that of the model."""


def _lines(path):
    if not os.path.lexists(path):
        return []
    try:
        lines = read_text(path, "result file", "ascii").split("\n")
    except BadInput as error:
        raise ResultFileError(str(error)) from None
    if lines[-1] == "":
        lines.pop()
    return lines


def _values(path, line_no, line, layout, overflow):
    width, count = layout
    if len(line) != width * count:
        raise ResultFileError(
            f"{path}, line {line_no}: {len(line)} characters where {width * count} were expected "
            f"({count} fields of {width}); is this a result file of the model?")
    fields = split_fields(line, width, count)
    values = []
    for k, text in enumerate(fields, start=1):
        try:
            values.append(parse_field(text))
        except FieldError as error:
            raise ResultFileError(f"{path}, line {line_no}: field {k} (columns {(k - 1) * width + 1}-{k * width}) "
                                  f"{error}") from None
    stars = sum(1 for text in fields if is_overflow(text))
    if stars and not overflow[0]:
        overflow.append(line_no)
    overflow[0] += stars
    return values


def _warn_overflow(path, overflow):
    if overflow[0]:
        warnings.warn(f"{path}: {overflow[0]} field(s) of asterisks (values too wide for their field) read as NaN, "
                      f"the first on line {overflow[1]}",
                      TidmorFieldWarning, stacklevel=3)


def _ragged(blocks, columns):
    """Pads blocks of different lengths with NaN into (block, node) arrays, one per column."""
    longest = max((len(block) for block in blocks), default=0)
    arrays = [np.full((len(blocks), longest), np.nan) for _ in columns]
    for b, block in enumerate(blocks):
        for i, row in enumerate(block):
            for a, column in zip(arrays, columns):
                a[b, i] = row[column]
    return arrays, longest


def read_wave_snapshots(path: str, data: InputData) -> xr.Dataset:
    """"outw.dat": snapshots x nodes, ragged by the shoreline (NaN beyond N_SHORE)."""
    overflow = [0]
    blocks, times = [], []
    for line_no, line in enumerate(_lines(path), start=1):
        if not line:
            blocks.append([])
            times.append(math.nan)
            continue
        row = _values(path, line_no, line, WAVE_LAYOUT, overflow)
        if row[1] == 0.0 or not blocks or not blocks[-1]:
            blocks.append([])
            times.append(row[0])
        blocks[-1].append(row)
    _warn_overflow(path, overflow)
    (depth, velocity, infil), longest = _ragged(blocks, [2, 3, 4])
    node = np.arange(1, longest + 1, dtype=np.int32)
    return xr.Dataset(
        {
            "depth": (("snapshot", "node"), depth, {
                "long_name": "water depth", "units": "m", "standard_name": "sea_floor_depth_below_sea_surface"}),
            "velocity": (("snapshot", "node"), velocity, {
                "long_name": "depth-averaged cross-shore velocity, positive landward", "units": "m s-1",
                "standard_name": "sea_water_x_velocity"}),
            "infiltration": (("snapshot", "node"), infil, {
                "long_name": "velocity of the flow through the beach face, positive out of the beach",
                "units": "m s-1"}),
            "n_shore": (("snapshot",), np.array([len(b) for b in blocks], dtype=np.int32), {
                "long_name": "shoreline node: number of wet nodes in the snapshot", "units": "1"}),
        },
        coords={
            "snapshot": ("snapshot", np.arange(1, len(blocks) + 1, dtype=np.int32),
                         {"long_name": "wave snapshot number", "units": "1"}),
            "time": ("snapshot", np.array(times, dtype=np.float64), {
                "long_name": "elapsed model time (printed to 0.01 s)", "units": "s", "standard_name": "time"}),
            "node": ("node", node, {"long_name": "wave grid node number, 1 at the seaward end", "units": "1"}),
            "x": ("node", data.node_x(longest), {
                "long_name": "cross-shore position, positive landward from the seaward end of the grid",
                "units": "m"}),
        },
        attrs={"title": "TIDMOR wave snapshots", "source_file": os.path.basename(path)},
    )


def read_profiles(path: str, data: InputData) -> xr.Dataset:
    """"outb.dat": profile records x grid nodes, with x and the initial plane bed."""
    n_grid = data.n_grid
    overflow = [0]
    blocks, times = [], []
    current = []
    for line_no, line in enumerate(_lines(path), start=1):
        if n_grid <= 0:
            if line:
                raise ResultFileError(f"{path}, line {line_no}: the grid has no nodes, so a record is one empty line")
            blocks.append([])
            times.append(math.nan)
            continue
        current.append(_values(path, line_no, line, PROFILE_LAYOUT, overflow))
        if len(current) == n_grid:
            blocks.append(current)
            times.append(current[0][0])
            current = []
    if current:
        raise ResultFileError(
            f"{path}: the last record has {len(current)} lines, not N_GRID = {n_grid}; the file is cut short "
            "or belongs to another input data file")
    _warn_overflow(path, overflow)
    count = max(n_grid, 0)
    (qs_on, qs_off, z_bed), _ = _ragged(blocks, [1, 2, 3])
    if not blocks:
        qs_on = qs_off = z_bed = np.zeros((0, count))
    return xr.Dataset(
        {
            "qs_on": (("record", "node"), qs_on, {
                "long_name": "sediment transport summed over the wave period, onshore flow",
                "units": TRANSPORT_UNITS, "comment": TRANSPORT_COMMENT}),
            "qs_off": (("record", "node"), qs_off, {
                "long_name": "sediment transport summed over the wave period, offshore flow (negative)",
                "units": TRANSPORT_UNITS, "comment": TRANSPORT_COMMENT}),
            "z_bed": (("record", "node"), z_bed, {
                "long_name": "bed elevation above the seabed at the seaward end, after the profile update",
                "units": "m"}),
            "z_bed_initial": (("node",), data.initial_bed(count), {
                "long_name": "bed elevation of the initial plane beach", "units": "m"}),
        },
        coords={
            "record": ("record", np.arange(1, len(blocks) + 1, dtype=np.int32),
                       {"long_name": "profile record number (one every tenth wave period)", "units": "1"}),
            "time": ("record", np.array(times, dtype=np.float64),
                     {"long_name": "elapsed model time", "units": "s", "standard_name": "time"}),
            "node": ("node", np.arange(1, count + 1, dtype=np.int32),
                     {"long_name": "wave grid node number, 1 at the seaward end", "units": "1"}),
            "x": ("node", data.node_x(count), {
                "long_name": "cross-shore position, positive landward from the seaward end of the grid",
                "units": "m"}),
        },
        attrs={"title": "TIDMOR beach profiles", "source_file": os.path.basename(path)},
    )


def read_swash(path: str, profiles: xr.Dataset) -> xr.Dataset:
    """"outs.dat": run-down, run-up and swash slope per record, timed by the profile record of the same step."""
    overflow = [0]
    rows = [_values(path, n, line, SWASH_LAYOUT, overflow) for n, line in enumerate(_lines(path), start=1)]
    _warn_overflow(path, overflow)
    table = np.array(rows, dtype=np.float64).reshape(len(rows), 3)
    if len(rows) == profiles.sizes["record"]:
        times = profiles["time"].values.copy()
    else:
        warnings.warn(f"{path}: {len(rows)} lines but {profiles.sizes['record']} profile records; times unknown",
                      TidmorFieldWarning, stacklevel=2)
        times = np.full(len(rows), np.nan)
    return xr.Dataset(
        {
            "x_down": (("record",), table[:, 0], {"long_name": "run-down limit of the wave period", "units": "m"}),
            "x_up": (("record",), table[:, 1], {"long_name": "run-up limit of the wave period", "units": "m"}),
            "slope_swash": (("record",), table[:, 2], {
                "long_name": "mean bed slope between run-down and run-up limits", "units": "1"}),
        },
        coords={
            "record": ("record", np.arange(1, len(rows) + 1, dtype=np.int32),
                       {"long_name": "profile record number (one every tenth wave period)", "units": "1"}),
            "time": ("record", times, {"long_name": "elapsed model time", "units": "s", "standard_name": "time"}),
        },
        attrs={"title": "TIDMOR swash statistics", "source_file": os.path.basename(path)},
    )


def _boundary_parts(rows, x_land):
    """N_FACE, N_FREE and the part of each node, from the node order of the polygon."""
    x_face = rows[0][0]
    n_face = next((i + 1 for i, row in enumerate(rows) if row[1] == x_face), 0)
    parts = np.full(len(rows), PART_BOTTOM, dtype=np.int8)
    parts[:n_face] = PART_FACE
    j = n_face
    while j < len(rows) and rows[j][1] != x_land:
        parts[j] = PART_WATER_TABLE
        j += 1
    n_free = j - n_face
    while j < len(rows) and rows[j][1] == x_land:
        parts[j] = PART_LANDWARD
        j += 1
    return n_face, n_free, parts


def read_aquifer(path: str, data: InputData, waves: xr.Dataset) -> xr.Dataset:
    """"outg.dat": the start-up blocks and the snapshots, block x boundary node."""
    overflow = [0]
    blocks, widths = [], []
    for line_no, line in enumerate(_lines(path), start=1):
        if not line:
            blocks.append([])
            widths.append(0)
            continue
        layout = AQUIFER_START_LAYOUT if len(line) == 65 else AQUIFER_SNAPSHOT_LAYOUT
        row = _values(path, line_no, line, layout, overflow)
        if row[1] == 0.0 or not blocks or not blocks[-1] or widths[-1] != len(line):
            blocks.append([])
            widths.append(len(line))
        blocks[-1].append(row)
    _warn_overflow(path, overflow)

    n_start = 2 if data["I_INFIL"] == 1 else 1
    kinds = [BLOCK_GENERATED if b == 0 else BLOCK_AT_REST if b < n_start else BLOCK_SNAPSHOT
             for b in range(len(blocks))]
    for b, (kind, width) in enumerate(zip(kinds, widths)):
        expected = 65 if kind != BLOCK_SNAPSHOT else 60
        if width not in (0, expected):
            warnings.warn(f"{path}: block {b + 1} has {width}-character lines where {expected} were expected",
                          TidmorFieldWarning, stacklevel=2)
    snapshots = sum(1 for kind in kinds if kind == BLOCK_SNAPSHOT)
    wave_times = waves["time"].values
    if snapshots != len(wave_times):
        warnings.warn(f"{path}: {snapshots} snapshot blocks but {len(wave_times)} wave snapshots; times unknown",
                      TidmorFieldWarning, stacklevel=2)
    times, k = [], 0
    for kind in kinds:
        if kind != BLOCK_SNAPSHOT:
            times.append(0.0)
        else:
            times.append(wave_times[k] if snapshots == len(wave_times) else math.nan)
            k += 1

    (x_face, x, z, head, q), longest = _ragged(blocks, [0, 1, 2, 3, 4])
    n_face = np.zeros(len(blocks), dtype=np.int32)
    n_free = np.zeros(len(blocks), dtype=np.int32)
    parts = np.zeros((len(blocks), longest), dtype=np.int8)
    for b, rows in enumerate(blocks):
        if rows:
            n_face[b], n_free[b], parts[b, :len(rows)] = _boundary_parts(rows, round(data["X_LAND"], 6))
    return xr.Dataset(
        {
            "block_kind": (("block",), np.array(kinds, dtype=np.int8), {
                "long_name": "kind of boundary block", "units": "1", "flag_values": np.array([1, 2, 3], dtype=np.int8),
                "flag_meanings": BLOCK_KIND_NAMES}),
            "n_bnd": (("block",), np.array([len(b) for b in blocks], dtype=np.int32),
                      {"long_name": "number of aquifer boundary nodes", "units": "1"}),
            "n_face": (("block",), n_face, {"long_name": "number of beach-face nodes", "units": "1"}),
            "n_free": (("block",), n_free, {"long_name": "number of water-table nodes", "units": "1"}),
            "x_face": (("block",), x_face[:, 0] if longest else np.zeros(len(blocks)), {
                "long_name": "cross-shore position of the last beach-face node (exit point or shoreline node)",
                "units": "m"}),
            "x_bnd": (("block", "bnd_node"), x, {"long_name": "cross-shore position of the boundary node",
                                                  "units": "m"}),
            "z_bnd": (("block", "bnd_node"), z, {
                "long_name": "elevation of the boundary node above the aquifer bottom", "units": "m"}),
            "head": (("block", "bnd_node"), head, {"long_name": "piezometric head at the boundary node",
                                                    "units": "m"}),
            "dhead_dn": (("block", "bnd_node"), q, {
                "long_name": "derivative of the head along the outward normal", "units": "1"}),
            "part": (("block", "bnd_node"), parts, {
                "long_name": "part of the aquifer boundary", "units": "1",
                "flag_values": np.array([1, 2, 3, 4], dtype=np.int8),
                "flag_meanings": PART_NAMES, "_FillValue": np.int8(0)}),
        },
        coords={
            "block": ("block", np.arange(1, len(blocks) + 1, dtype=np.int32),
                      {"long_name": "aquifer boundary block number", "units": "1"}),
            "time": ("block", np.array(times, dtype=np.float64), {
                "long_name": "elapsed model time (0 for the start-up blocks)", "units": "s",
                "standard_name": "time"}),
            "bnd_node": ("bnd_node", np.arange(1, longest + 1, dtype=np.int32),
                         {"long_name": "aquifer boundary node number", "units": "1"}),
        },
        attrs={"title": "TIDMOR aquifer boundary", "source_file": os.path.basename(path)},
    )


def input_folder(case_dir: str) -> str:
    """The folder holding "SIM.FILE": the case folder, or for a results folder such as CASE/expected, CASE."""
    if not os.path.exists(os.path.join(case_dir, "SIM.FILE")) and os.path.exists(
            os.path.join(case_dir, os.pardir, "SIM.FILE")):
        return os.path.normpath(os.path.join(case_dir, os.pardir))
    return case_dir


def case_name(case_dir: str) -> str:
    return os.path.basename(os.path.abspath(input_folder(case_dir)))


def read_case(case_dir: str, results_dir: str | None = None, force: bool = False) -> dict:
    """Reads a case: the input found through "SIM.FILE" in `case_dir`, the result files in `results_dir`
    (default: the case folder itself). A folder without "SIM.FILE" whose parent has one, such as a case's
    `expected/` folder, takes its input from the parent. When the results have a "run.json" whose input hashes
    differ from the input now, a ProvenanceError, or with `force` a warning (see `provenance`)."""
    from .provenance import case_provenance
    data = read_case_input(input_folder(case_dir))
    where = results_dir if results_dir is not None else case_dir
    provenance = case_provenance(input_folder(case_dir), where, force)
    if not any(os.path.exists(os.path.join(where, name)) for name in ("outw.dat", "outb.dat", "outg.dat", "outs.dat")):
        raise ResultFileError(f"{where}: holds no result file (outw.dat, outb.dat, outg.dat, outs.dat); run the case "
                              "there first, or give the folder of its results")
    waves = read_wave_snapshots(os.path.join(where, "outw.dat"), data)
    profiles = read_profiles(os.path.join(where, "outb.dat"), data)
    return {
        "input": data,
        "wave": waves,
        "profile": profiles,
        "swash": read_swash(os.path.join(where, "outs.dat"), profiles),
        "aquifer": read_aquifer(os.path.join(where, "outg.dat"), data, waves),
        "provenance": provenance,
    }
