"""run.json beside every run of the runner, and results refused when their input changed after the run."""
import json
import os
import shutil
import socket
import subprocess
import sys

import netCDF4
import pytest

from conftest import REPOSITORY
from tidmor_tools.case_runner import file_sha256, run_in_folder
from tidmor_tools.netcdf import convert_case
from tidmor_tools.provenance import ProvenanceError, TidmorProvenanceWarning
from tidmor_tools.readers import read_case

TEMPLATE = os.path.join(REPOSITORY, "examples", "coupled_beach")
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")


@pytest.fixture
def ran(tmp_path, tidmor):
    case = tmp_path / "case"
    case.mkdir()
    shutil.copy(os.path.join(TEMPLATE, "SIM.FILE"), case)
    text = open(os.path.join(TEMPLATE, "beach.dat")).read().replace("244.0", "16.0", 1)
    (case / "beach.dat").write_text(text)
    return case, run_in_folder(tidmor, str(case))


def test_the_runner_records_program_input_hashes_host_and_times(ran, tidmor):
    case, record = ran
    assert json.loads((case / "run.json").read_text()) == record
    version = subprocess.run([tidmor, "--version"], capture_output=True, text=True).stdout.split()[1]
    assert record["program"] == tidmor and record["program_version"] == version
    assert record["input_file"] == {"name": "beach.dat", "sha256": file_sha256(str(case / "beach.dat"))}
    assert record["control_file"]["sha256"] == file_sha256(str(case / "SIM.FILE"))
    assert record["host"] == socket.gethostname() and record["exit_status"] == 0 and record["stopped_by"] is None
    assert record["start"] < record["end"] and record["start"].endswith("Z") and record["wall_time_s"] > 0
    assert (case / "status").read_text() == "0\n" and (case / "outw.dat").stat().st_size > 0


def test_results_of_an_input_edited_after_the_run_are_refused_or_forced(ran, tmp_path):
    case, record = ran
    assert read_case(str(case))["provenance"]["input_changed"] is False
    text = (case / "beach.dat").read_text()
    (case / "beach.dat").write_text(text.replace("0.0  0.0  0.0", "0.0001  20.0  0.55", 1))
    with pytest.raises(ProvenanceError, match=r"run.json: the input changed after the run that made these results "
                                              r"\(beach.dat: SHA-256 [0-9a-f]{12}\.\.\. at the run"):
        read_case(str(case))
    result = subprocess.run([sys.executable, COMMAND, "convert", str(case), "-o", str(tmp_path / "c.nc")],
                            capture_output=True, text=True)
    assert result.returncode == 2 and "give --force to use the results anyway" in result.stderr
    assert not (tmp_path / "c.nc").exists()
    with pytest.warns(TidmorProvenanceWarning, match="used anyway"):
        path = convert_case(str(case), str(tmp_path / "c.nc"), force=True)
    with netCDF4.Dataset(path) as nc:
        assert nc.provenance.startswith("the input changed after the run (converted with --force)")
        assert nc.run_input_file_sha256 == record["input_file"]["sha256"] != nc.input_file_sha256
        assert nc.run_program_version == record["program_version"] == nc.tidmor_version
        assert (nc.run_host, nc.run_start, nc.run_exit_status) == (record["host"], record["start"], 0)


def test_a_damaged_run_record_is_status_2(ran):
    case, _ = ran
    (case / "run.json").write_text('{"program":\n')
    result = subprocess.run([sys.executable, COMMAND, "read", str(case)], capture_output=True, text=True)
    assert result.returncode == 2 and "run.json, line 2: not valid JSON" in result.stderr
