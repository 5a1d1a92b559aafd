"""Handing the pending cases of a folder to GNU parallel (here or over ssh) or to Slurm as a job array.

Nothing here schedules; nothing builds a shell command from a path. GNU parallel gets the runner, the
program and the case folders as separate arguments with --quote, which quotes each word for the shell it
starts, locally and on every ssh host; sbatch gets its options as arguments and a script in which every path
is quoted.
"""
from __future__ import annotations

import math
import os
import shlex
import shutil
import subprocess
import sys

from .case_folders import CASE_LIST_NAME, runner_path
from .text_files import BadInput

SBATCH_NAME = "sweep.sbatch"
JOB_LOG_NAME = "joblog.txt"


class BackendError(BadInput):
    """A scheduler that is missing or refused the cases."""


def python_for_runner() -> str:
    """The interpreter that runs the runner: this one, which is at the same path on hosts of the same system."""
    return sys.executable or "/usr/bin/python3"


def runner_command(folder: str, tidmor: str, timeout: float) -> list[str]:
    command = [python_for_runner(), runner_path(folder)]
    if timeout:
        command += ["--timeout", repr(float(timeout))]
    return command + [tidmor]


def parallel_command(folder: str, tidmor: str, pending: list[str], jobs: int, timeout: float = 0.0,
                     sshlogins=()) -> list[str]:
    command = ["parallel", "--will-cite", "--quote", "--halt", "never", "--jobs", str(jobs),
               "--joblog", os.path.join(folder, JOB_LOG_NAME)]
    for login in sshlogins:
        command += ["--sshlogin", login]
    return command + runner_command(folder, tidmor, timeout) + [":::"] + pending


def run_parallel(command: list[str]) -> None:
    if shutil.which("parallel") is None:
        raise BackendError("GNU parallel is not installed (Debian package parallel: tools/deps.sh python)")
    # A failed case is reported from its folder; parallel's own status only counts them.
    subprocess.run(command, stdin=subprocess.DEVNULL, check=False)


SBATCH = """#!/bin/sh
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
# One task of the job array runs the case on that line of the case list.
case_dir=$(sed -n "${{SLURM_ARRAY_TASK_ID}}p" {cases})
exec {runner} "$case_dir"
"""


def write_sbatch(folder: str, tidmor: str, timeout: float) -> str:
    path = os.path.join(folder, SBATCH_NAME)
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(SBATCH.format(cases=shlex.quote(os.path.join(folder, CASE_LIST_NAME)),
                                   runner=shlex.join(runner_command(folder, tidmor, timeout))))
    return path


def sbatch_command(folder: str, script: str, indices: str, timeout: float = 0.0, partition=None,
                   wait=False) -> list[str]:
    if "%" in folder:
        # sbatch reads % in --output as a pattern (%A job, %a task) and has no escape for it.
        raise BackendError(f"{folder}: a folder with '%' in its path cannot hold Slurm logs; rename it")
    command = ["sbatch", "--parsable", f"--array={indices}", "--job-name=tidmor-sweep",
               f"--output={os.path.join(folder, 'slurm-%A_%a.out')}"]
    if timeout:
        # The runner stops the program at the timeout; the job gets a minute more to record it.
        command.append(f"--time={max(1, math.ceil(timeout / 60)) + 1}")
    if partition:
        command.append(f"--partition={partition}")
    if wait:
        command.append("--wait")
    return command + [script]


def submit_sbatch(command: list[str]) -> str:
    if shutil.which("sbatch") is None:
        raise BackendError("sbatch is not on PATH: submit from a Slurm login node (Debian package slurm-client)")
    result = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
    job_id = result.stdout.strip().split(";")[0] if result.stdout.strip() else None
    if result.returncode != 0 and not job_id:
        raise BackendError(f"sbatch failed with exit status {result.returncode}: {result.stderr.strip()}")
    return job_id
