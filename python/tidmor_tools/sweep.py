"""Parameter sweeps: one case folder per set of values, run by GNU parallel or as a Slurm job array.

The sweep file is described in `sweep_file`; the case folders in `case_folders`; the hand-over to GNU
parallel or Slurm in `backends`. `run_cases` is the one way cases are run, for sweeps and for convergence
studies alike.
"""
from __future__ import annotations

import shlex

from . import backends
from .case_folders import (CASE_LIST_NAME, RECORD_NAME, RUN_RECORD_NAME, CaseResult, CaseSet, case_status,
                           collect_results, prepare_cases)
from .sweep_file import DEFAULT_MAX_CASES, Sweep, SweepError, load_sweep

__all__ = ["CASE_LIST_NAME", "RECORD_NAME", "RUN_RECORD_NAME", "CaseResult", "Sweep", "SweepError",
           "case_status", "load_sweep", "run_cases", "run_sweep"]


def _array_indices(case_dirs, pending):
    index = {d: k for k, d in enumerate(case_dirs, start=1)}
    return ",".join(str(index[d]) for d in pending)


def run_cases(cases: CaseSet, tidmor: str, backend: str = "parallel", jobs: int = 1, timeout: float = 0.0,
              sshlogins=(), partition=None, wait=False, dry_run=False, log=print):
    """Writes the case folders and hands the pending cases to GNU parallel or Slurm.

    Returns (results, job_id): the per-case results once the runs are over (None when a Slurm array was
    submitted without waiting, or for a dry run), and the Slurm job id (None for GNU parallel)."""
    if backend not in ("parallel", "slurm"):
        raise SweepError(f"unknown backend '{backend}': parallel or slurm")
    if not 1 <= jobs <= 4096:
        raise SweepError(f"jobs = {jobs} must be a whole number from 1 to 4096")
    pending = prepare_cases(cases)
    case_dirs = cases.case_dirs()
    log(f"sweep {cases.folder}: {len(case_dirs)} cases, {len(case_dirs) - len(pending)} already done, "
        f"{len(pending)} to run")
    if backend == "parallel":
        command = backends.parallel_command(cases.folder, tidmor, pending, jobs, timeout, sshlogins)
        if dry_run:
            log(shlex.join(command))
            return None, None
        if pending:
            backends.run_parallel(command)
        return collect_results(case_dirs), None
    script = backends.write_sbatch(cases.folder, tidmor, timeout)
    if not pending:
        return collect_results(case_dirs), None
    command = backends.sbatch_command(cases.folder, script, _array_indices(case_dirs, pending), timeout,
                                      partition, wait)
    if dry_run:
        log(shlex.join(command))
        return None, None
    job_id = backends.submit_sbatch(command)
    log(f"submitted Slurm job array {job_id} ({len(pending)} tasks)")
    return (collect_results(case_dirs) if wait else None), job_id


def run_sweep(plan_path: str, tidmor: str, backend: str = "parallel", jobs=None, sshlogins=(),
              partition=None, wait=False, dry_run=False, log=print, max_cases: int = DEFAULT_MAX_CASES):
    """Reads the sweep file and runs its cases (see `run_cases`)."""
    sweep = load_sweep(plan_path, max_cases)
    return run_cases(sweep, tidmor, backend, jobs or sweep.jobs, sweep.timeout, sshlogins, partition, wait,
                     dry_run, log)
