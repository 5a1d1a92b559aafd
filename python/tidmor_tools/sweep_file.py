"""The sweep file: a TOML (or YAML) table naming a template case and the values to change.

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
    threads = 1                             # GNU parallel: --threads of each case (default 1; 0 = one per core)
    checkpoint_every = 10                   # Slurm: a checkpoint every 10 wave periods (default 10)
    time_limit = 60                         # Slurm: minutes a job may take; a case goes on in a new job
    cpus_per_task = 2                       # Slurm: CPUs of each task, which are its --threads (default 1)
    mem = "2G"                              # Slurm: memory of each job (--mem)
    account = "coast"                       # Slurm: --account, --qos, --partition
    qos = "normal"
    partition = "batch"
    sbatch = ["--constraint=avx2"]          # Slurm: further #SBATCH lines, as given

Relative paths are taken from the folder of the sweep file; `folder` must stay inside that folder. Every fault
is a SweepError naming the file, the line where it can be found, and what to change.
"""
from __future__ import annotations

import itertools
import math
import os
import re
from dataclasses import dataclass

from .case_folders import CaseSet
from .input_data import PARAMETERS, InputDataError, read_case_input
from .text_files import BadInput, read_text

# A sweep file is a few lines; one of a megabyte is a mistake.
SWEEP_FILE_LIMIT = 1 << 20
# More cases than this are refused unless asked for (--max-cases): a typo in a grid can ask for millions.
DEFAULT_MAX_CASES = 10_000
# The longest time a case may be given: 30 days, beyond any batch system's limit.
MAX_TIMEOUT = 30 * 24 * 3600.0
MAX_JOBS = 4096
# Switches are 32-bit integers in the model.
INT_LIMIT = 2 ** 31 - 1


class SweepError(BadInput):
    """A sweep file or sweep folder that cannot be used; the message says what to change."""


@dataclass
class Sweep(CaseSet):
    """The cases of a sweep file (one dict of changed values each, over the template's values `base`) and how
    to run them."""
    plan_path: str = ""
    jobs: int = 1
    timeout: float = 0.0
    threads: int = 1
    checkpoint_every: int = 10
    time_limit: float = 0.0            # minutes, 0: from the timeout
    sbatch: dict | None = None         # cpus_per_task, mem, account, qos, partition, extra


class KeyLines:
    """The line of each key of a sweep file, found from its text, for the messages: (table, occurrence, key)."""

    _TOML_HEADER = re.compile(r"^\s*\[(\[?)\s*([A-Za-z0-9_.\"' -]+?)\s*\]\]?\s*(#.*)?$")
    _KEY = re.compile(r"^\s*(-\s+)?[\"']?([A-Za-z0-9_]+)[\"']?\s*[=:]")

    def __init__(self, text: str, yaml: bool):
        self.lines = {}
        table, occurrence = "", {}
        for number, line in enumerate(text.split("\n"), start=1):
            header = None if yaml else self._TOML_HEADER.match(line)
            if header:
                table = header.group(2).strip("\"'")
                occurrence[table] = occurrence.get(table, 0) + 1
                self.lines.setdefault(("", 1, table), number)
                continue
            key = self._KEY.match(line)
            if not key:
                continue
            top_level = yaml and not line[:1].isspace() and not key.group(1)
            if top_level:
                # A YAML list of cases counts its items ("- "), every other table is met once.
                table = key.group(2)
                occurrence[table] = 0 if table == "cases" else 1
            elif yaml and key.group(1) and table == "cases":
                occurrence["cases"] = occurrence.get("cases", 0) + 1
            slot = ("", 1, key.group(2)) if top_level else (table, occurrence.get(table, 1), key.group(2))
            self.lines.setdefault(slot, number)

    def line(self, key, table="", occurrence=1):
        number = self.lines.get((table, occurrence, key))
        return f", line {number}" if number else ""


def _load_table(path):
    yaml_file = path.endswith((".yaml", ".yml"))
    try:
        text = read_text(path, "sweep file", "utf-8", SWEEP_FILE_LIMIT)
    except BadInput as error:
        raise SweepError(str(error)) from None
    if yaml_file:
        try:
            import yaml
        except ImportError:
            raise SweepError(f"{path}: YAML needs the Debian package python3-yaml; or write the sweep file as TOML")
        try:
            table = yaml.safe_load(text)
        except yaml.YAMLError as error:
            raise SweepError(f"{path}: not valid YAML: {error}") from None
    else:
        import tomllib
        try:
            table = tomllib.loads(text)
        except tomllib.TOMLDecodeError as error:
            raise SweepError(f"{path}: not valid TOML: {error}") from None
    if not isinstance(table, dict):
        raise SweepError(f"{path}: the sweep file must be a table of keys (template, grid or cases, ...)")
    return table, KeyLines(text, yaml_file)


def check_value(where, name, value):
    """An input value of a sweep as the model's kind (int for switches); a SweepError with `where` otherwise."""
    if not isinstance(name, str) or name not in PARAMETERS:
        raise SweepError(f"{where}: unknown input value '{name}'; the input values are " + ", ".join(PARAMETERS))
    kind = PARAMETERS[name][0]
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise SweepError(f"{where}: {name} = {value!r} is not a number")
    if not math.isfinite(value):
        raise SweepError(f"{where}: {name} = {value!r} is not a finite number")
    if kind is int:
        if value != int(value):
            raise SweepError(f"{where}: {name} = {value!r} must be a whole number (a switch)")
        if abs(int(value)) > INT_LIMIT:
            raise SweepError(f"{where}: {name} = {value!r} is beyond the model's integers (at most {INT_LIMIT})")
        return int(value)
    if isinstance(value, int) and abs(value) > 1e300:
        raise SweepError(f"{where}: {name} = {value!r} is too large")
    return float(value)


def case_folder_of(plan_path, folder, lines):
    """The sweep folder: a relative path below the sweep file's folder, never above it nor absolute."""
    if not isinstance(folder, str) or not folder.strip():
        raise SweepError(f"{plan_path}{lines.line('folder')}: 'folder' must be a folder name")
    if any(ch in folder for ch in "\n\r\0"):
        raise SweepError(f"{plan_path}{lines.line('folder')}: folder = {folder!r} holds a line break or a NUL "
                         "character; the case list is one folder a line")
    if os.path.isabs(folder) or ".." in folder.replace("\\", "/").split("/"):
        raise SweepError(f"{plan_path}{lines.line('folder')}: folder = {folder!r} leaves the folder of the sweep "
                         "file; name a folder inside it (such as \"runs/heights\"), or move the sweep file")
    return os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(plan_path)), folder))


def _grid_cases(plan_path, grid, fixed, lines, max_cases):
    if not isinstance(grid, dict) or not grid:
        raise SweepError(f"{plan_path}{lines.line('grid')}: [grid] must name at least one input value with a list "
                         "of values")
    axes = []
    for name, values in grid.items():
        where = f"{plan_path}{lines.line(name, 'grid')}: [grid]"
        if not isinstance(values, list) or not values:
            raise SweepError(f"{where}: {name} must be a non-empty list of values, e.g. {name} = [0.4, 0.6]")
        axes.append([(name, check_value(where, name, v)) for v in values])
    count = math.prod(len(axis) for axis in axes)
    if count > max_cases:
        raise SweepError(f"{plan_path}{lines.line('grid')}: the [grid] makes "
                         + " x ".join(str(len(a)) for a in axes) + f" = {count} cases, more than {max_cases}; "
                         "make the grid smaller, or give --max-cases to allow more")
    return [{**fixed, **dict(combination)} for combination in itertools.product(*axes)]


def _listed_cases(plan_path, listed, fixed, lines, max_cases):
    if not isinstance(listed, list) or not listed or not all(isinstance(c, dict) for c in listed):
        raise SweepError(f"{plan_path}{lines.line('cases')}: [[cases]] must be a non-empty list of tables of input "
                         "values")
    if len(listed) > max_cases:
        raise SweepError(f"{plan_path}: {len(listed)} [[cases]], more than {max_cases}; give --max-cases to allow "
                         "more")
    cases = []
    for k, case in enumerate(listed, start=1):
        cases.append({**fixed, **{n: check_value(f"{plan_path}{lines.line(n, 'cases', k)}: case {k}", n, v)
                                  for n, v in case.items()}})
    return cases


RUN_KEYS = ("jobs", "timeout", "threads", "checkpoint_every", "time_limit", "cpus_per_task", "mem", "account",
            "qos", "partition", "sbatch")
# What a Slurm name (account, qos, partition) and a memory size may be.
SLURM_NAME = re.compile(r"^[A-Za-z0-9_.+-]{1,64}$")
SLURM_MEMORY = re.compile(r"^[0-9]{1,12}[KMGT]?$")


def _whole(plan_path, lines, run, key, default, low, high):
    value = run.get(key, default)
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise SweepError(f"{plan_path}{lines.line(key, 'run')}: [run]: {key} = {value!r} must be a whole number "
                         f"from {low} to {high}")
    return value


def _slurm_settings(plan_path, run, lines):
    """The #SBATCH settings of [run]: cpus_per_task, mem, account, qos, partition and extra lines."""
    where = lambda key: f"{plan_path}{lines.line(key, 'run')}: [run]: {key}"
    settings = {"cpus_per_task": _whole(plan_path, lines, run, "cpus_per_task", 1, 1, MAX_JOBS)}
    if "mem" in run:
        mem = run["mem"]
        if isinstance(mem, int) and not isinstance(mem, bool):
            mem = str(mem)
        if not isinstance(mem, str) or not SLURM_MEMORY.match(mem):
            raise SweepError(f"{where('mem')} = {run['mem']!r} must be a memory size as Slurm reads it: megabytes "
                             "(4000) or a number with K, M, G or T (\"4G\")")
        settings["mem"] = mem
    for key in ("account", "qos", "partition"):
        if key in run:
            if not isinstance(run[key], str) or not SLURM_NAME.match(run[key]):
                raise SweepError(f"{where(key)} = {run[key]!r} must be a Slurm name (letters, digits, _ . + -)")
            settings[key] = run[key]
    extra = run.get("sbatch", [])
    if not isinstance(extra, list) or not all(isinstance(e, str) and e.startswith("-") and "\n" not in e
                                              and "\r" not in e for e in extra):
        raise SweepError(f"{where('sbatch')} must be a list of sbatch options, each one line beginning with '-' "
                         "(such as \"--constraint=avx2\")")
    settings["extra"] = list(extra)
    return settings


def _run_settings(plan_path, run, lines):
    if not isinstance(run, dict):
        raise SweepError(f"{plan_path}{lines.line('run')}: [run] must be a table (jobs, timeout, ...)")
    unknown = sorted(str(k) for k in set(run) - set(RUN_KEYS))
    if unknown:
        raise SweepError(f"{plan_path}{lines.line('run')}: [run]: unknown key(s) {', '.join(unknown)}; the keys are "
                         + ", ".join(RUN_KEYS))
    jobs = run.get("jobs", 1)
    if isinstance(jobs, bool) or not isinstance(jobs, int) or not 1 <= jobs <= MAX_JOBS:
        raise SweepError(f"{plan_path}{lines.line('jobs', 'run')}: [run]: jobs = {jobs!r} must be a whole number "
                         f"from 1 to {MAX_JOBS}")
    timeout = run.get("timeout", 0)
    if (isinstance(timeout, bool) or not isinstance(timeout, (int, float)) or not math.isfinite(timeout)
            or not 0 <= timeout <= MAX_TIMEOUT):
        raise SweepError(f"{plan_path}{lines.line('timeout', 'run')}: [run]: timeout = {timeout!r} must be a number "
                         f"of seconds from 0 (no limit) to {MAX_TIMEOUT:.0f} (30 days)")
    threads = _whole(plan_path, lines, run, "threads", 1, 0, MAX_JOBS)
    checkpoint_every = _whole(plan_path, lines, run, "checkpoint_every", 10, 1, 10 ** 9)
    time_limit = run.get("time_limit", 0)
    if (isinstance(time_limit, bool) or not isinstance(time_limit, (int, float)) or not math.isfinite(time_limit)
            or not 0 <= time_limit <= MAX_TIMEOUT / 60):
        raise SweepError(f"{plan_path}{lines.line('time_limit', 'run')}: [run]: time_limit = {time_limit!r} must be "
                         f"a number of minutes from 0 (from the timeout) to {MAX_TIMEOUT / 60:.0f} (30 days)")
    return dict(jobs=jobs, timeout=float(timeout), threads=threads, checkpoint_every=checkpoint_every,
                time_limit=float(time_limit), sbatch=_slurm_settings(plan_path, run, lines))


def load_sweep(plan_path: str, max_cases: int = DEFAULT_MAX_CASES) -> Sweep:
    """Reads and checks a sweep file; every fault is a SweepError naming the file, the line and the key."""
    table, lines = _load_table(plan_path)
    known = {"template", "folder", "fixed", "grid", "cases", "run"}
    unknown = sorted(str(k) for k in set(table) - known)
    if unknown:
        raise SweepError(f"{plan_path}{lines.line(unknown[0])}: unknown key(s) {', '.join(unknown)}; the keys are "
                         + ", ".join(sorted(known)))
    if "template" not in table or not isinstance(table["template"], str) or not table["template"]:
        raise SweepError(f"{plan_path}{lines.line('template')}: 'template' must name a case folder (with SIM.FILE "
                         "and its input data file)")
    template = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(plan_path)), table["template"]))
    try:
        base = dict(read_case_input(template).values)
    except InputDataError as error:
        raise SweepError(f"{plan_path}{lines.line('template')}: template: {error}") from None
    folder = case_folder_of(plan_path, table.get("folder", os.path.splitext(os.path.basename(plan_path))[0]), lines)

    fixed = table.get("fixed", {})
    if not isinstance(fixed, dict):
        raise SweepError(f"{plan_path}{lines.line('fixed')}: [fixed] must be a table of input values")
    fixed = {name: check_value(f"{plan_path}{lines.line(name, 'fixed')}: [fixed]", name, value)
             for name, value in fixed.items()}

    if ("grid" in table) == ("cases" in table):
        raise SweepError(f"{plan_path}: give either a [grid] of value lists or a list of [[cases]], not "
                         + ("both" if "grid" in table else "neither"))
    if "grid" in table:
        cases = _grid_cases(plan_path, table["grid"], fixed, lines, max_cases)
    else:
        cases = _listed_cases(plan_path, table["cases"], fixed, lines, max_cases)
    settings = _run_settings(plan_path, table.get("run", {}), lines)
    return Sweep(folder, template, cases, base, plan_path, **settings)
