"""Convergence studies: a case run at a sequence of element lengths (and grid spacings), and how its key results
change from level to level.

The levels are written and run as the cases of a sweep, by the same runner and GNU parallel, ssh or Slurm, in
FOLDER/case_001 (the coarsest) ... With `compare` (e.g. Q_WELL = 0) every level is also run with those changes,
and the difference of the two bed changes is studied as "effect_on_bed" (the effect of a well, say).
"""
from __future__ import annotations

import csv
import math
import os
import warnings
from dataclasses import dataclass, field

import numpy as np

from .case_folders import CaseSet, collect_results
from .convergence import Convergence, assess, size
from .input_data import InputData, PARAMETERS, read_case_input
from .readers import PART_WATER_TABLE, BLOCK_AT_REST, case_name, read_case
from .summary import results_of
from .sweep import run_cases
from .sweep_file import SweepError, check_value

REFINABLE = ("L_ELEM", "DX_ND")
L_ELEM_MINIMUM = 0.1
GRID_LIMIT_AQUIFER, GRID_LIMIT = 1000, 4000
# Points on which the water table at rest of every level is compared.
WATER_TABLE_POINTS = 41

QUANTITIES = [
    # name, units, meaning
    ("bed_change", "m", "bed change of the last profile record (largest over the grid)"),
    ("effect_on_bed", "m", "bed change minus that of the compared case (largest over the grid)"),
    ("shoreline_change", "m", "move of the still-water shoreline of the last profile"),
    ("volume_change", "m3 m-1", "bed volume change of the last profile"),
    ("mean_face_flow", "m2 s-1", "flow through the wet face, mean over the snapshots"),
    ("water_table_at_rest", "m", "water-table elevation after the start-up (largest over x)"),
    ("run_up", "m", "run-up limit of the last record"),
    ("run_down", "m", "run-down limit of the last record"),
]


def level_changes(base: dict, refine=("L_ELEM",), levels: int = 3, ratio: float = 2.0) -> list[dict]:
    """The values each level changes: the refined values divided by ratio^(k-1); checked against the model's
    limits before anything runs."""
    if levels < 2:
        raise SweepError(f"levels = {levels}: a convergence study needs 2 levels or more")
    if not ratio > 1 or not math.isfinite(ratio):
        raise SweepError(f"ratio = {ratio}: the refinement ratio must be a number above 1")
    unknown = [name for name in refine if name not in REFINABLE]
    if unknown or not refine:
        raise SweepError(f"cannot refine {', '.join(unknown) or 'nothing'}: refine L_ELEM, DX_ND or both")
    changes = []
    for k in range(levels):
        level = {name: base[name] / ratio ** k for name in refine}
        values = InputData(path="", values={**base, **level})
        if "L_ELEM" in level and base["I_INFIL"] == 1 and not level["L_ELEM"] > L_ELEM_MINIMUM:
            raise SweepError(f"level {k + 1} would have L_ELEM = {level['L_ELEM']:g} m, and the model needs more than "
                             f"{L_ELEM_MINIMUM} m; give fewer levels (--levels {k}) or start from a longer L_ELEM")
        limit = GRID_LIMIT_AQUIFER if base["I_INFIL"] == 1 else GRID_LIMIT
        if "DX_ND" in level and values.n_grid > limit:
            raise SweepError(f"level {k + 1} would have N_GRID = {values.n_grid} nodes, more than the model's "
                             f"{limit}; give fewer levels (--levels {k})")
        changes.append(level)
    return changes


def parse_changes(texts, what="--set") -> dict:
    """NAME=VALUE pairs of the command line, checked as a sweep's values."""
    changes = {}
    for text in texts or ():
        name, sep, value = text.partition("=")
        if not sep:
            raise SweepError(f"{what} {text!r}: write NAME=VALUE, e.g. {what} T_MAX=84")
        try:
            number = float(value)
        except ValueError:
            raise SweepError(f"{what} {text!r}: {value!r} is not a number") from None
        if name.strip() in PARAMETERS and PARAMETERS[name.strip()][0] is int and number == int(number):
            number = int(number)
        changes[name.strip()] = check_value(what, name.strip(), number)
    return changes


def _water_table(case):
    aq = case["aquifer"]
    rest = [b for b in range(aq.sizes["block"]) if aq["block_kind"].values[b] == BLOCK_AT_REST]
    if not rest:
        return None
    b = rest[0]
    n = int(aq["n_bnd"].values[b])
    on = aq["part"].values[b, :n] == PART_WATER_TABLE
    return aq["x_bnd"].values[b, :n][on], aq["z_bnd"].values[b, :n][on]


def _bed_change(case, x_common):
    prof = case["profile"]
    if not prof.sizes["record"]:
        return None
    change = prof["z_bed"].values[-1] - prof["z_bed_initial"].values
    return np.interp(x_common, prof["x"].values, change)


@dataclass
class Study:
    folder: str
    refine: tuple
    ratio: float
    levels: list                      # the refined values of each level
    values: dict = field(default_factory=dict)      # quantity -> per level (scalar or field)
    assessed: dict = field(default_factory=dict)    # quantity -> Convergence
    wall_times: list = field(default_factory=list)
    x: np.ndarray | None = None       # where bed changes are compared
    csv_path: str = ""
    figure_path: str = ""

    def level_name(self, k):
        return ", ".join(f"{name} = {self.levels[k][name]:g}" + (" m" if name == "L_ELEM" else "")
                         for name in self.refine)


def analyse(study: Study, cases: list, compared: list | None, tolerance: float) -> None:
    """Fills the study's quantities and their convergence from the cases read at each level."""
    study.x = cases[0]["profile"]["x"].values
    per_level = [results_of(case) for case in cases]
    beds = [_bed_change(case, study.x) for case in cases]
    study.values["bed_change"] = beds
    if compared is not None:
        other = [_bed_change(case, study.x) for case in compared]
        study.values["effect_on_bed"] = [None if a is None or b is None else a - b for a, b in zip(beds, other)]
    for name, key in (("shoreline_change", "shoreline_change"), ("volume_change", "volume_change"),
                      ("mean_face_flow", "net_face_flux")):
        study.values[name] = [row.get(key, math.nan) for row in per_level]
    tables = [_water_table(case) for case in cases]
    if all(t is not None and t[0].size > 1 for t in tables):
        start = max(float(t[0][0]) for t in tables)
        end = min(float(t[0][-1]) for t in tables)
        points = np.linspace(start, end, WATER_TABLE_POINTS)
        study.values["water_table_at_rest"] = [np.interp(points, t[0], t[1]) for t in tables]
    records = [len([k for k in row if k.startswith("x_up_")]) for row in per_level]
    study.values["run_up"] = [row.get(f"x_up_{n}", math.nan) for row, n in zip(per_level, records)]
    study.values["run_down"] = [row.get(f"x_down_{n}", math.nan) for row, n in zip(per_level, records)]
    finest = study.level_name(len(study.levels) - 1)
    for name, _, _ in QUANTITIES:
        if name in study.values:
            levels = study.values[name]
            if any(v is None for v in levels):
                study.values[name] = [np.full(study.x.size, np.nan) if v is None else v for v in levels]
            study.assessed[name] = assess(study.values[name], study.ratio, finest, tolerance)


def _number(value):
    return "" if value is None or (isinstance(value, float) and math.isnan(value)) else repr(float(value))


def write_csv(study: Study, path: str) -> str:
    """One row per quantity: its size at each level, the differences, the order, the estimate, the verdict."""
    n = len(study.levels)
    header = (["quantity", "units"] + [f"level_{k + 1}" for k in range(n)]
              + [f"difference_{k + 1}_{k + 2}" for k in range(n - 1)]
              + ["observed_order", "richardson_remaining", "relative_remaining", "verdict"])
    with open(path, "w", newline="", encoding="utf-8") as handle:
        writer = csv.writer(handle)
        writer.writerow(["refined"] + [""] + [study.level_name(k) for k in range(n)])
        writer.writerow(header)
        for name, units, _ in QUANTITIES:
            if name not in study.assessed:
                continue
            c: Convergence = study.assessed[name]
            writer.writerow([name, units] + [_number(size(v)) if np.ndim(v) else _number(v)
                                             for v in study.values[name]]
                            + [_number(d) for d in c.differences]
                            + [_number(c.order), _number(c.remaining), _number(c.relative), c.verdict])
        writer.writerow(["wall_time", "s"] + [_number(t) for t in study.wall_times])
    return path


def draw(study: Study, path: str) -> str:
    """Left: the differences between successive levels over the quantity's size, against the finer level's
    refined value, with slopes of order 1 and 2. Right: the bed change (and the effect) of every level."""
    import matplotlib.pyplot as plt
    import matplotlib.ticker
    fig, (left, right) = plt.subplots(1, 2, figsize=(12, 5), layout="constrained")
    name0 = study.refine[0]
    h = np.array([level[name0] for level in study.levels])
    for name, _, _ in QUANTITIES:
        c = study.assessed.get(name)
        if c is None or not c.scale > 0:
            continue
        rel = np.array(c.differences) / c.scale
        if np.any(rel > 0):
            left.loglog(h[1:], np.where(rel > 0, rel, np.nan), "o-", label=name)
    for order, style in ((1, "k:"), (2, "k--")):
        left.loglog(h[1:], 0.1 * (h[1:] / h[1]) ** order, style, lw=0.8, label=f"order {order}")
    left.invert_xaxis()
    left.set_xticks(h[1:], [f"{v:.3g}" for v in h[1:]])
    left.xaxis.set_minor_formatter(matplotlib.ticker.NullFormatter())
    left.set_xlabel(f"{name0} of the finer level" + (" (m)" if name0 == "L_ELEM" else " (1)"))
    left.set_ylabel("difference to the coarser level / size (1)")
    left.set_title("Differences between successive levels")
    left.legend(fontsize=8)
    field_name = "effect_on_bed" if "effect_on_bed" in study.values else "bed_change"
    for k, values in enumerate(study.values.get(field_name, [])):
        right.plot(study.x, np.asarray(values) * 1e3, label=study.level_name(k))
    right.axhline(0, color="k", lw=0.8)
    right.set_xlabel("cross-shore distance x (m), landward")
    right.set_ylabel(("effect on the bed" if field_name == "effect_on_bed" else "bed change") + " (mm)")
    right.set_title(f"{field_name}: {study.assessed[field_name].verdict}" if field_name in study.assessed
                    else field_name, fontsize=9)
    right.legend(fontsize=8)
    fig.savefig(path, dpi=110)
    plt.close(fig)
    return path


def converge_case(case_dir: str, tidmor: str, output: str | None = None, levels: int = 3, ratio: float = 2.0,
                  refine=("L_ELEM",), changes: dict | None = None, compare: dict | None = None,
                  tolerance: float = 0.05, backend: str = "parallel", jobs: int = 1, timeout: float = 0.0,
                  sshlogins=(), partition=None, wait=True, log=print) -> Study | None:
    """Runs the case at `levels` refinements and assesses its key results; returns the study (None when a Slurm
    array was submitted without waiting: run again once it is over). Writes FOLDER/converge.csv and
    FOLDER/converge.png; FOLDER defaults to NAME-converge in the working folder."""
    base = dict(read_case_input(case_dir).values)
    base.update(changes or {})
    refine = tuple(refine)
    steps = level_changes(base, refine, levels, ratio)
    cases = [dict(changes or {}, **step) for step in steps]
    if compare:
        cases += [dict(case, **compare) for case in cases]
    folder = os.path.abspath(output or case_name(case_dir) + "-converge")
    plan = CaseSet(folder, os.path.abspath(case_dir), cases, dict(read_case_input(case_dir).values))
    results, _ = run_cases(plan, tidmor, backend, jobs, timeout, sshlogins, partition, wait, log=log)
    if results is None:
        return None
    results = collect_results(plan.case_dirs())
    failed = [r for r in results if r.status != 0]
    if failed:
        raise SweepError("the convergence study needs every level: " + "; ".join(
            f"{os.path.basename(r.case_dir)} ended with "
            + (f"exit status {r.status}: {r.stderr.splitlines()[-1] if r.stderr else '(no stderr)'}"
               if r.status is not None else "no status (stopped or not run)") for r in failed))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        read = [read_case(d) for d in plan.case_dirs()]
    study = Study(folder, refine, ratio, steps)
    study.wall_times = [(r.run or {}).get("wall_time_s", math.nan) for r in results[:levels]]
    analyse(study, read[:levels], read[levels:] if compare else None, tolerance)
    study.csv_path = write_csv(study, os.path.join(folder, "converge.csv"))
    study.figure_path = draw(study, os.path.join(folder, "converge.png"))
    return study
