"""The folders of a set of cases: one per case with its input, the runner beside them, and what each run left.

A set of cases (a sweep, or the levels of a convergence study) is a folder holding `case_001`, `case_002`, ...
each with "SIM.FILE", "case.dat" (the template's input with the case's values) and "values.json" (the values
changed and the whole input), plus the runner "run_case.py" and the list "cases.txt". Each run leaves
"console.txt", "stderr.txt", "status", "run.json" and the result files in its folder.
"""
from __future__ import annotations

import json
import os
import shutil
from dataclasses import dataclass

from . import case_runner
from .input_data import write_input_file
from .text_files import BadInput, read_text

INPUT_NAME = "case.dat"
RECORD_NAME = "values.json"
STATUS_NAME = case_runner.STATUS_NAME
RUN_RECORD_NAME = case_runner.RUN_RECORD_NAME
RUNNER_NAME = "run_case.py"
CASE_LIST_NAME = "cases.txt"
LEFT_BY_A_RUN = (STATUS_NAME, RUN_RECORD_NAME, *case_runner.RESULT_NAMES, "console.txt", "stderr.txt",
                 case_runner.CHECKPOINT_NAME)


@dataclass
class CaseSet:
    """Cases to write into `folder`: the template's values `base` with the changes of each case."""
    folder: str
    template: str
    cases: list
    base: dict

    def case_dirs(self):
        return [os.path.join(self.folder, f"case_{k:03d}") for k in range(1, len(self.cases) + 1)]


def case_status(case_dir: str):
    """The exit status the case ended with, or None when it has not finished."""
    try:
        return int(read_text(os.path.join(case_dir, STATUS_NAME), "status file", "ascii", 64).strip())
    except (BadInput, ValueError):
        return None


def values_record(cases: CaseSet, case_dir: str, changed: dict) -> dict:
    return {"case": os.path.basename(case_dir), "template": cases.template, "changed": changed,
            "input": {**cases.base, **changed}}


def _same_record(path, record):
    try:
        return json.loads(read_text(path, "values record", "utf-8", 1 << 20)) == json.loads(json.dumps(record))
    except (BadInput, ValueError):
        return False


def prepare_cases(cases: CaseSet) -> list[str]:
    """Writes the case folders, the runner and the case list; returns the folders of the cases still to run.

    A case already done with the same values (exit status 0) is kept as it is; one stopped with a checkpoint
    is kept to go on from it."""
    os.makedirs(cases.folder, exist_ok=True)
    pending = []
    for case_dir, changed in zip(cases.case_dirs(), cases.cases):
        record = values_record(cases, case_dir, changed)
        record_path = os.path.join(case_dir, RECORD_NAME)
        same = _same_record(record_path, record)
        if same and case_status(case_dir) == 0:
            continue
        if same and case_status(case_dir) is None and \
                os.path.isfile(os.path.join(case_dir, case_runner.CHECKPOINT_NAME)):
            # Stopped with a checkpoint: the runner goes on from it.
            pending.append(case_dir)
            continue
        os.makedirs(case_dir, exist_ok=True)
        for stale in LEFT_BY_A_RUN:
            if os.path.lexists(os.path.join(case_dir, stale)):
                os.remove(os.path.join(case_dir, stale))
        write_input_file(os.path.join(case_dir, INPUT_NAME), record["input"],
                         title=", ".join(f"{k} = {v}" for k, v in changed.items()))
        with open(os.path.join(case_dir, "SIM.FILE"), "w", encoding="ascii") as handle:
            handle.write(INPUT_NAME + "\n")
        with open(record_path, "w", encoding="utf-8") as handle:
            json.dump(record, handle, indent=1)
            handle.write("\n")
        pending.append(case_dir)
    shutil.copyfile(case_runner.__file__, runner_path(cases.folder))
    with open(os.path.join(cases.folder, CASE_LIST_NAME), "w", encoding="utf-8") as handle:
        handle.write("\n".join(cases.case_dirs()) + "\n")
    return pending


def runner_path(folder: str) -> str:
    return os.path.join(folder, RUNNER_NAME)


@dataclass
class CaseResult:
    case_dir: str
    status: int | None
    stderr: str
    run: dict | None = None   # "run.json" of the last run, when it is readable

    @property
    def failed(self):
        return self.status != 0


def read_run_record(case_dir: str) -> dict | None:
    path = os.path.join(case_dir, RUN_RECORD_NAME)
    if not os.path.lexists(path):
        return None
    try:
        record = json.loads(read_text(path, "run record", "utf-8", 1 << 20))
    except json.JSONDecodeError as error:
        raise BadInput(f"{path}, line {error.lineno}: not valid JSON ({error.msg}); run the case again") from None
    if not isinstance(record, dict):
        raise BadInput(f"{path}, line 1: a run record is a JSON object; run the case again")
    return record


def collect_results(case_dirs: list[str]) -> list[CaseResult]:
    results = []
    for case_dir in case_dirs:
        try:
            with open(os.path.join(case_dir, "stderr.txt"), encoding="utf-8", errors="replace") as handle:
                stderr = handle.read(1 << 20).strip()
        except OSError:
            stderr = ""
        try:
            run = read_run_record(case_dir)
        except BadInput:
            run = None
        results.append(CaseResult(case_dir, case_status(case_dir), stderr, run))
    return results
