"""One CF-1.10 netCDF file per case: a group per result file, the input values as global attributes."""
from __future__ import annotations

import datetime
import os
import sys

import numpy as np

from .input_data import GROUPS
from .program import find_tidmor, tidmor_version
from .readers import case_name, read_case

CONVENTIONS = "CF-1.10"
GROUP_NAMES = ("wave", "profile", "swash", "aquifer")


def global_attributes(data, version: str, command: str) -> dict:
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


def convert_case(case_dir: str, output: str | None = None, tidmor: str | None = None,
                 command: str | None = None) -> str:
    """Writes the case's results to one netCDF file (default NAME.nc in the working folder, NAME the case's
    name) and returns its path."""
    case = read_case(case_dir)
    output = output or case_name(case_dir) + ".nc"
    try:
        executable = find_tidmor(tidmor)
    except FileNotFoundError:
        executable = None
    command = command or "tidmor-tools convert " + " ".join(sys.argv[2:] if len(sys.argv) > 2 else [case_dir])
    tmp = output + ".part"
    if os.path.exists(tmp):
        os.remove(tmp)
    import xarray as xr
    root = xr.Dataset(attrs=global_attributes(case["input"], tidmor_version(executable), command))
    root.to_netcdf(tmp, mode="w", format="NETCDF4")
    for name in GROUP_NAMES:
        dataset = case[name].copy()
        dataset.attrs = {"title": dataset.attrs.get("title", name), "source_file": dataset.attrs.get("source_file", "")}
        encoding = {var: {"_FillValue": np.nan} for var, v in dataset.variables.items()
                    if v.dtype.kind == "f" and var in dataset.data_vars}
        for var, v in dataset.variables.items():
            if var not in encoding and "_FillValue" not in v.attrs:
                encoding[var] = {"_FillValue": None}
        dataset.to_netcdf(tmp, mode="a", group=name, format="NETCDF4", encoding=encoding)
    os.replace(tmp, output)
    return output
