"""Runs a case in this process with the model's Python module `tidmor`: a template's input with some values
changed, and its results read back as `read_case` reads them.

    from tidmor_tools import run_case
    case = run_case("examples/drained_beach", Q_WELL=0.0008)
    case["profile"]["z_bed"]

The case is written as a sweep writes one ("SIM.FILE", "case.dat" with the template's input and the changes,
"values.json"), and the run leaves what a sweep's run leaves: the result files, "console.txt", "stderr.txt",
"status" and "run.json". The bytes are those the program writes in the same folder.
"""
from __future__ import annotations

import json
import os
import socket
import tempfile
import time

from . import case_runner
from .case_folders import INPUT_NAME, LEFT_BY_A_RUN, RECORD_NAME, CaseSet, values_record
from .input_data import CONTROL_FILE, read_case_input, write_input_file
from .readers import input_folder, read_case
from .sweep_file import SweepError, check_value


def _module():
    try:
        import tidmor
    except ImportError as error:
        raise ImportError(f"run_case needs the model's Python module tidmor ({error}); build it (make test) and "
                          "run Python through tools/tidmor-python, or put the build's python/ folder on "
                          "PYTHONPATH") from None
    return tidmor


def _write_case(template: str, folder: str, changes: dict) -> None:
    """The case folder: the template's input with the changes, as a sweep writes a case."""
    base = read_case_input(input_folder(template)).values
    cases = CaseSet(folder=os.path.dirname(folder), template=template, cases=[changes], base=base)
    record = values_record(cases, folder, changes)
    os.makedirs(folder, exist_ok=True)
    for stale in LEFT_BY_A_RUN:
        if os.path.lexists(os.path.join(folder, stale)):
            os.remove(os.path.join(folder, stale))
    write_input_file(os.path.join(folder, INPUT_NAME), record["input"],
                     title=", ".join(f"{k} = {v}" for k, v in changes.items()))
    with open(os.path.join(folder, CONTROL_FILE), "w", encoding="ascii") as handle:
        handle.write(INPUT_NAME + "\n")
    with open(os.path.join(folder, RECORD_NAME), "w", encoding="utf-8") as handle:
        json.dump(record, handle, indent=1)
        handle.write("\n")


def _write(path: str, text: str) -> None:
    # The model's text as its bytes: other than UTF-8 they come as lone surrogates.
    with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as handle:
        handle.write(text)


def _run(tidmor, folder: str) -> None:
    """Runs the case in `folder` as the program would, leaving what the sweep's runner leaves."""
    record = {"program": f"Python module {tidmor.__file__}", "program_version": tidmor.__version__,
              "case": folder, **case_runner.input_hashes(folder), "host": socket.gethostname(),
              "start": case_runner.utc_now()}
    started = time.monotonic()
    console, stderr, status, stopped_by, failure = "", "", None, None, None
    simulation = None
    try:
        simulation = tidmor.Simulation(folder)
        simulation.run()
        status = 0
    except tidmor.RunFailure as error:
        failure, status = error, error.status
    except BaseException as error:
        stopped_by = f"{type(error).__name__} in Python"
        raise
    finally:
        if simulation is not None:
            console = simulation.console
            warnings = simulation.warnings
        else:
            warnings = failure.warnings if failure is not None else ()
        stderr = "".join(f"tidmor: warning: {w}\n" for w in warnings)
        if failure is not None:
            stderr += f"tidmor: {failure.message}\n"
        _write(os.path.join(folder, "console.txt"), console)
        _write(os.path.join(folder, "stderr.txt"), stderr)
        record.update({"end": case_runner.utc_now(), "wall_time_s": round(time.monotonic() - started, 3),
                       "exit_status": status, "stopped_by": stopped_by})
        _write(os.path.join(folder, case_runner.RUN_RECORD_NAME), json.dumps(record, indent=1) + "\n")
        if status is not None:
            _write(os.path.join(folder, case_runner.STATUS_NAME), f"{status}\n")
    if failure is not None:
        raise failure


def run_case(template: str, folder: str | None = None, **changes) -> dict:
    """Runs the case `template` (a case folder) in this process with the input values named in `changes` changed,
    and returns its datasets as `read_case` does ("input", "wave", "profile", "swash", "aquifer",
    "provenance").

    The case and its results go to `folder` (made when missing; it must not be the template's own folder), or
    without one to a temporary folder removed afterwards. An unknown name or a value of the wrong kind raises
    ValueError before anything is written; a failure of the model raises tidmor.RunFailure (with .status and
    .message as the program's), after the folder has its files."""
    tidmor = _module()
    checked = {}
    for name, value in changes.items():
        try:
            checked[name] = check_value("run_case", name, value)
        except SweepError as error:
            raise ValueError(str(error)) from None
    if folder is None:
        with tempfile.TemporaryDirectory(prefix="tidmor-run-case-") as scratch:
            return run_case(template, os.path.join(scratch, os.path.basename(os.path.abspath(template))),
                            **checked)
    folder = os.path.abspath(folder)
    if os.path.realpath(folder) == os.path.realpath(input_folder(template)):
        raise ValueError(f"run_case: the folder {folder} is the template's own; give another folder for the run")
    _write_case(template, folder, checked)
    _run(tidmor, folder)
    return read_case(folder)
