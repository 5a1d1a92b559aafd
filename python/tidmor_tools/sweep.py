"""Parameter sweeps: one case folder per set of values, run by GNU parallel or as a Slurm job array.

A sweep is described by a small TOML (or YAML) file:

    template = "../examples/plane_beach"   # case folder whose input data file is the starting point
    folder = "runs"                         # where the case folders go (default: the sweep file's name)
    [fixed]                                 # values set in every case (optional)
    T_MAX = 40.0
    [grid]                                  # every combination of these values ...
    H_WAVE = [0.4, 0.6]
    T_WAVE = [6.0, 8.0]
    # ... or a list of cases instead of [grid]:
    # [[cases]]
    # H_WAVE = 0.4
    [run]                                   # optional
    jobs = 2                                # GNU parallel: cases at a time on each host
    timeout = 600                           # seconds a case may take (0: no limit)

Relative paths are taken from the folder of the sweep file. The runs are left
to GNU parallel or to Slurm; nothing here schedules.
"""
from __future__ import annotations

import itertools
import json
import os
import shlex
import shutil
import subprocess
from dataclasses import dataclass, field

from .input_data import PARAMETERS, InputDataError, read_case_input, write_input_file

INPUT_NAME = "case.dat"
RECORD_NAME = "values.json"
STATUS_NAME = "status"
RUNNER_NAME = "run_case.sh"
CASE_LIST_NAME = "cases.txt"
SBATCH_NAME = "sweep.sbatch"


class SweepError(ValueError):
    """A sweep file or sweep folder that cannot be used; the message says what to change."""


@dataclass
class Sweep:
    plan_path: str
    template: str
    folder: str
    cases: list = field(default_factory=list)   # one dict of changed values per case
    base: dict = field(default_factory=dict)    # the template's input values
    jobs: int = 1
    timeout: float = 0.0

    def case_dirs(self):
        return [os.path.join(self.folder, f"case_{k:03d}") for k in range(1, len(self.cases) + 1)]


def _load_table(path):
    try:
        with open(path, "rb") as handle:
            raw = handle.read()
    except OSError as error:
        raise SweepError(f"{path}: cannot be read ({error.strerror})") from None
    if path.endswith((".yaml", ".yml")):
        try:
            import yaml
        except ImportError:
            raise SweepError(f"{path}: YAML needs the Debian package python3-yaml; or write the sweep file as TOML")
        try:
            table = yaml.safe_load(raw.decode("utf-8"))
        except yaml.YAMLError as error:
            raise SweepError(f"{path}: not valid YAML: {error}") from None
    else:
        import tomllib
        try:
            table = tomllib.loads(raw.decode("utf-8"))
        except tomllib.TOMLDecodeError as error:
            raise SweepError(f"{path}: not valid TOML: {error}") from None
    if not isinstance(table, dict):
        raise SweepError(f"{path}: the sweep file must be a table of keys (template, grid or cases, ...)")
    return table


def _check_value(path, where, name, value):
    if name not in PARAMETERS:
        raise SweepError(f"{path}: {where}: unknown input value '{name}'; the input values are "
                         + ", ".join(PARAMETERS))
    kind = PARAMETERS[name][0]
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise SweepError(f"{path}: {where}: {name} = {value!r} is not a number")
    if kind is int and value != int(value):
        raise SweepError(f"{path}: {where}: {name} = {value!r} must be a whole number (a switch)")
    return int(value) if kind is int else float(value)


def load_sweep(plan_path: str) -> Sweep:
    """Reads and checks a sweep file; every fault is a SweepError naming the file and the key."""
    table = _load_table(plan_path)
    base_dir = os.path.dirname(os.path.abspath(plan_path))
    known = {"template", "folder", "fixed", "grid", "cases", "run"}
    unknown = sorted(set(table) - known)
    if unknown:
        raise SweepError(f"{plan_path}: unknown key(s) {', '.join(unknown)}; the keys are " + ", ".join(sorted(known)))
    if "template" not in table or not isinstance(table["template"], str):
        raise SweepError(f"{plan_path}: 'template' must name a case folder (with SIM.FILE and its input data file)")
    template = os.path.normpath(os.path.join(base_dir, table["template"]))
    try:
        base = dict(read_case_input(template).values)
    except InputDataError as error:
        raise SweepError(f"{plan_path}: template: {error}") from None
    folder = table.get("folder", os.path.splitext(os.path.basename(plan_path))[0])
    if not isinstance(folder, str) or not folder:
        raise SweepError(f"{plan_path}: 'folder' must be a folder name")
    folder = os.path.normpath(os.path.join(base_dir, folder))

    fixed = table.get("fixed", {})
    if not isinstance(fixed, dict):
        raise SweepError(f"{plan_path}: [fixed] must be a table of input values")
    fixed = {name: _check_value(plan_path, "[fixed]", name, value) for name, value in fixed.items()}

    if ("grid" in table) == ("cases" in table):
        raise SweepError(f"{plan_path}: give either a [grid] of value lists or a list of [[cases]], not "
                         + ("both" if "grid" in table else "neither"))
    cases = []
    if "grid" in table:
        grid = table["grid"]
        if not isinstance(grid, dict) or not grid:
            raise SweepError(f"{plan_path}: [grid] must name at least one input value with a list of values")
        axes = []
        for name, values in grid.items():
            if not isinstance(values, list) or not values:
                raise SweepError(f"{plan_path}: [grid]: {name} must be a non-empty list of values, e.g. "
                                 f"{name} = [0.4, 0.6]")
            axes.append([(name, _check_value(plan_path, "[grid]", name, v)) for v in values])
        for combination in itertools.product(*axes):
            cases.append({**fixed, **dict(combination)})
    else:
        listed = table["cases"]
        if not isinstance(listed, list) or not listed or not all(isinstance(c, dict) for c in listed):
            raise SweepError(f"{plan_path}: [[cases]] must be a non-empty list of tables of input values")
        for k, case in enumerate(listed, start=1):
            cases.append({**fixed, **{n: _check_value(plan_path, f"case {k}", n, v) for n, v in case.items()}})

    run = table.get("run", {})
    if not isinstance(run, dict):
        raise SweepError(f"{plan_path}: [run] must be a table (jobs, timeout)")
    jobs = run.get("jobs", 1)
    if isinstance(jobs, bool) or not isinstance(jobs, int) or jobs < 1:
        raise SweepError(f"{plan_path}: [run]: jobs = {jobs!r} must be a whole number of 1 or more")
    timeout = run.get("timeout", 0)
    if isinstance(timeout, bool) or not isinstance(timeout, (int, float)) or timeout < 0:
        raise SweepError(f"{plan_path}: [run]: timeout = {timeout!r} must be a number of seconds, 0 for none")
    return Sweep(plan_path, template, folder, cases, base, jobs, float(timeout))


def case_status(case_dir: str):
    """The exit status the case ended with, or None when it has not finished."""
    try:
        with open(os.path.join(case_dir, STATUS_NAME), encoding="ascii") as handle:
            return int(handle.read().strip())
    except (OSError, ValueError):
        return None


def _record(sweep, case_dir, changed):
    return {"case": os.path.basename(case_dir), "template": sweep.template, "changed": changed,
            "input": {**sweep.base, **changed}}


RUNNER = """#!/bin/sh
# Runs one case of a sweep in its folder and keeps its console, stderr and exit status.
cd "$1" || exit 97
rm -f status outw.dat outb.dat outg.dat outs.dat
{tidmor} > console.txt 2> stderr.txt
code=$?
echo "$code" > status.part && mv status.part status
exit "$code"
"""


def prepare_sweep(sweep: Sweep, tidmor: str) -> list[str]:
    """Writes the case folders and the runner; returns the folders of the cases still to run.

    A case already done with the same values (exit status 0) is kept as it is."""
    os.makedirs(sweep.folder, exist_ok=True)
    pending = []
    for case_dir, changed in zip(sweep.case_dirs(), sweep.cases):
        record = _record(sweep, case_dir, changed)
        record_path = os.path.join(case_dir, RECORD_NAME)
        if os.path.exists(record_path):
            with open(record_path, encoding="utf-8") as handle:
                try:
                    same = json.load(handle) == json.loads(json.dumps(record))
                except ValueError:
                    same = False
            if same and case_status(case_dir) == 0:
                continue
        os.makedirs(case_dir, exist_ok=True)
        for stale in (STATUS_NAME, "outw.dat", "outb.dat", "outg.dat", "outs.dat", "console.txt", "stderr.txt"):
            if os.path.exists(os.path.join(case_dir, stale)):
                os.remove(os.path.join(case_dir, stale))
        write_input_file(os.path.join(case_dir, INPUT_NAME), record["input"],
                         title=", ".join(f"{k} = {v}" for k, v in changed.items()))
        with open(os.path.join(case_dir, "SIM.FILE"), "w", encoding="ascii") as handle:
            handle.write(INPUT_NAME + "\n")
        with open(record_path, "w", encoding="utf-8") as handle:
            json.dump(record, handle, indent=1)
            handle.write("\n")
        pending.append(case_dir)
    runner = os.path.join(sweep.folder, RUNNER_NAME)
    with open(runner, "w", encoding="utf-8") as handle:
        handle.write(RUNNER.format(tidmor=shlex.quote(tidmor)))
    os.chmod(runner, 0o755)
    with open(os.path.join(sweep.folder, CASE_LIST_NAME), "w", encoding="utf-8") as handle:
        handle.write("\n".join(sweep.case_dirs()) + "\n")
    return pending


def parallel_command(sweep: Sweep, pending: list[str], sshlogins=(), jobs=None) -> list[str]:
    command = ["parallel", "--will-cite", "--halt", "never", "--jobs", str(jobs or sweep.jobs),
               "--joblog", os.path.join(sweep.folder, "joblog.txt")]
    if sweep.timeout:
        command += ["--timeout", f"{sweep.timeout:g}"]
    for login in sshlogins:
        command += ["--sshlogin", login]
    return command + [os.path.join(sweep.folder, RUNNER_NAME), ":::"] + pending


SBATCH = """#!/bin/sh
#SBATCH --job-name=tidmor-sweep
#SBATCH --output={folder}/slurm-%A_%a.out
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
{extra}# One task of the job array runs the case on that line of cases.txt.
case_dir=$(sed -n "${{SLURM_ARRAY_TASK_ID}}p" {cases})
exec {runner} "$case_dir"
"""


def write_sbatch(sweep: Sweep, partition=None) -> str:
    extra = ""
    if sweep.timeout:
        extra += f"#SBATCH --time={max(1, int(-(-sweep.timeout // 60)))}\n"
    if partition:
        extra += f"#SBATCH --partition={partition}\n"
    path = os.path.join(sweep.folder, SBATCH_NAME)
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(SBATCH.format(folder=shlex.quote(sweep.folder), extra=extra,
                                   cases=shlex.quote(os.path.join(sweep.folder, CASE_LIST_NAME)),
                                   runner=shlex.quote(os.path.join(sweep.folder, RUNNER_NAME))))
    return path


def array_indices(sweep: Sweep, pending: list[str]) -> str:
    index = {d: k for k, d in enumerate(sweep.case_dirs(), start=1)}
    return ",".join(str(index[d]) for d in pending)


@dataclass
class CaseResult:
    case_dir: str
    status: int | None
    stderr: str

    @property
    def failed(self):
        return self.status != 0


def collect_results(sweep: Sweep) -> list[CaseResult]:
    results = []
    for case_dir in sweep.case_dirs():
        try:
            with open(os.path.join(case_dir, "stderr.txt"), encoding="utf-8", errors="replace") as handle:
                stderr = handle.read().strip()
        except OSError:
            stderr = ""
        results.append(CaseResult(case_dir, case_status(case_dir), stderr))
    return results


def run_sweep(plan_path: str, tidmor: str, backend: str = "parallel", jobs=None, sshlogins=(),
              partition=None, wait=False, dry_run=False, log=print):
    """Prepares the sweep and hands the pending cases to GNU parallel or Slurm.

    Returns (results, job_id): the per-case results once the runs are over (None when a Slurm array was
    submitted without waiting), and the Slurm job id (None for GNU parallel)."""
    sweep = load_sweep(plan_path)
    pending = prepare_sweep(sweep, tidmor)
    done = len(sweep.cases) - len(pending)
    log(f"sweep {sweep.folder}: {len(sweep.cases)} cases, {done} already done, {len(pending)} to run")
    if backend == "parallel":
        command = parallel_command(sweep, pending, sshlogins, jobs)
        if dry_run:
            log(shlex.join(command))
            return None, None
        if pending:
            if shutil.which("parallel") is None:
                raise SweepError("GNU parallel is not installed (Debian package parallel: tools/deps.sh python)")
            # A failed case is reported below; parallel's own status only counts them.
            subprocess.run(command, stdin=subprocess.DEVNULL, check=False)
        return collect_results(sweep), None
    if backend == "slurm":
        script = write_sbatch(sweep, partition)
        if not pending:
            return collect_results(sweep), None
        command = ["sbatch", "--parsable", f"--array={array_indices(sweep, pending)}"]
        if wait:
            command.append("--wait")
        command.append(script)
        if dry_run:
            log(shlex.join(command))
            return None, None
        if shutil.which("sbatch") is None:
            raise SweepError("sbatch is not on PATH: submit from a Slurm login node (Debian package slurm-client)")
        result = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
        job_id = result.stdout.strip().split(";")[0] if result.stdout.strip() else None
        if job_id is None:
            raise SweepError(f"sbatch failed with exit status {result.returncode}: {result.stderr.strip()}")
        log(f"submitted Slurm job array {job_id} ({len(pending)} tasks)")
        return (collect_results(sweep) if wait else None), job_id
    raise SweepError(f"unknown backend '{backend}': parallel or slurm")
