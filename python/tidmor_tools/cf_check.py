"""A check of the CF-1.10 rules the converted files rely on (Debian has no CF checker).

It checks what `convert` writes, in every group: the Conventions attribute; names; units on every variable,
each parsed by UDUNITS when its `udunits2` program is installed; a time with a reference ("seconds since
...") and a known calendar; axis values, at most one coordinate per axis of each field and `positive` on a
vertical axis; `coordinates` naming variables of the group whose dimensions the field has; coordinate variables
(named as their dimension) monotonic and without missing values; flags; fill values of the variable's type; the
standard names used with units they allow.
"""
from __future__ import annotations

import re
import shutil
import subprocess

import numpy as np

NAME = re.compile(r"^[A-Za-z][A-Za-z0-9_]*$")
TIME_UNITS = re.compile(r"^(seconds?|s) since \d{4}-\d{2}-\d{2}( \d{2}:\d{2}:\d{2}(\.\d+)?)?$")
CALENDARS = {"standard", "gregorian", "proleptic_gregorian", "julian", "noleap", "365_day", "all_leap", "366_day",
             "360_day", "none"}
# Standard names used by the tools, each with the units it is given.
STANDARD_NAMES = {"time": None, "sea_floor_depth_below_sea_surface": "m", "sea_water_x_velocity": "m s-1"}


def udunits_accepts(unit: str) -> bool | None:
    """Whether UDUNITS parses `unit`; None when the `udunits2` program is not installed."""
    if shutil.which("udunits2") is None:
        return None
    result = subprocess.run(["udunits2", "-H", unit, "-W", ""], capture_output=True, text=True,
                            stdin=subprocess.DEVNULL)
    return result.returncode == 0 and "Don't recognize" not in result.stderr


def _check_variable(where, name, var, group, problems, units_seen):
    attrs = {a: var.getncattr(a) for a in var.ncattrs()}
    if not NAME.match(name):
        problems.append(f"{where}{name}: the name must begin with a letter and hold letters, digits and _")
    if "long_name" not in attrs and "standard_name" not in attrs:
        problems.append(f"{where}{name}: neither long_name nor standard_name")
    units = attrs.get("units")
    if not isinstance(units, str) or not units:
        problems.append(f"{where}{name}: no units")
    else:
        units_seen.add(units)
    if "_FillValue" in attrs and np.asarray(attrs["_FillValue"]).dtype != var.dtype:
        problems.append(f"{where}{name}: _FillValue of type {np.asarray(attrs['_FillValue']).dtype}, "
                        f"variable {var.dtype}")
    standard = attrs.get("standard_name")
    if standard is not None:
        if standard not in STANDARD_NAMES:
            problems.append(f"{where}{name}: standard_name {standard!r} is not one the tools know")
        elif STANDARD_NAMES[standard] is not None and units != STANDARD_NAMES[standard]:
            problems.append(f"{where}{name}: standard_name {standard} wants units {STANDARD_NAMES[standard]}")
    if standard == "time" or attrs.get("axis") == "T":
        if not isinstance(units, str) or not TIME_UNITS.match(units):
            problems.append(f"{where}{name}: time units {units!r} give no reference time (seconds since ...)")
        if attrs.get("calendar", "standard") not in CALENDARS:
            problems.append(f"{where}{name}: calendar {attrs.get('calendar')!r} is not a CF calendar")
    axis = attrs.get("axis")
    if axis is not None:
        if axis not in ("X", "Y", "Z", "T"):
            problems.append(f"{where}{name}: axis {axis!r} is not X, Y, Z or T")
        if axis == "Z" and attrs.get("positive") not in ("up", "down"):
            problems.append(f"{where}{name}: a vertical axis needs positive = up or down")
    if "flag_values" in attrs:
        values = np.atleast_1d(attrs["flag_values"])
        meanings = str(attrs.get("flag_meanings", "")).split()
        if values.dtype != var.dtype:
            problems.append(f"{where}{name}: flag_values of type {values.dtype}, variable {var.dtype}")
        if len(values) != len(meanings) or len(set(values.tolist())) != len(values):
            problems.append(f"{where}{name}: flag_values and flag_meanings do not pair off")
    if name in var.dimensions and var.ndim == 1:
        data = np.ma.filled(var[:].astype(np.float64), np.nan)
        steps = np.diff(data)
        if np.isnan(data).any() or not (np.all(steps > 0) or np.all(steps < 0)):
            problems.append(f"{where}{name}: a coordinate variable must be monotonic without missing values")
    coordinates = str(attrs.get("coordinates", "")).split()
    axes = {}
    for coordinate in coordinates + [d for d in var.dimensions if d in group.variables]:
        if coordinate not in group.variables:
            problems.append(f"{where}{name}: coordinates names {coordinate!r}, which is not in the group")
            continue
        other = group.variables[coordinate]
        if not set(other.dimensions) <= set(var.dimensions):
            problems.append(f"{where}{name}: coordinate {coordinate} has dimensions the variable lacks")
        if "axis" in other.ncattrs():
            axes.setdefault(other.getncattr("axis"), []).append(coordinate)
    for axis, names in axes.items():
        if len(names) > 1:
            problems.append(f"{where}{name}: more than one coordinate with axis {axis}: {', '.join(names)}")


def check_cf(path: str, check_units: bool = True) -> list[str]:
    """The CF problems of a converted file, one message each; an empty list for a sound file."""
    import netCDF4
    problems, units_seen = [], set()
    with netCDF4.Dataset(path) as root:
        if getattr(root, "Conventions", None) != "CF-1.10":
            problems.append(f"{path}: global attribute Conventions is not CF-1.10")
        groups = [("", root)] + [(f"{g}/", root.groups[g]) for g in root.groups]
        for where, group in groups:
            for name, var in group.variables.items():
                _check_variable(where, name, var, group, problems, units_seen)
    if check_units:
        for unit in sorted(units_seen):
            if udunits_accepts(unit) is False:
                problems.append(f"{path}: units {unit!r} are not parsed by UDUNITS")
    return problems
