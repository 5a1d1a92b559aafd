"""The package installs offline with Debian's packages into a virtual environment and gives `tidmor-tools`."""
import os
import shutil
import subprocess

import pytest

from conftest import PYTHON_DIR, REPOSITORY


@pytest.fixture(scope="module")
def venv(tmp_path_factory):
    tmp = tmp_path_factory.mktemp("install")
    source = tmp / "src"
    # A copy, so that the build leaves nothing in the repository.
    shutil.copytree(PYTHON_DIR, source, ignore=shutil.ignore_patterns("tests", "build", "*.egg-info", "__pycache__"))
    env = tmp / "venv"
    made = subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(env)],
                          capture_output=True, text=True)
    assert made.returncode == 0, "python3 -m venv failed (Debian package python3-venv): " + made.stderr
    install = subprocess.run([str(env / "bin" / "python"), "-m", "pip", "install", "--no-build-isolation",
                              "--no-deps", "--no-index", str(source)], capture_output=True, text=True, timeout=300)
    assert install.returncode == 0, install.stdout + install.stderr
    return env, tmp


def test_the_command_is_installed_and_runs_from_the_environment(venv):
    env, tmp = venv
    command = env / "bin" / "tidmor-tools"
    assert os.access(command, os.X_OK)
    where = subprocess.run([str(env / "bin" / "python"), "-c", "import tidmor_tools; print(tidmor_tools.__file__)"],
                           capture_output=True, text=True, cwd=tmp, check=True).stdout.strip()
    assert where.startswith(str(env)) and not where.startswith(REPOSITORY)
    case = os.path.join(REPOSITORY, "examples", "coupled_beach", "expected")
    read = subprocess.run([str(command), "read", case], capture_output=True, text=True, cwd=tmp)
    assert read.returncode == 0 and "N_GRID = 100" in read.stdout
    bad = subprocess.run([str(command), "read", str(tmp)], capture_output=True, text=True, cwd=tmp)
    assert bad.returncode == 2 and bad.stderr.startswith("tidmor-tools: ")


def test_the_installed_runner_runs_a_sweep(venv, tidmor):
    env, tmp = venv
    plan = tmp / "sweep.toml"
    template = os.path.join(REPOSITORY, "examples", "plane_beach")
    plan.write_text(f'template = "{template}"\n[grid]\nT_MAX = [8.0]\n')
    result = subprocess.run([str(env / "bin" / "tidmor-tools"), "sweep", str(plan), "--tidmor", tidmor],
                            capture_output=True, text=True, cwd=tmp, timeout=120)
    assert result.returncode == 0, result.stderr
    assert (tmp / "sweep" / "case_001" / "run.json").exists() and (tmp / "sweep" / "run_case.py").exists()
