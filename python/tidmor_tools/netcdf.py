"""One CF-1.10 netCDF file per case: a group per result file, the input values and the run's provenance as
global attributes.

Time is "seconds since" the start of the run, placed at an epoch of the user's choice (default
2000-01-01 00:00:00 UTC; the model itself has no calendar). `x` carries axis X and `time` axis T as auxiliary
coordinates of every field; on the aquifer boundary `x_bnd` and `z_bnd` (axis Z, positive up) are the
coordinates of the nodal values. Every variable is stored with zlib and shuffle, in chunks of one record
(snapshot, profile record or boundary block).
"""
from __future__ import annotations

import datetime
import os
import sys

import numpy as np

from .input_data import GROUPS
from .program import find_tidmor, tidmor_version
from .readers import case_name, read_case
from .text_files import BadInput

CONVENTIONS = "CF-1.10"
GROUP_NAMES = ("wave", "profile", "swash", "aquifer")
DEFAULT_START_TIME = "2000-01-01T00:00:00Z"
RECORD_DIMENSIONS = ("snapshot", "record", "block")
COMPRESSION_LEVEL = 4


def parse_start_time(text: str) -> datetime.datetime:
    """A UTC time such as 2024-03-01T06:00:00Z (or without the Z, or a date alone)."""
    try:
        moment = datetime.datetime.fromisoformat(text.strip().replace("z", "Z"))
    except ValueError:
        raise BadInput(f"--start-time {text!r} is not a time; write it as 2024-03-01T06:00:00Z") from None
    if moment.tzinfo is not None:
        if moment.utcoffset() != datetime.timedelta(0):
            raise BadInput(f"--start-time {text!r}: give the time in UTC (ending in Z)")
        moment = moment.replace(tzinfo=None)
    if moment.year < 1:
        raise BadInput(f"--start-time {text!r}: the year must be 1 or later")
    return moment


def time_attributes(start: datetime.datetime, default: bool) -> dict:
    return {
        "standard_name": "time", "long_name": "time of the run", "axis": "T", "calendar": "standard",
        "units": f"seconds since {start:%Y-%m-%d %H:%M:%S}",
        "comment": "model time since the start of the run; the start is placed at "
                   f"{start:%Y-%m-%d %H:%M:%S} UTC" + (" (the default: the model has no calendar; "
                                                        "tidmor-tools convert --start-time sets it)" if default
                                                        else " (tidmor-tools convert --start-time)"),
    }


def _cf_dataset(name, dataset, time_attrs):
    """The group's dataset as written: CF time, axes and coordinates."""
    dataset = dataset.copy()
    dataset.attrs = {"title": dataset.attrs.get("title", name), "source_file": dataset.attrs.get("source_file", "")}
    dataset["time"].attrs = dict(time_attrs, long_name=dataset["time"].attrs.get("long_name", "time"))
    if "x" in dataset.variables:
        dataset["x"].attrs["axis"] = "X"
    if name == "aquifer":
        dataset = dataset.set_coords(["x_bnd", "z_bnd"])
        dataset["x_bnd"].attrs["axis"] = "X"
        dataset["z_bnd"].attrs.update(axis="Z", positive="up")
    return dataset


def _encoding(dataset):
    """zlib with shuffle, chunks of one record; NaN as the fill value of real fields, none for the rest."""
    encoding = {}
    for var, v in dataset.variables.items():
        entry = {}
        if v.dtype.kind == "f" and var not in dataset.dims:
            entry["_FillValue"] = np.nan
        elif "_FillValue" not in v.attrs:
            entry["_FillValue"] = None
        if v.size:
            chunks = tuple(1 if dim in RECORD_DIMENSIONS and v.ndim > 1 else dataset.sizes[dim] for dim in v.dims)
            entry.update(zlib=True, complevel=COMPRESSION_LEVEL, shuffle=True, chunksizes=chunks)
        encoding[var] = entry
    return encoding


def global_attributes(data, version: str, command: str, provenance: dict | None = None) -> dict:
    attrs = {
        "Conventions": CONVENTIONS,
        "title": "TIDMOR results: swash, beach profile and beach aquifer of a cross-shore section",
        "source": f"tidmor {version}",
        "tidmor_version": version,
        "input_file": os.path.basename(data.path),
        "history": f"{datetime.datetime.now(datetime.timezone.utc).strftime('%Y-%m-%dT%H:%M:%SZ')} {command}",
        "comment": "x is the cross-shore distance landward from the seaward end of the grid; elevations and heads "
                   "are above the seabed at the seaward end, where the still-water depth is D_SEA",
    }
    if provenance is not None:
        attrs.update(provenance_attributes(provenance))
    for group in GROUPS:
        for name, kind, unit, meaning in group:
            value = data[name]
            attrs[f"input_{name}"] = np.int32(value) if kind is int else np.float64(value)
            attrs[f"input_{name}_units"] = unit
    attrs["derived_DX"] = np.float64(data.dx)
    attrs["derived_DX_units"] = "m"
    attrs["derived_N_GRID"] = np.int32(data.n_grid)
    attrs["derived_initial_shoreline_node"] = np.int32(data.initial_shoreline_node)
    return attrs


def provenance_attributes(provenance: dict) -> dict:
    """The input's hashes at conversion, and from "run.json" what ran, where and when."""
    now, run = provenance["now"], provenance["run"]
    attrs = {"input_file_sha256": now["input_file"]["sha256"] or "",
             "control_file_sha256": now["control_file"]["sha256"] or ""}
    if run is None:
        attrs["provenance"] = ("no run.json beside the results: the input hashes are those of the input at "
                               "conversion, which nothing ties to the run")
        return attrs
    for key in ("program_version", "host", "start", "end", "wall_time_s", "exit_status"):
        value = run.get(key)
        if value is not None:
            attrs[f"run_{key}"] = np.float64(value) if isinstance(value, float) else (
                np.int32(value) if isinstance(value, int) else str(value))
    for key in ("input_file", "control_file"):
        attrs[f"run_{key}_sha256"] = str((run.get(key) or {}).get("sha256") or "")
    attrs["provenance"] = ("the input changed after the run (converted with --force): the input values above "
                           "are those of the input now, not of the run" if provenance["input_changed"] else
                           "run.json: the input's hashes at conversion equal those recorded when the run started")
    return attrs


def convert_case(case_dir: str, output: str | None = None, tidmor: str | None = None,
                 command: str | None = None, start_time: str | None = None, force: bool = False,
                 results_dir: str | None = None) -> str:
    """Writes the case's results to one netCDF file (default NAME.nc in the working folder, NAME the case's
    name) and returns its path. `start_time` places the start of the run (default 2000-01-01T00:00:00Z);
    `force` converts results whose input changed after their run."""
    start = parse_start_time(start_time or DEFAULT_START_TIME)
    case = read_case(case_dir, results_dir, force)
    output = output or case_name(case_dir) + ".nc"
    run = case["provenance"]["run"]
    if run is not None and run.get("program_version"):
        version = str(run["program_version"])
    else:
        try:
            version = tidmor_version(find_tidmor(tidmor))
        except FileNotFoundError:
            version = "unknown"
    command = command or "tidmor-tools convert " + " ".join(sys.argv[2:] if len(sys.argv) > 2 else [case_dir])
    tmp = output + ".part"
    if os.path.exists(tmp):
        os.remove(tmp)
    import xarray as xr
    root = xr.Dataset(attrs=global_attributes(case["input"], version, command, case["provenance"]))
    root.to_netcdf(tmp, mode="w", format="NETCDF4")
    time_attrs = time_attributes(start, start_time is None)
    for name in GROUP_NAMES:
        dataset = _cf_dataset(name, case[name], time_attrs)
        dataset.to_netcdf(tmp, mode="a", group=name, format="NETCDF4", encoding=_encoding(dataset))
    os.replace(tmp, output)
    return output
