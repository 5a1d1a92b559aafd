"""Finding the tidmor executable and asking it for its version."""
from __future__ import annotations

import os
import shutil
import subprocess
import tempfile

# python/tidmor_tools/ -> the repository
REPOSITORY = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def find_tidmor(option: str | None = None) -> str:
    """The program to run: the --tidmor option, else $TIDMOR, else build/tidmor of the repository, else PATH."""
    if option:
        candidates = [("--tidmor", option)]
    elif os.environ.get("TIDMOR"):
        candidates = [("TIDMOR", os.environ["TIDMOR"])]
    else:
        candidates = [("build", os.path.join(REPOSITORY, "build", "tidmor")), ("PATH", shutil.which("tidmor"))]
    for origin, path in candidates:
        if path and os.path.isfile(path) and os.access(path, os.X_OK):
            return os.path.abspath(path)
        if origin in ("--tidmor", "TIDMOR"):
            raise FileNotFoundError(f"the tidmor executable given by {origin} ({path}) does not exist or cannot be "
                                    "run; build it with `make run` or give its path")
    raise FileNotFoundError("no tidmor executable: none in build/ of the repository nor on PATH; build it with "
                            "`make run`, or give --tidmor PATH or set TIDMOR")


def tidmor_version(executable: str | None) -> str:
    """The version the program reports ("tidmor <version>"), or "unknown" when it does not tell."""
    if not executable:
        return "unknown"
    # In an empty folder: a program that does not know the option finds no "SIM.FILE" and writes nothing.
    try:
        with tempfile.TemporaryDirectory(prefix="tidmor-version-") as empty:
            result = subprocess.run([os.path.abspath(executable), "--version"], capture_output=True, text=True,
                                    timeout=20, stdin=subprocess.DEVNULL, cwd=empty)
    except (OSError, subprocess.SubprocessError):
        return "unknown"
    line = result.stdout.strip().splitlines()[0] if result.stdout.strip() else ""
    if result.returncode != 0 or not line.startswith("tidmor "):
        return "unknown"
    return line.split(None, 1)[1].strip() or "unknown"
