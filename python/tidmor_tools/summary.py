"""One table of a sweep: the inputs, the exit status and the main results of every case."""
from __future__ import annotations

import csv
import json
import math
import os
import warnings

import numpy as np

from .case_folders import CASE_LIST_NAME, RECORD_NAME, case_status
from .input_data import PARAMETERS
from .readers import read_case
from .text_files import BadInput, read_text


def shoreline_position(x, z_bed, level):
    """The first crossing of the still-water level by the bed, from the sea (m); NaN when there is none."""
    above = np.flatnonzero(z_bed >= level)
    if above.size == 0 or above[0] == 0:
        return float("nan")
    j = above[0]
    return float(x[j - 1] + (level - z_bed[j - 1]) * (x[j] - x[j - 1]) / (z_bed[j] - z_bed[j - 1]))


def case_results(case_dir: str) -> dict:
    """Run-up and run-down per record, shoreline and volume change of the last profile, net face flux."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return results_of(read_case(case_dir))


def results_of(case) -> dict:
    """The summary's results of a case that has been read."""
    data, prof, swash, wave = case["input"], case["profile"], case["swash"], case["wave"]
    row = {}
    for r in range(swash.sizes["record"]):
        row[f"x_up_{r + 1}"] = float(swash["x_up"].values[r])
        row[f"x_down_{r + 1}"] = float(swash["x_down"].values[r])
    if prof.sizes["record"]:
        x, last, initial = prof["x"].values, prof["z_bed"].values[-1], prof["z_bed_initial"].values
        row["shoreline_change"] = shoreline_position(x, last, data["D_SEA"]) - shoreline_position(
            x, initial, data["D_SEA"])
        row["volume_change"] = float(np.trapz(last - initial, x))
    if wave.sizes["snapshot"]:
        fluxes = []
        for s in range(wave.sizes["snapshot"]):
            n = int(wave["n_shore"].values[s])
            fluxes.append(float(np.trapz(wave["infiltration"].values[s, :n], wave["x"].values[:n])) if n > 1 else 0.0)
        row["net_face_flux"] = float(np.mean(fluxes))
    return row


COLUMN_NOTES = {
    "status": "exit status of the run (empty: not finished)",
    "x_up_R": "run-up limit of profile record R (m)",
    "x_down_R": "run-down limit of profile record R (m)",
    "shoreline_change": "landward move of the still-water shoreline of the last profile from the initial one (m)",
    "volume_change": "bed volume of the last profile above the initial plane beach, per metre of beach (m3/m)",
    "net_face_flux": "flow out of the beach face integrated over the wet nodes, mean over the wave snapshots "
                     "(m2/s per metre of beach; negative: infiltration)",
}


def _case_names(sweep_dir):
    """The case folders to list: those of the case list when there is one (a sweep file with fewer cases leaves
    older folders behind), else every folder. A listed name must be a folder of the sweep itself."""
    listed = os.path.join(sweep_dir, CASE_LIST_NAME)
    if not os.path.lexists(listed):
        return sorted(os.listdir(sweep_dir))
    names = []
    for number, line in enumerate(read_text(listed, "case list", "utf-8").split("\n"), start=1):
        if not line.strip():
            continue
        name = os.path.basename(line.rstrip("\r"))
        if name in ("", ".", ".."):
            raise BadInput(f"{listed}, line {number}: names no case folder of this sweep")
        names.append(name)
    return names


def _values_record(path):
    try:
        record = json.loads(read_text(path, "values record", "utf-8", 1 << 20))
    except json.JSONDecodeError as error:
        raise BadInput(f"{path}, line {error.lineno}: not valid JSON ({error.msg}); write the sweep again") from None
    inputs = record.get("input") if isinstance(record, dict) else None
    if not isinstance(inputs, dict) or set(inputs) != set(PARAMETERS):
        raise BadInput(f"{path}, line 1: not a values record of a sweep (its \"input\" must hold every input value); "
                       "write the sweep again")
    for name, value in inputs.items():
        if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
            raise BadInput(f"{path}: input value {name} = {value!r} is not a finite number; write the sweep again")
    return record


def summarise_sweep(sweep_dir: str, output: str | None = None) -> str:
    """Writes SWEEP/summary.csv (or `output`): one row per case folder holding a values record."""
    rows = []
    if not os.path.isdir(sweep_dir):
        raise BadInput(f"{sweep_dir}: not a folder; give the folder of a sweep")
    for name in _case_names(sweep_dir):
        case_dir = os.path.join(sweep_dir, name)
        record_path = os.path.join(case_dir, RECORD_NAME)
        if not os.path.lexists(record_path):
            continue
        record = _values_record(record_path)
        status = case_status(case_dir)
        row = {"case": name, **record["input"], "status": "" if status is None else status}
        if status == 0:
            row.update(case_results(case_dir))
        rows.append(row)
    if not rows:
        raise FileNotFoundError(f"{sweep_dir}: no case folders (folders with {RECORD_NAME}); is it a sweep folder?")
    columns = ["case", *PARAMETERS, "status"]
    records = max((int(k.rsplit("_", 1)[1]) for row in rows for k in row if k.startswith("x_up_")), default=0)
    for r in range(1, records + 1):
        columns += [f"x_up_{r}", f"x_down_{r}"]
    columns += ["shoreline_change", "volume_change", "net_face_flux"]
    output = output or os.path.join(sweep_dir, "summary.csv")
    with open(output, "w", newline="", encoding="utf-8") as handle:
        writer = csv.DictWriter(handle, fieldnames=columns, restval="")
        writer.writeheader()
        for row in rows:
            writer.writerow({k: (repr(v) if isinstance(v, float) else v) for k, v in row.items()})
    return output
