"""Parameter sweeps: one case folder per set of values, run by GNU parallel or as a Slurm job array.

The sweep file is described in `sweep_file`; the case folders in `case_folders`; the hand-over to GNU
parallel or Slurm in `backends`. `run_cases` is the one way cases are run, for sweeps and for convergence
studies alike.
"""
from __future__ import annotations

import shlex
import time

from . import backends
from .case_folders import (CASE_LIST_NAME, RECORD_NAME, RUN_RECORD_NAME, CaseResult, CaseSet, case_status,
                           collect_results, prepare_cases)
from .sweep_file import DEFAULT_MAX_CASES, Sweep, SweepError, load_sweep

__all__ = ["CASE_LIST_NAME", "RECORD_NAME", "RUN_RECORD_NAME", "CaseResult", "Sweep", "SweepError",
           "case_status", "load_sweep", "run_cases", "run_sweep"]


def _array_indices(case_dirs, pending):
    index = {d: k for k, d in enumerate(case_dirs, start=1)}
    return ",".join(str(index[d]) for d in pending)


def _wait_for_continued_cases(case_dirs, log):
    """After the job array: cases stopped at the time limit go on in jobs of their own; waits for them."""
    announced = False
    while any(case_status(d) is None for d in case_dirs) and backends.jobs_in_queue() > 0:
        if not announced:
            log("cases stopped at the job time limit go on from their checkpoints in new jobs; waiting")
            announced = True
        time.sleep(2)


def run_cases(cases: CaseSet, tidmor: str, backend: str = "parallel", jobs: int = 1, timeout: float = 0.0,
              sshlogins=(), partition=None, wait=False, dry_run=False, log=print, threads: int = 1,
              checkpoint_every: int = 10, time_limit: float = 0.0, sbatch=None):
    """Writes the case folders and hands the pending cases to GNU parallel or Slurm.

    GNU parallel runs each case with `threads` threads (--threads). Under Slurm each task takes the CPUs Slurm
    gives it (`sbatch["cpus_per_task"]`, default 1) as its threads and writes a checkpoint every
    `checkpoint_every` wave periods; a case stopped at the job's time limit (`time_limit` minutes, else from
    `timeout`) goes on from its checkpoint in a new job until it ends, and counts once.

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
        command = backends.parallel_command(cases.folder, tidmor, pending, jobs, timeout, sshlogins, threads)
        if dry_run:
            log(shlex.join(command))
            return None, None
        if pending:
            backends.run_parallel(command)
        return collect_results(case_dirs), None
    script = backends.write_sbatch(cases.folder, tidmor, timeout, sbatch, partition, time_limit, checkpoint_every)
    if not pending:
        return collect_results(case_dirs), None
    command = backends.sbatch_command(script, _array_indices(case_dirs, pending), wait)
    if dry_run:
        log(shlex.join(command))
        return None, None
    job_id = backends.submit_sbatch(command)
    log(f"submitted Slurm job array {job_id} ({len(pending)} tasks)")
    if not wait:
        return None, job_id
    _wait_for_continued_cases(pending, log)
    return collect_results(case_dirs), job_id


def run_sweep(plan_path: str, tidmor: str, backend: str = "parallel", jobs=None, sshlogins=(),
              partition=None, wait=False, dry_run=False, log=print, max_cases: int = DEFAULT_MAX_CASES):
    """Reads the sweep file and runs its cases (see `run_cases`)."""
    sweep = load_sweep(plan_path, max_cases)
    return run_cases(sweep, tidmor, backend, jobs or sweep.jobs, sweep.timeout, sshlogins, partition, wait,
                     dry_run, log, sweep.threads, sweep.checkpoint_every, sweep.time_limit, sweep.sbatch)
