"""Runs the program in one case folder and records the run: the runner of sweeps and convergence studies.

    python3 run_case.py [--timeout SECONDS] TIDMOR CASE_DIR

The program runs in CASE_DIR with its console in "console.txt" and its stderr in "stderr.txt"; the exit status
goes to "status" once the run is over, and "run.json" records what ran: the program and its version, the
SHA-256 of "SIM.FILE" and of the input data file it names, the start and end (UTC), the host, the wall time and
the exit status. A run stopped by its time limit or by a signal writes no "status" and says so in "run.json".

The module uses the standard library only: `prepare_cases` copies it into the sweep folder as the runner, so a
remote host needs Python 3 and nothing else. No shell is involved: the program and the folder are arguments.
"""
from __future__ import annotations

import datetime
import hashlib
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

RESULT_NAMES = ("outw.dat", "outb.dat", "outg.dat", "outs.dat")
STATUS_NAME = "status"
RUN_RECORD_NAME = "run.json"
CONTROL_FILE = "SIM.FILE"
INPUT_NAME_LENGTH = 15


def utc_now() -> str:
    return datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%S.%fZ")


def file_sha256(path: str) -> str | None:
    """The SHA-256 of a regular file, or None when there is none at `path`."""
    if not os.path.isfile(path):
        return None
    digest = hashlib.sha256()
    with open(path, "rb") as handle:
        for block in iter(lambda: handle.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def input_data_name(case_dir: str) -> str | None:
    """The input data file named by the first 15 characters of "SIM.FILE", as the program reads it."""
    try:
        with open(os.path.join(case_dir, CONTROL_FILE), "rb") as handle:
            first = handle.readline(4096)
    except OSError:
        return None
    if first.startswith(b"\xef\xbb\xbf"):
        first = first[3:]
    name = first.rstrip(b"\r\n")[:INPUT_NAME_LENGTH].rstrip(b" \t").decode("latin-1")
    return name or None


def input_hashes(case_dir: str) -> dict:
    """The names and SHA-256 of "SIM.FILE" and of the input data file of a case."""
    name = input_data_name(case_dir)
    return {
        "control_file": {"name": CONTROL_FILE, "sha256": file_sha256(os.path.join(case_dir, CONTROL_FILE))},
        "input_file": {"name": name, "sha256": file_sha256(os.path.join(case_dir, name)) if name else None},
    }


def program_version(tidmor: str) -> str:
    """What `tidmor --version` says ("tidmor <version>"), asked in an empty folder; "unknown" otherwise."""
    try:
        with tempfile.TemporaryDirectory(prefix="tidmor-version-") as empty:
            result = subprocess.run([tidmor, "--version"], capture_output=True, text=True, timeout=10,
                                    stdin=subprocess.DEVNULL, cwd=empty)
    except (OSError, subprocess.SubprocessError):
        return "unknown"
    line = result.stdout.strip().splitlines()[0] if result.stdout.strip() else ""
    if result.returncode != 0 or not line.startswith("tidmor "):
        return "unknown"
    return line.split(None, 1)[1].strip() or "unknown"


def _write_atomically(path: str, text: str) -> None:
    with open(path + ".part", "w", encoding="utf-8") as handle:
        handle.write(text)
    os.replace(path + ".part", path)


class _Stop(Exception):
    def __init__(self, signum):
        super().__init__(signum)
        self.signum = signum


def run_in_folder(tidmor: str, case_dir: str, timeout: float = 0.0) -> dict:
    """Runs `tidmor` in `case_dir`, writes its console, stderr, status and "run.json"; returns the record.

    `timeout` (seconds, 0 for none) stops the program; like a signal (TERM, INT, HUP) it leaves no "status"."""
    tidmor = os.path.abspath(tidmor)
    case_dir = os.path.abspath(case_dir)
    for name in (STATUS_NAME, RUN_RECORD_NAME, *RESULT_NAMES):
        if os.path.lexists(os.path.join(case_dir, name)):
            os.remove(os.path.join(case_dir, name))
    record = {"program": tidmor, "program_version": program_version(tidmor), "case": case_dir,
              **input_hashes(case_dir), "host": socket.gethostname(), "start": utc_now()}
    started = time.monotonic()
    status, stopped_by = None, None

    def stop(signum, frame):
        raise _Stop(signum)

    previous = {s: signal.signal(s, stop) for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)}
    process = None
    try:
        with open(os.path.join(case_dir, "console.txt"), "wb") as console, \
                open(os.path.join(case_dir, "stderr.txt"), "wb") as stderr:
            # Its own process group, so that a stop reaches whatever the program started.
            process = subprocess.Popen([tidmor], cwd=case_dir, stdout=console, stderr=stderr,
                                       stdin=subprocess.DEVNULL, start_new_session=True)
            try:
                status = process.wait(timeout=timeout or None)
            except subprocess.TimeoutExpired:
                stopped_by = f"time limit of {timeout:g} s"
    except _Stop as signalled:
        stopped_by = f"signal {signal.Signals(signalled.signum).name}"
    except OSError as error:
        stopped_by = f"not started: {error.strerror}"
    finally:
        if process is not None and process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        for s, handler in previous.items():
            signal.signal(s, handler)
    record.update({"end": utc_now(), "wall_time_s": round(time.monotonic() - started, 3), "exit_status": status,
                   "stopped_by": stopped_by})
    _write_atomically(os.path.join(case_dir, RUN_RECORD_NAME), json.dumps(record, indent=1) + "\n")
    if status is not None:
        _write_atomically(os.path.join(case_dir, STATUS_NAME), f"{status}\n")
    return record


def main(argv=None) -> int:
    args = list(sys.argv[1:] if argv is None else argv)
    timeout = 0.0
    if len(args) == 4 and args[0] == "--timeout":
        timeout = float(args[1])
        args = args[2:]
    if len(args) != 2:
        print("usage: run_case.py [--timeout SECONDS] TIDMOR CASE_DIR", file=sys.stderr)
        return 96
    if not os.path.isdir(args[1]):
        print(f"run_case.py: {args[1]}: no such case folder", file=sys.stderr)
        return 97
    record = run_in_folder(args[0], args[1], timeout)
    if record["exit_status"] is None:
        return {"time": 124, "not ": 127}.get(record["stopped_by"][:4], 143)
    return record["exit_status"]


if __name__ == "__main__":
    sys.exit(main())
