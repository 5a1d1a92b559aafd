"""tidmor_tools.run_case: a case run in-process with input values changed gives what the program gives."""
import json
import os

import pytest

from conftest import RESULT_NAMES, case_path, read_bytes
from tidmor_tools import read_case, run_case
from tidmor_tools.case_runner import run_in_folder
from tidmor_tools.input_data import write_input_file, read_case_input
from tidmor_tools.program import find_tidmor

DATASETS = ("wave", "profile", "swash", "aquifer")
LEFT_BY_THE_RUN = ("console.txt", "stderr.txt", "status") + RESULT_NAMES


def assert_same_datasets(one, other):
    assert one["input"].values == other["input"].values
    for name in DATASETS:
        assert one[name].identical(other[name]), name


def test_unchanged_it_gives_the_stored_results():
    assert_same_datasets(run_case(case_path("aquifer_with_well")),
                         read_case(os.path.join(case_path("aquifer_with_well"), "expected")))


def test_with_a_change_it_gives_what_the_program_gives(tmp_path):
    ours = run_case(case_path("long_coupled_with_well"), tmp_path / "in_process", Q_WELL=0.0004, X_WELL=28)
    # The program, in a folder with the same input data file.
    program = tmp_path / "program"
    program.mkdir()
    values = {**read_case_input(case_path("long_coupled_with_well")).values, "Q_WELL": 0.0004, "X_WELL": 28.0}
    write_input_file(str(program / "case.dat"), values, title="Q_WELL = 0.0004, X_WELL = 28.0")
    (program / "SIM.FILE").write_text("case.dat\n")
    assert run_in_folder(find_tidmor(), str(program))["exit_status"] == 0
    for name in LEFT_BY_THE_RUN + ("case.dat",):
        assert read_bytes(tmp_path / "in_process" / name) == read_bytes(program / name), name
    assert_same_datasets(ours, read_case(str(program)))
    assert ours["input"]["Q_WELL"] == 0.0004


def test_the_folder_holds_the_case_and_its_run(tmp_path):
    folder = tmp_path / "q"
    case = run_case(case_path("aquifer_with_well"), str(folder), Q_WELL=2e-5)
    record = json.loads((folder / "values.json").read_text())
    assert record["changed"] == {"Q_WELL": 2e-5} and record["input"]["Q_WELL"] == 2e-5
    run = json.loads((folder / "run.json").read_text())
    assert run["exit_status"] == 0 and run["program_version"] and run["input_file"]["name"] == "case.dat"
    assert (folder / "status").read_text() == "0\n"
    assert case["provenance"]["run"] == run and not case["provenance"]["input_changed"]
    # Read again later from the folder, the same.
    assert_same_datasets(read_case(str(folder)), case)


def test_a_failing_case_raises_after_writing_its_files(tidmor, tmp_path):
    with pytest.raises(tidmor.RunFailure) as raised:
        run_case(case_path("wet_region_too_small"), str(tmp_path))
    assert raised.value.status == 2
    assert (tmp_path / "status").read_text() == "2\n"
    assert (tmp_path / "stderr.txt").read_bytes() == read_bytes(
        os.path.join(case_path("wet_region_too_small"), "expected", "stderr.txt"))


def test_bad_changes_and_folders_are_refused_before_anything_is_written(tmp_path):
    with pytest.raises(ValueError, match="unknown input value 'Q_WEL'"):
        run_case(case_path("aquifer_with_well"), str(tmp_path / "a"), Q_WEL=0.0)
    with pytest.raises(ValueError, match="must be a whole number"):
        run_case(case_path("aquifer_with_well"), str(tmp_path / "a"), I_MORPH=0.5)
    assert not (tmp_path / "a").exists()
    with pytest.raises(ValueError, match="the template's own"):
        run_case(case_path("aquifer_with_well"), case_path("aquifer_with_well"))
