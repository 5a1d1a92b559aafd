"""Sweeps run for real with GNU parallel on a short case, and the faults of a sweep file."""
import csv
import filecmp
import json
import os
import shutil
import subprocess
import sys

import pytest

from conftest import REPOSITORY
from tidmor_tools.sweep import SweepError, load_sweep, run_sweep
from tidmor_tools.summary import summarise_sweep

TEMPLATE = os.path.join(REPOSITORY, "examples", "plane_beach")
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")

GRID_PLAN = f"""
template = "{TEMPLATE}"
folder = "runs"
[fixed]
T_MAX = 88.0       # eleven periods: one profile and swash record
[grid]
H_WAVE = [0.4, 0.5]
DAMP1 = [0.4, 0.5]
[run]
jobs = 2
timeout = 120
"""


def write_plan(tmp_path, text, name="sweep.toml"):
    path = tmp_path / name
    path.write_text(text)
    return str(path)


def run_alone(tidmor, case_dir, where):
    """The same case run by hand in a folder of its own."""
    os.makedirs(where)
    for name in ("SIM.FILE", "case.dat"):
        shutil.copy(os.path.join(case_dir, name), where)
    return subprocess.run([tidmor], cwd=where, capture_output=True).returncode


@pytest.fixture(scope="module")
def grid_sweep(tmp_path_factory, tidmor):
    tmp = tmp_path_factory.mktemp("sweep")
    plan = write_plan(tmp, GRID_PLAN)
    results, _ = run_sweep(plan, tidmor, log=lambda *_: None)
    return tmp, plan, results


def test_four_cases_run_with_gnu_parallel_give_the_results_of_a_run_by_hand(grid_sweep, tidmor):
    tmp, _, results = grid_sweep
    assert [(os.path.basename(r.case_dir), r.status) for r in results] == [
        ("case_001", 0), ("case_002", 0), ("case_003", 0), ("case_004", 0)]
    for r in results:
        assert r.run["exit_status"] == 0 and r.run["input_file"]["name"] == "case.dat"
        alone = str(tmp / "alone" / os.path.basename(r.case_dir))
        assert run_alone(tidmor, r.case_dir, alone) == 0
        for name in ("outw.dat", "outb.dat", "outg.dat", "outs.dat"):
            assert filecmp.cmp(os.path.join(r.case_dir, name), os.path.join(alone, name), shallow=False)
    with open(os.path.join(results[2].case_dir, "case.dat")) as handle:
        first = handle.readline().split()
    assert first[:2] == ["0.5", "8.0"]


def test_a_second_run_skips_the_cases_already_done(grid_sweep, tidmor):
    _, plan, results = grid_sweep
    before = [os.stat(os.path.join(r.case_dir, "outw.dat")).st_mtime_ns for r in results]
    messages = []
    run_sweep(plan, tidmor, log=messages.append)
    assert "4 already done, 0 to run" in messages[0]
    assert before == [os.stat(os.path.join(r.case_dir, "outw.dat")).st_mtime_ns for r in results]


def test_summary_has_inputs_status_and_results(grid_sweep):
    tmp, _, _ = grid_sweep
    path = summarise_sweep(str(tmp / "runs"))
    with open(path, newline="") as handle:
        rows = list(csv.DictReader(handle))
    assert [(row["case"], row["H_WAVE"], row["DAMP1"], row["status"]) for row in rows] == [
        ("case_001", "0.4", "0.4", "0"), ("case_002", "0.4", "0.5", "0"),
        ("case_003", "0.5", "0.4", "0"), ("case_004", "0.5", "0.5", "0")]
    with open(os.path.join(tmp, "runs", "case_004", "outs.dat")) as handle:
        x_down, x_up, _ = (float(v) for v in handle.read().split())
    assert (float(rows[3]["x_up_1"]), float(rows[3]["x_down_1"])) == (x_up, x_down)
    for row in rows:
        assert row["shoreline_change"] and row["volume_change"] and float(row["net_face_flux"]) == 0.0


def test_a_smaller_sweep_reuses_its_cases_and_summarises_only_them(grid_sweep, tidmor, tmp_path):
    tmp, _, _ = grid_sweep
    shutil.copytree(tmp / "runs", tmp_path / "runs")
    plan = write_plan(tmp_path, GRID_PLAN.replace("H_WAVE = [0.4, 0.5]", "H_WAVE = [0.4]"))
    messages = []
    run_sweep(plan, tidmor, log=messages.append)
    assert "2 cases, 2 already done, 0 to run" in messages[0]
    with open(summarise_sweep(str(tmp_path / "runs")), newline="") as handle:
        assert [row["case"] for row in csv.DictReader(handle)] == ["case_001", "case_002"]


def test_a_failed_case_is_reported_and_the_others_run(tmp_path, tidmor):
    plan = write_plan(tmp_path, f"""
template = "{TEMPLATE}"
[fixed]
T_MAX = 16.0
[[cases]]
H_CUT = 0.01
[[cases]]
H_CUT = 1.9        # dries all but three nodes: the run stops with status 2
[[cases]]
H_WAVE = 0.45
""")
    result = subprocess.run([sys.executable, COMMAND, "sweep", plan, "--tidmor", tidmor], capture_output=True,
                            text=True)
    assert result.returncode == 1
    assert "case_002: failed with exit status 2: tidmor: run stopped: fewer than 6 wet nodes" in result.stderr
    assert "2 of 3 cases done, 1 failed" in result.stdout
    assert [os.path.exists(tmp_path / "sweep" / f"case_00{k}" / "outw.dat") for k in (1, 3)] == [True, True]


@pytest.mark.parametrize("text, message", [
    ('template = "missing"\n[grid]\nH_WAVE = [1]', r"template: .*missing.*SIM\.FILE.*cannot be read"),
    (f'template = "{TEMPLATE}"\n[grid]\nWAVE_HEIGHT = [0.5]', "unknown input value 'WAVE_HEIGHT'; the input values "
                                                             "are H_WAVE, T_WAVE"),
    (f'template = "{TEMPLATE}"\n[grid]\nH_WAVE = []', r"H_WAVE must be a non-empty list of values, e.g."),
    (f'template = "{TEMPLATE}"\n[grid]\nI_INFIL = [0.5]', "I_INFIL = 0.5 must be a whole number"),
    (f'template = "{TEMPLATE}"\n[grid]\nH_WAVE = ["big"]', "H_WAVE = 'big' is not a number"),
    (f'template = "{TEMPLATE}"', "give either a \\[grid\\] of value lists or a list of \\[\\[cases\\]\\], not neither"),
    (f'template = "{TEMPLATE}"\n[grid]\nH_WAVE = [0.5\n', "not valid TOML"),
    (f'template = "{TEMPLATE}"\ngird = 1\n[grid]\nH_WAVE = [0.5]', "unknown key\\(s\\) gird"),
])
def test_a_bad_spec_is_a_clear_error(tmp_path, text, message):
    plan = write_plan(tmp_path, text)
    with pytest.raises(SweepError, match=message):
        load_sweep(plan)


def test_the_command_reports_a_bad_spec_on_stderr_with_status_2(tmp_path, tidmor):
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nH_WAVE = 0.5\n', "bad.toml")
    result = subprocess.run([sys.executable, COMMAND, "sweep", plan, "--tidmor", tidmor], capture_output=True,
                            text=True)
    assert result.returncode == 2 and result.stdout == ""
    assert result.stderr == f"tidmor-tools: {plan}, line 3: [grid]: H_WAVE must be a non-empty list of values, e.g. " \
                            "H_WAVE = [0.4, 0.6]\n"


def test_yaml_spec_and_slurm_script_without_submitting(tmp_path, tidmor):
    plan = write_plan(tmp_path, f"template: {TEMPLATE}\ngrid:\n  T_WAVE: [6.0, 8.0]\nrun:\n  timeout: 90\n",
                      "sweep.yaml")
    messages = []
    results, job = run_sweep(plan, tidmor, backend="slurm", dry_run=True, log=messages.append)
    assert messages[-1].startswith("sbatch --parsable --array=1,2 ")
    # The runner stops the program after 90 s; the job has a minute more to record that.
    assert " --time=3 " in messages[-1] and f"--output={tmp_path}/sweep/slurm-%A_%a.out" in messages[-1]
    with open(tmp_path / "sweep" / "sweep.sbatch") as handle:
        script = handle.read()
    assert 'sed -n "${SLURM_ARRAY_TASK_ID}p"' in script and f"run_case.py --timeout 90.0 {tidmor} " in script


def test_a_case_over_its_time_limit_is_reported_as_not_finished(tmp_path):
    slow = tmp_path / "slow_tidmor"
    slow.write_text('#!/bin/sh\n[ "$1" = --version ] && { echo "tidmor slow"; exit 0; }\nsleep 30\n')
    slow.chmod(0o755)
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[[cases]]\nT_MAX = 8.0\n[run]\ntimeout = 1\n')
    result = subprocess.run([sys.executable, COMMAND, "sweep", plan, "--tidmor", str(slow)], capture_output=True,
                            text=True, timeout=60)
    assert result.returncode == 1
    assert "case_001: did not finish (time limit of 1 s); see its folder" in result.stderr
    run = json.loads((tmp_path / "sweep" / "case_001" / "run.json").read_text())
    assert run["exit_status"] is None and run["stopped_by"] == "time limit of 1 s"
    assert run["program_version"] == "slow" and 1 <= run["wall_time_s"] < 20
    assert not (tmp_path / "sweep" / "case_001" / "status").exists()


def test_cases_are_handed_to_the_hosts_given(tmp_path, tidmor):
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_MAX = [8.0, 9.0]\n')
    messages = []
    run_sweep(plan, tidmor, sshlogins=["4/node1", "2/user@node2"], dry_run=True, log=messages.append)
    assert " --sshlogin 4/node1 --sshlogin 2/user@node2 " in messages[-1]
    # ":" is GNU parallel's name for this machine: the same path as over ssh, without ssh.
    results, _ = run_sweep(plan, tidmor, sshlogins=[":"], log=lambda *_: None)
    assert [r.status for r in results] == [0, 0]
