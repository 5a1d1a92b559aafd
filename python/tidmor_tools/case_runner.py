"""Runs the program in one case folder and records the run: the runner of sweeps and convergence studies.

    python3 run_case.py [--timeout SECONDS] [--threads N|slurm] [--checkpoint-every K] TIDMOR CASE_DIR

The program runs in CASE_DIR with its console in "console.txt" and its stderr in "stderr.txt"; the exit status
goes to "status" once the run is over, and "run.json" records what ran: the program and its version, the
SHA-256 of "SIM.FILE" and of the input data file it names, the start and end (UTC), the host, the wall time,
the threads and the exit status. A run stopped by its time limit or by a signal writes no "status" and says so
in "run.json".

--threads gives the program's --threads; "slurm" takes the CPUs Slurm gave the task (SLURM_CPUS_PER_TASK,
else 1). With --checkpoint-every the program writes a checkpoint every K wave periods and at a stop signal;
a case stopped with a checkpoint ends the runner with status 75 (to be continued, no "status"), and the next
run of the runner in the folder goes on from the checkpoint: the result files are continued by the program,
"console.txt" is cut back to the length the checkpoint records and continued, "stderr.txt" is continued,
and "run.json" counts the pieces. So a case run over several batch jobs ends with the files of one run.

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
CHECKPOINT_NAME = "tidmor.checkpoint"
CONTINUE_STATUS = 75
# Exit statuses of a run stopped by a signal (SIGHUP, SIGINT, SIGTERM, SIGXCPU).
STOP_STATUSES = (129, 130, 143, 152)
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


def checkpoint_console_length(path: str) -> int | None:
    """The length of standard output a checkpoint records (its header: 18 bytes to know it, the format u32,
    the program text, two SHA-256, the periods closed u64, a flag byte, then this u64; little-endian)."""
    try:
        with open(path, "rb") as handle:
            head = handle.read(4096)
    except OSError:
        return None
    if not head.startswith(b"TIDMOR checkpoint\n") or len(head) < 26:
        return None
    program_length = int.from_bytes(head[22:26], "little")
    at = 26 + program_length + 64 + 8 + 1
    if len(head) < at + 8:
        return None
    return int.from_bytes(head[at:at + 8], "little")


def slurm_threads() -> int:
    """The CPUs Slurm gave this task, else 1."""
    try:
        return max(1, int(os.environ.get("SLURM_CPUS_PER_TASK", "1")))
    except ValueError:
        return 1


def _previous_pieces(case_dir: str) -> int:
    try:
        with open(os.path.join(case_dir, RUN_RECORD_NAME), encoding="utf-8") as handle:
            return int(json.load(handle).get("pieces", 1))
    except (OSError, ValueError, AttributeError):
        return 1


def _write_atomically(path: str, text: str) -> None:
    with open(path + ".part", "w", encoding="utf-8") as handle:
        handle.write(text)
    os.replace(path + ".part", path)


class _Stop(Exception):
    def __init__(self, signum):
        super().__init__(signum)
        self.signum = signum


def run_in_folder(tidmor: str, case_dir: str, timeout: float = 0.0, threads=None, checkpoint_every: int = 0) -> dict:
    """Runs `tidmor` in `case_dir`, writes its console, stderr, status and "run.json"; returns the record.

    `timeout` (seconds, 0 for none) stops the program; like a signal (TERM, INT, HUP) it leaves no "status".
    `threads` (None: the program's default) is passed as --threads; with `checkpoint_every` the case goes on
    from its checkpoint when it has one and no "status" (see the module's text)."""
    tidmor = os.path.abspath(tidmor)
    case_dir = os.path.abspath(case_dir)
    checkpoint = os.path.join(case_dir, CHECKPOINT_NAME)
    resume = bool(checkpoint_every) and os.path.isfile(checkpoint) and \
        not os.path.lexists(os.path.join(case_dir, STATUS_NAME))
    console_length = checkpoint_console_length(checkpoint) if resume else None
    resume = resume and console_length is not None
    pieces = _previous_pieces(case_dir) + 1 if resume else 1
    if not resume:
        for name in (STATUS_NAME, RUN_RECORD_NAME, CHECKPOINT_NAME, *RESULT_NAMES):
            if os.path.lexists(os.path.join(case_dir, name)):
                os.remove(os.path.join(case_dir, name))
    command = [tidmor]
    if threads is not None:
        command += ["--threads", str(threads)]
    if checkpoint_every:
        command += ["--checkpoint-every", str(checkpoint_every)]
    if resume:
        command.append("--restart")
        # What the console held past the checkpoint is printed again by the restarted run.
        console_path = os.path.join(case_dir, "console.txt")
        if os.path.isfile(console_path) and os.path.getsize(console_path) > console_length:
            os.truncate(console_path, console_length)
    record = {"program": tidmor, "program_version": program_version(tidmor), "case": case_dir,
              **input_hashes(case_dir), "host": socket.gethostname(), "start": utc_now(), "threads": threads,
              "checkpoint_every": checkpoint_every or None, "pieces": pieces}
    started = time.monotonic()
    status, stopped_by = None, None

    def stop(signum, frame):
        raise _Stop(signum)

    previous = {s: signal.signal(s, stop) for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)}
    process = None
    try:
        mode = "ab" if resume else "wb"
        with open(os.path.join(case_dir, "console.txt"), mode) as console, \
                open(os.path.join(case_dir, "stderr.txt"), mode) as stderr:
            # Its own process group, so that a stop reaches whatever the program started.
            process = subprocess.Popen(command, cwd=case_dir, stdout=console, stderr=stderr,
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
    # Stopped (by the runner's stop or a signal of its own) with a checkpoint: to be continued.
    ended = process.returncode if process is not None else None
    continued = bool(checkpoint_every) and os.path.isfile(checkpoint) and \
        (status in STOP_STATUSES or (status is None and ended in STOP_STATUSES))
    if continued:
        status = None
        stopped_by = stopped_by or f"exit status {ended}"
    record.update({"end": utc_now(), "wall_time_s": round(time.monotonic() - started, 3), "exit_status": status,
                   "stopped_by": stopped_by, "checkpoint_kept": continued})
    _write_atomically(os.path.join(case_dir, RUN_RECORD_NAME), json.dumps(record, indent=1) + "\n")
    if status is not None:
        _write_atomically(os.path.join(case_dir, STATUS_NAME), f"{status}\n")
    return record


USAGE = "usage: run_case.py [--timeout SECONDS] [--threads N|slurm] [--checkpoint-every K] TIDMOR CASE_DIR"


def main(argv=None) -> int:
    args = list(sys.argv[1:] if argv is None else argv)
    timeout, threads, checkpoint_every = 0.0, None, 0
    try:
        while len(args) > 2 and args[0] in ("--timeout", "--threads", "--checkpoint-every"):
            option, value = args[0], args[1]
            args = args[2:]
            if option == "--timeout":
                timeout = float(value)
            elif option == "--threads":
                threads = slurm_threads() if value == "slurm" else int(value)
            else:
                checkpoint_every = int(value)
    except ValueError:
        print(USAGE, file=sys.stderr)
        return 96
    if len(args) != 2:
        print(USAGE, file=sys.stderr)
        return 96
    if not os.path.isdir(args[1]):
        print(f"run_case.py: {args[1]}: no such case folder", file=sys.stderr)
        return 97
    record = run_in_folder(args[0], args[1], timeout, threads, checkpoint_every)
    if record["checkpoint_kept"]:
        return CONTINUE_STATUS
    if record["exit_status"] is None:
        return {"time": 124, "not ": 127}.get(record["stopped_by"][:4], 143)
    return record["exit_status"]


if __name__ == "__main__":
    sys.exit(main())
