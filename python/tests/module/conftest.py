"""The tests of the model's Python module `tidmor`, run through tools/tidmor-python (ctest: python_module)."""
import glob
import os
import shutil
import sys

import pytest

TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPOSITORY = os.path.dirname(os.path.dirname(TESTS))
sys.path.insert(0, os.path.join(REPOSITORY, "python"))

RESULT_NAMES = ("outw.dat", "outb.dat", "outg.dat", "outs.dat")


def case_path(name):
    """A case of the repository by its folder name: examples/NAME or tests/run/cases/NAME."""
    for parent in ("examples", os.path.join("tests", "run", "cases")):
        path = os.path.join(REPOSITORY, parent, name)
        if os.path.isdir(path):
            return path
    raise KeyError(name)


def all_cases():
    found = glob.glob(os.path.join(REPOSITORY, "examples", "*", "expected"))
    found += glob.glob(os.path.join(REPOSITORY, "tests", "run", "cases", "*", "expected"))
    return sorted(os.path.basename(os.path.dirname(path)) for path in found)


def copy_case(name, into):
    """A scratch copy of a case's input files (not its expected results) in the folder `into`."""
    source = case_path(name)
    os.makedirs(into, exist_ok=True)
    for entry in os.listdir(source):
        path = os.path.join(source, entry)
        if os.path.isfile(path) and not entry.endswith(".md"):
            shutil.copyfile(path, os.path.join(into, entry))
    return str(into)


def read_bytes(path):
    """A file's bytes; b"" for a file that is not there (a run that did not create it)."""
    try:
        with open(path, "rb") as handle:
            return handle.read()
    except FileNotFoundError:
        return b""


def expected(name, file):
    return read_bytes(os.path.join(case_path(name), "expected", file))


def differences_from_expected(name, folder, status, console, stderr):
    """What differs from the program's stored run of the case: status, console, stderr, the result files."""
    found = []
    if f"{status}\n".encode() != expected(name, "status"):
        found.append(f"status {status}")
    for what, got in (("console.txt", console), ("stderr.txt", stderr)):
        if got.encode("utf-8", "surrogateescape") != expected(name, what):
            found.append(what)
    found += [file for file in RESULT_NAMES if read_bytes(os.path.join(folder, file)) != expected(name, file)]
    return found


@pytest.fixture(scope="session")
def tidmor():
    import tidmor as module
    return module


def run_like_the_program(tidmor, folder, **options):
    """The case in `folder` run in-process as the program runs it: (status, console, stderr)."""
    simulation, failure = None, None
    try:
        simulation = tidmor.Simulation(folder, **options)
        simulation.run()
    except tidmor.RunFailure as error:
        failure = error
    warnings = simulation.warnings if simulation is not None else failure.warnings
    stderr = "".join(f"tidmor: warning: {w}\n" for w in warnings)
    if failure is not None:
        stderr += f"tidmor: {failure.message}\n"
    return (failure.status if failure else 0), (simulation.console if simulation else ""), stderr
