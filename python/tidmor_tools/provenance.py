"""Which input made a case's results: "run.json" of the run against the input files as they are now.

The runner records the SHA-256 of "SIM.FILE" and of the input data file when a run starts. Reading results
whose input has been edited since would label them with values they were not made with, so it is refused;
`force` reads them anyway, with a warning, and says so in what it returns.
"""
from __future__ import annotations

import os
import warnings

from .case_folders import RUN_RECORD_NAME, read_run_record
from .case_runner import input_hashes
from .text_files import BadInput


class ProvenanceError(BadInput):
    """The input of a case changed after the run that made its results."""


class TidmorProvenanceWarning(UserWarning):
    """Results read although their input changed after the run (with force)."""


def _changes(record, now):
    changed = []
    for key in ("control_file", "input_file"):
        then = record.get(key) if isinstance(record.get(key), dict) else {}
        if then.get("name") != now[key]["name"] or then.get("sha256") != now[key]["sha256"]:
            changed.append((now[key]["name"] or key, then.get("sha256"), now[key]["sha256"]))
    return changed


def case_provenance(input_dir: str, results_dir: str, force: bool = False) -> dict:
    """The run record of the results (None without "run.json"), the input's hashes now, and whether the input
    changed after the run. A change is a ProvenanceError unless `force`."""
    record = read_run_record(results_dir)
    now = input_hashes(input_dir)
    changed = _changes(record, now) if record is not None else []
    if changed:
        what = "; ".join(f"{name}: SHA-256 {(then or 'none')[:12]}... at the run, {(later or 'none')[:12]}... now"
                         for name, then, later in changed)
        message = (f"{os.path.join(results_dir, RUN_RECORD_NAME)}: the input changed after the run that made these "
                   f"results ({what})")
        if not force:
            raise ProvenanceError(message + "; run the case again, or give --force to use the results anyway")
        warnings.warn(message + "; used anyway (--force)", TidmorProvenanceWarning, stacklevel=3)
    return {"run": record, "now": now, "input_changed": bool(changed)}
