"""No shell between a sweep file and the program, and every bad input a message with status 2, never a
traceback: names that inject commands or leave the sweep folder, sweeps too large, files that are folders,
devices or not text, and result fields that are not numbers the model writes."""
import json
import os
import re
import shutil
import subprocess
import sys

import pytest

from conftest import REPOSITORY
from tidmor_tools.sweep import SweepError, load_sweep, run_sweep

TEMPLATE = os.path.join(REPOSITORY, "examples", "plane_beach")
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")
STORED = os.path.join(TEMPLATE, "expected")
INJECTED = "runs;touch PWNED;$(touch P2) `touch P3` x"


def tools(*args, cwd=None):
    return subprocess.run([sys.executable, COMMAND, *args], capture_output=True, text=True, cwd=cwd, timeout=300)


def plan_file(tmp_path, text, name="sweep.toml"):
    path = tmp_path / name
    path.write_text(text)
    return str(path)


def no_command_ran(*folders):
    for folder in folders:
        for marker in ("PWNED", "P2", "P3"):
            assert not os.path.exists(os.path.join(folder, marker)), f"{marker} was created in {folder}"


def test_a_folder_name_with_shell_code_is_only_a_name(tmp_path, tidmor, monkeypatch):
    monkeypatch.chdir(tmp_path)
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\nfolder = "{INJECTED}"\n[grid]\nT_MAX = [8.0, 9.0]\n')
    results, _ = run_sweep(plan, tidmor, log=lambda *_: None)
    assert [r.status for r in results] == [0, 0]
    assert os.path.isfile(tmp_path / INJECTED / "case_002" / "outw.dat")
    no_command_ran(tmp_path, tmp_path / INJECTED, REPOSITORY)


def test_over_ssh_the_remote_shell_gets_every_word_quoted(tmp_path, tidmor, monkeypatch):
    # An ssh that runs the command it is handed in a shell, as sshd does on the remote host; sshd also sets
    # SHELL to the login shell, which GNU parallel's remote worker runs the command with (a batch
    # environment may have no SHELL of its own).
    ssh = tmp_path / "ssh"
    ssh.write_text('#!/bin/sh\nshift\n[ "$1" = "--" ] && shift\nSHELL=/bin/sh exec sh -c "$*"\n')
    ssh.chmod(0o755)
    monkeypatch.setenv("PARALLEL_SSH", str(ssh))
    monkeypatch.chdir(tmp_path)
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\nfolder = "{INJECTED}"\n[grid]\nT_MAX = [8.0]\n')
    results, _ = run_sweep(plan, tidmor, sshlogins=["1/remote"], log=lambda *_: None)
    assert [r.status for r in results] == [0]
    assert json.loads((tmp_path / INJECTED / "case_001" / "run.json").read_text())["exit_status"] == 0
    no_command_ran(tmp_path, tmp_path / INJECTED)


@pytest.mark.parametrize("folder, message", [
    ("../elsewhere", "leaves the folder of the sweep file"),
    ("runs/../../elsewhere", "leaves the folder of the sweep file"),
    ("/tmp/runs", "leaves the folder of the sweep file"),
    ("runs\\nsecond", "holds a line break"),
])
def test_a_folder_that_leaves_the_sweep_folder_is_refused(tmp_path, folder, message):
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\nfolder = "{folder}"\n[grid]\nT_MAX = [8.0]\n')
    with pytest.raises(SweepError, match=f"sweep.toml, line 2: folder = .*{message}"):
        load_sweep(plan)


def test_a_sweep_larger_than_the_cap_is_refused_before_any_folder_is_written(tmp_path):
    values = ", ".join(str(8.0 + k) for k in range(101))
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_MAX = [{values}]\nDAMP1 = [{values}]\n')
    result = tools("sweep", plan, "--dry-run")
    assert result.returncode == 2
    assert "line 2: the [grid] makes 101 x 101 = 10201 cases, more than 10000; make the grid smaller, or give " \
           "--max-cases" in result.stderr
    assert sorted(os.listdir(tmp_path)) == ["sweep.toml"]
    assert len(load_sweep(plan, max_cases=10201).cases) == 10201


@pytest.mark.parametrize("run, message", [
    ("timeout = 1e300", "timeout = 1e\\+300 must be a number of seconds from 0 \\(no limit\\) to 2592000"),
    ("timeout = inf", "timeout = inf must be"),
    ("timeout = nan", "timeout = nan must be"),
    ("timeout = -1", "timeout = -1 must be"),
    ("jobs = 0", "jobs = 0 must be a whole number from 1"),
    ("retries = 3", "unknown key\\(s\\) retries"),
])
def test_run_settings_out_of_range_are_refused(tmp_path, run, message):
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\n[grid]\nT_MAX = [8.0]\n[run]\n{run}\n')
    with pytest.raises(SweepError, match=message):
        load_sweep(plan)


@pytest.mark.parametrize("value, message", [
    ("nan", "H_WAVE = nan is not a finite number"),
    ("inf", "H_WAVE = inf is not a finite number"),
    ("1e999", "H_WAVE = inf is not a finite number"),
])
def test_values_that_are_not_finite_are_refused(tmp_path, value, message):
    plan = plan_file(tmp_path, f'template = "{TEMPLATE}"\n[fixed]\nT_MAX = 8.0\n[grid]\nH_WAVE = [0.5, {value}]\n')
    with pytest.raises(SweepError, match=f"line 5: \\[grid\\]: {message}"):
        load_sweep(plan)


def test_yaml_faults_name_their_line(tmp_path):
    plan = plan_file(tmp_path, f"template: {TEMPLATE}\ncases:\n  - H_WAVE: 0.4\n  - H_WAVE: big\n", "s.yaml")
    with pytest.raises(SweepError, match="s.yaml, line 4: case 2: H_WAVE = 'big' is not a number"):
        load_sweep(plan)


@pytest.mark.parametrize("make, message", [
    (lambda p: p.write_bytes(b'template = "x"\n# caf\xe9\n'), "sweep.toml, line 2: sweep file holds the byte 0xe9, "
                                                             "which is not UTF-8 text"),
    (lambda p: p.mkdir(), "sweep.toml: sweep file is a folder, not a file"),
    (lambda p: p.symlink_to("/dev/zero"), "sweep.toml: sweep file is not a regular file"),
    (lambda p: None, "sweep.toml: sweep file cannot be read \\(No such file or directory\\)"),
])
def test_a_sweep_file_that_is_not_text_is_status_2(tmp_path, make, message):
    make(tmp_path / "sweep.toml")
    result = tools("sweep", str(tmp_path / "sweep.toml"), "--dry-run")
    assert result.returncode == 2 and "Traceback" not in result.stderr
    assert result.stderr.startswith("tidmor-tools: ") and re.search(message, result.stderr), result.stderr


def stored_copy(tmp_path, name="case"):
    case = tmp_path / name
    shutil.copytree(TEMPLATE, case, ignore=shutil.ignore_patterns("expected"))
    for file in os.listdir(STORED):
        shutil.copy(os.path.join(STORED, file), case)
    return case


@pytest.mark.parametrize("damage, message", [
    (lambda c: ((c / "outw.dat").unlink(), (c / "outw.dat").mkdir()), "outw.dat: result file is a folder"),
    (lambda c: ((c / "outw.dat").unlink(), (c / "outw.dat").symlink_to("/dev/zero")),
     "outw.dat: result file is not a regular file"),
    (lambda c: (c / "outs.dat").write_bytes((c / "outs.dat").read_bytes()[:30] + b"\xc3\xa9" +
                                            (c / "outs.dat").read_bytes()[32:]),
     "outs.dat, line 1: result file holds the byte 0xc3, which is not ASCII text"),
    (lambda c: (c / "outs.dat").write_text("         nan   17.990000    0.000000\n" * 4),
     "outs.dat, line 1: field 1 \\(columns 1-12\\) holds 'nan', which is not a fixed-point number"),
    (lambda c: (c / "outs.dat").write_text("       1e999   17.990000    0.000000\n" * 4),
     "outs.dat, line 1: field 1 \\(columns 1-12\\) holds '1e999'"),
    (lambda c: (c / "outs.dat").write_text("   24.730000    Infinity    0.000000\n" * 4),
     "outs.dat, line 1: field 2 \\(columns 13-24\\) holds 'Infinity': the run produced a value that is not finite"),
])
def test_a_damaged_result_file_is_status_2_naming_file_and_line(tmp_path, damage, message):
    case = stored_copy(tmp_path)
    damage(case)
    for command in (["read", str(case)], ["convert", str(case), "-o", str(tmp_path / "x.nc")]):
        result = tools(*command)
        assert result.returncode == 2 and "Traceback" not in result.stderr, result.stderr
        assert re.search(message, result.stderr), result.stderr
    assert not (tmp_path / "x.nc").exists()


def test_an_input_file_outside_the_case_is_never_quoted(tmp_path):
    (tmp_path / "secret.txt").write_text("TOPSECRET-LINE and more\n")
    case = stored_copy(tmp_path)
    (case / "SIM.FILE").write_text("../secret.txt\n")
    result = tools("read", str(case))
    assert result.returncode == 2
    assert "line 1: group 1: H_WAVE = (the text is not shown: the file lies outside the case folder)" in result.stderr
    assert "TOPSECRET" not in result.stderr
    # The case's own input is quoted, to show what to mend.
    (case / "beach.dat").write_text("WRONG 8.0\n")
    (case / "SIM.FILE").write_text("beach.dat\n")
    assert 'H_WAVE = "WRONG" is not a number' in tools("read", str(case)).stderr


def test_an_input_data_file_that_is_a_device_is_refused(tmp_path):
    case = stored_copy(tmp_path)
    (case / "SIM.FILE").write_text("/dev/zero\n")
    result = tools("read", str(case))
    assert result.returncode == 2 and "/dev/zero: input data file is not a regular file" in result.stderr


@pytest.mark.parametrize("record, message", [
    ("{not json", "values.json, line 1: not valid JSON"),
    ('{"input": {"H_WAVE": 1}}', "values.json, line 1: not a values record of a sweep"),
    (None, "values.json: values record is a folder"),
])
def test_a_bad_values_record_is_status_2(tmp_path, record, message):
    case = stored_copy(tmp_path / "sweep", "case_001")
    if record is None:
        (case / "values.json").mkdir()
    else:
        (case / "values.json").write_text(record)
    result = tools("summary", str(tmp_path / "sweep"))
    assert result.returncode == 2 and "Traceback" not in result.stderr
    assert message in result.stderr


def test_a_case_list_naming_folders_elsewhere_is_refused(tmp_path):
    (tmp_path / "sweep").mkdir()
    (tmp_path / "sweep" / "cases.txt").write_text("/somewhere/case_001\n..\n")
    result = tools("summary", str(tmp_path / "sweep"))
    assert result.returncode == 2 and "cases.txt, line 2: names no case folder of this sweep" in result.stderr
