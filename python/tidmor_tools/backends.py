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
from .case_runner import CONTINUE_STATUS
from .text_files import BadInput

SBATCH_NAME = "sweep.sbatch"
JOB_LOG_NAME = "joblog.txt"


class BackendError(BadInput):
    """A scheduler that is missing or refused the cases."""


def python_for_runner() -> str:
    """The interpreter that runs the runner: this one, which is at the same path on hosts of the same system."""
    return sys.executable or "/usr/bin/python3"


def runner_command(folder: str, tidmor: str, timeout: float, threads=None, checkpoint_every: int = 0) -> list[str]:
    command = [python_for_runner(), runner_path(folder)]
    if timeout:
        command += ["--timeout", repr(float(timeout))]
    if threads is not None:
        command += ["--threads", str(threads)]
    if checkpoint_every:
        command += ["--checkpoint-every", str(checkpoint_every)]
    return command + [tidmor]


def parallel_command(folder: str, tidmor: str, pending: list[str], jobs: int, timeout: float = 0.0,
                     sshlogins=(), threads: int = 1) -> list[str]:
    command = ["parallel", "--will-cite", "--quote", "--halt", "never", "--jobs", str(jobs),
               "--joblog", os.path.join(folder, JOB_LOG_NAME)]
    for login in sshlogins:
        command += ["--sshlogin", login]
    # One thread per case unless the sweep file says otherwise: `jobs` cases share the host's cores.
    return command + runner_command(folder, tidmor, timeout, threads) + [":::"] + pending


def run_parallel(command: list[str]) -> None:
    if shutil.which("parallel") is None:
        raise BackendError("GNU parallel is not installed (Debian package parallel: tools/deps.sh python)")
    # A failed case is reported from its folder; parallel's own status only counts them.
    subprocess.run(command, stdin=subprocess.DEVNULL, check=False)


JOB_NAME = "tidmor-sweep"

SBATCH = """#!/bin/sh
#SBATCH --ntasks=1
#SBATCH --cpus-per-task={cpus}
#SBATCH --job-name={job_name}
#SBATCH --output={output}
{settings}# One task of the job array runs the case on that line of the case list, with as many threads as Slurm
# gave it and a checkpoint every {every} wave periods. At the time limit Slurm stops it (SIGTERM): the
# program writes a checkpoint and the runner ends with 75; the case then goes on in a new job of this
# script for the same line, until it ends. The shell outlives the SIGTERM to submit that job.
case_dir=$(sed -n "${{SLURM_ARRAY_TASK_ID}}p" {cases})
trap : TERM
{runner} "$case_dir"
status=$?
if [ "$status" -eq {again} ]; then
  sbatch --parsable --array="$SLURM_ARRAY_TASK_ID" {script}
  exit 0
fi
exit "$status"
"""


def _time_limit(timeout: float, time_limit: float) -> int | None:
    """Minutes of a job: the sweep file's time_limit, else the timeout and a minute more to record it."""
    if time_limit:
        return max(1, math.ceil(time_limit))
    if timeout:
        return max(1, math.ceil(timeout / 60)) + 1
    return None


def write_sbatch(folder: str, tidmor: str, timeout: float, sbatch=None, partition=None, time_limit: float = 0.0,
                 checkpoint_every: int = 10) -> str:
    """The job script; every #SBATCH setting is in it, so that a case that goes on is submitted alike."""
    if "%" in folder:
        # sbatch reads % in --output as a pattern (%A job, %a task) and has no escape for it.
        raise BackendError(f"{folder}: a folder with '%' in its path cannot hold Slurm logs; rename it")
    sbatch = dict(sbatch or {})
    if partition:
        sbatch["partition"] = partition
    lines = []
    minutes = _time_limit(timeout, time_limit)
    if minutes:
        lines.append(f"--time={minutes}")
    for key in ("mem", "account", "qos", "partition"):
        if sbatch.get(key):
            lines.append(f"--{key}={sbatch[key]}")
    lines += sbatch.get("extra", [])
    path = os.path.join(folder, SBATCH_NAME)
    runner = runner_command(folder, tidmor, timeout, "slurm", checkpoint_every)
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(SBATCH.format(cpus=int(sbatch.get("cpus_per_task", 1)), job_name=JOB_NAME,
                                   output=os.path.join(folder, "slurm-%A_%a.out"),
                                   settings="".join(f"#SBATCH {line}\n" for line in lines),
                                   every=checkpoint_every, cases=shlex.quote(os.path.join(folder, CASE_LIST_NAME)),
                                   runner=shlex.join(runner), again=CONTINUE_STATUS, script=shlex.quote(path)))
    return path


def sbatch_command(script: str, indices: str, wait=False) -> list[str]:
    command = ["sbatch", "--parsable", f"--array={indices}"]
    if wait:
        command.append("--wait")
    return command + [script]


def jobs_in_queue() -> int:
    """Jobs of sweeps still queued or running (cases that go on in jobs of their own); 0 when unknown."""
    if shutil.which("squeue") is None:
        return 0
    result = subprocess.run(["squeue", "--noheader", f"--name={JOB_NAME}", "--format=%i"], capture_output=True,
                            text=True, stdin=subprocess.DEVNULL)
    return len(result.stdout.split()) if result.returncode == 0 else 0


def submit_sbatch(command: list[str]) -> str:
    if shutil.which("sbatch") is None:
        raise BackendError("sbatch is not on PATH: submit from a Slurm login node (Debian package slurm-client)")
    result = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
    job_id = result.stdout.strip().split(";")[0] if result.stdout.strip() else None
    if result.returncode != 0 and not job_id:
        raise BackendError(f"sbatch failed with exit status {result.returncode}: {result.stderr.strip()}")
    return job_id
