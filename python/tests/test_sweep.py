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
from tidmor_tools.case_folders import prepare_cases
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
    assert messages[-1] == f"sbatch --parsable --array=1,2 {tmp_path}/sweep/sweep.sbatch"
    with open(tmp_path / "sweep" / "sweep.sbatch") as handle:
        script = handle.read()
    # The runner stops the program after 90 s; the job has a minute more to record that. Every setting is
    # in the script, which a case that goes on is submitted with again.
    assert "#SBATCH --time=3\n" in script and f"#SBATCH --output={tmp_path}/sweep/slurm-%A_%a.out\n" in script
    assert "#SBATCH --cpus-per-task=1\n" in script
    assert 'sed -n "${SLURM_ARRAY_TASK_ID}p"' in script
    assert f"run_case.py --timeout 90.0 --threads slurm --checkpoint-every 10 {tidmor} " in script
    assert f'sbatch --parsable --array="$SLURM_ARRAY_TASK_ID" {tmp_path}/sweep/sweep.sbatch' in script


def test_slurm_settings_of_the_sweep_file_go_into_the_job_script(tmp_path, tidmor):
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_WAVE = [6.0]\n[run]\ncpus_per_task = 4\n'
                      'mem = "2G"\naccount = "coast"\nqos = "long"\npartition = "batch"\ntime_limit = 30\n'
                      'checkpoint_every = 5\nsbatch = ["--constraint=avx2", "--mail-type=END"]\n')
    run_sweep(plan, tidmor, backend="slurm", dry_run=True, log=lambda m: None)
    script = (tmp_path / "sweep" / "sweep.sbatch").read_text()
    for line in ("--cpus-per-task=4", "--time=30", "--mem=2G", "--account=coast", "--qos=long",
                 "--partition=batch", "--constraint=avx2", "--mail-type=END"):
        assert f"#SBATCH {line}\n" in script
    assert "--checkpoint-every 5 " in script


@pytest.mark.parametrize("setting, message", [
    ('mem = "lots"', "must be a memory size"),
    ('account = "a b"', "must be a Slurm name"),
    ('sbatch = ["--x\\n#SBATCH --y"]', "must be a list of sbatch options"),
    ("cpus_per_task = 0", "cpus_per_task = 0 must be a whole number from 1"),
    ("threads = -1", "threads = -1 must be a whole number from 0"),
])
def test_bad_slurm_settings_are_refused_with_the_line(tmp_path, tidmor, setting, message):
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_WAVE = [6.0]\n[run]\n{setting}\n')
    with pytest.raises(SweepError, match=message):
        run_sweep(plan, tidmor, backend="slurm", dry_run=True, log=lambda m: None)


def test_parallel_runs_one_thread_per_case_unless_told(tmp_path, tidmor):
    messages = []
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_WAVE = [6.0]\n')
    run_sweep(plan, tidmor, dry_run=True, log=messages.append)
    assert " --threads 1 " in messages[-1]
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_WAVE = [6.0]\n[run]\nthreads = 2\n')
    run_sweep(plan, tidmor, dry_run=True, log=messages.append)
    assert " --threads 2 " in messages[-1]


def test_a_case_stopped_with_a_checkpoint_goes_on_and_counts_once(tmp_path, tidmor):
    # A program that stops after step 1500 on its first run, as at a job's time limit; with checkpoints on,
    # the runner keeps the case to go on (status 75, no "status"), and its next run continues the case to
    # the files of one straight run.
    wrapper, marker = tmp_path / "stopping_tidmor", tmp_path / "stopped_once"
    wrapper.write_text(f'#!/bin/sh\ncase " $* " in *" --version "*) exec {tidmor} "$@";; esac\n'
                       f'[ -e {marker} ] && exec {tidmor} "$@"\n: > {marker}\n'
                       f'exec {tidmor} --stop-after-step 1500 "$@"\n')
    wrapper.chmod(0o755)
    plan = write_plan(tmp_path, f'template = "{TEMPLATE}"\n[[cases]]\nT_MAX = 80.0\n')
    sweep = load_sweep(plan)
    prepare_cases(sweep)
    case_dir = sweep.case_dirs()[0]
    runner = [sys.executable, os.path.join(sweep.folder, "run_case.py"), "--threads", "1", "--checkpoint-every",
              "2", str(wrapper), case_dir]
    assert subprocess.run(runner, timeout=120).returncode == 75
    assert not os.path.exists(os.path.join(case_dir, "status"))
    assert os.path.exists(os.path.join(case_dir, "tidmor.checkpoint"))
    assert json.loads(open(os.path.join(case_dir, "run.json")).read())["checkpoint_kept"] is True
    # A sweep run again keeps the stopped case as it is, to go on.
    assert prepare_cases(sweep) == [case_dir]
    assert os.path.exists(os.path.join(case_dir, "tidmor.checkpoint"))
    assert subprocess.run(runner, timeout=120).returncode == 0
    run = json.loads(open(os.path.join(case_dir, "run.json")).read())
    assert run["pieces"] == 2 and run["exit_status"] == 0 and run["threads"] == 1
    assert open(os.path.join(case_dir, "status")).read() == "0\n"
    straight = tmp_path / "straight"
    os.makedirs(straight)
    for name in ("SIM.FILE", "case.dat"):
        shutil.copy(os.path.join(case_dir, name), straight)
    with open(straight / "console.txt", "wb") as console:
        assert subprocess.run([tidmor], cwd=straight, stdout=console, timeout=120).returncode == 0
    for name in ("outw.dat", "outb.dat", "outg.dat", "outs.dat", "console.txt"):
        assert filecmp.cmp(os.path.join(case_dir, name), os.path.join(straight, name), shallow=False), name



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
