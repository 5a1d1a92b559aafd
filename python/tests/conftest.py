import glob
import os
import sys

import pytest

PYTHON_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPOSITORY = os.path.dirname(PYTHON_DIR)
sys.path.insert(0, PYTHON_DIR)

from tidmor_tools.program import find_tidmor  # noqa: E402


def stored_cases():
    """Every case of the repository with stored results: its `expected` folder."""
    found = glob.glob(os.path.join(REPOSITORY, "examples", "*", "expected"))
    found += glob.glob(os.path.join(REPOSITORY, "tests", "run", "cases", "*", "expected"))
    return sorted(found)


def case_id(path):
    return os.path.relpath(os.path.dirname(path), REPOSITORY)


@pytest.fixture(scope="session")
def tidmor():
    try:
        return find_tidmor()
    except FileNotFoundError as error:
        pytest.skip(str(error))


@pytest.fixture
def repository():
    return REPOSITORY
