"""netCDF files as CF-1.10 wants them: reference time, units parsed by UDUNITS, axes, compression, and our own
CF check on every stored result (and on files made faulty on purpose)."""
import os
import shutil
import stat
import subprocess
import sys

import netCDF4
import numpy as np
import pytest

from conftest import REPOSITORY, stored_cases
from tidmor_tools.cf_check import check_cf, udunits_accepts
from tidmor_tools.input_data import PARAMETERS
from tidmor_tools.netcdf import convert_case
from tidmor_tools.figures import plot_case
from tidmor_tools.readers import read_case

CASES = {os.path.basename(os.path.dirname(c)): c for c in stored_cases()}
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")


def fake_tidmor(tmp_path, script):
    path = tmp_path / "tidmor"
    path.write_text("#!/bin/sh\n" + script + "\n")
    path.chmod(path.stat().st_mode | stat.S_IXUSR)
    return str(path)


@pytest.fixture(scope="module")
def coupled(tmp_path_factory):
    tmp = tmp_path_factory.mktemp("nc")
    exe = fake_tidmor(tmp, 'echo "tidmor 1.4.2"')
    return convert_case(CASES["coupled_beach"], str(tmp / "coupled.nc"), tidmor=exe,
                        command="tidmor-tools convert coupled"), read_case(CASES["coupled_beach"])


def test_global_attributes_hold_conventions_version_history_and_input(coupled):
    path, case = coupled
    with netCDF4.Dataset(path) as nc:
        assert nc.Conventions == "CF-1.10"
        assert nc.tidmor_version == "1.4.2" and nc.source == "tidmor 1.4.2"
        assert nc.history.endswith("Z tidmor-tools convert coupled")
        for name in PARAMETERS:
            assert nc.getncattr(f"input_{name}") == case["input"][name]
            assert nc.getncattr(f"input_{name}_units")
        assert nc.derived_N_GRID == 100 and nc.derived_DX == case["input"].dx
        assert sorted(nc.groups) == ["aquifer", "profile", "swash", "wave"]
        # Stored results have no run.json: the hash is the input's at conversion, and the file says so.
        assert len(nc.input_file_sha256) == 64 and nc.provenance.startswith("no run.json")


def test_time_has_a_reference_axes_are_marked_and_values_are_kept(coupled):
    path, case = coupled
    with netCDF4.Dataset(path) as nc:
        for group in nc.groups.values():
            time = group["time"]
            assert (time.standard_name, time.axis, time.calendar) == ("time", "T", "standard")
            assert time.units == "seconds since 2000-01-01 00:00:00" and "2000-01-01 00:00:00 UTC" in time.comment
        wave = nc.groups["wave"]
        assert wave["x"].axis == "X" and set(wave["depth"].coordinates.split()) == {"time", "x"}
        assert wave["depth"].standard_name == "sea_floor_depth_below_sea_surface"
        assert wave["velocity"].standard_name == "sea_water_x_velocity"
        assert np.array_equal(np.ma.filled(wave["depth"][:], np.nan), case["wave"]["depth"].values, equal_nan=True)
        assert np.array_equal(wave["time"][:], case["wave"]["time"].values)
        profile = nc.groups["profile"]
        assert profile["qs_on"].units == profile["qs_off"].units == "m3 s-2"
        aquifer = nc.groups["aquifer"]
        assert aquifer["z_bnd"].axis == "Z" and aquifer["z_bnd"].positive == "up"
        assert set(aquifer["head"].coordinates.split()) == {"time", "x_bnd", "z_bnd"}
        assert aquifer["part"].flag_meanings == "beach_face water_table landward_side bottom"
        assert list(aquifer["n_bnd"][:]) == list(case["aquifer"]["n_bnd"].values)


def test_fields_are_compressed_in_chunks_of_one_record(coupled):
    with netCDF4.Dataset(coupled[0]) as nc:
        for group in nc.groups.values():
            for name, var in group.variables.items():
                if var.size == 0:
                    continue
                assert var.filters()["zlib"] and var.filters()["shuffle"], name
                if var.ndim == 2:
                    assert var.chunking() == [1, var.shape[1]], name


def test_the_start_time_can_be_set(tmp_path):
    path = convert_case(CASES["plane_beach"], str(tmp_path / "p.nc"), start_time="2024-03-01T06:30:00Z")
    with netCDF4.Dataset(path) as nc:
        time = nc.groups["profile"]["time"]
        assert time.units == "seconds since 2024-03-01 06:30:00"
        first = netCDF4.num2date(time[0], time.units, time.calendar)
        assert (first.year, first.month, first.day, first.hour) == (2024, 3, 1, 6)
    result = subprocess.run([sys.executable, COMMAND, "convert", CASES["plane_beach"], "-o", str(tmp_path / "q.nc"),
                             "--start-time", "yesterday"], capture_output=True, text=True)
    assert result.returncode == 2 and "--start-time 'yesterday' is not a time" in result.stderr


@pytest.fixture(scope="module")
def every_case_converted(tmp_path_factory):
    tmp = tmp_path_factory.mktemp("all")
    return {name: convert_case(path, str(tmp / f"{name}.nc")) for name, path in CASES.items()}


def test_every_stored_result_passes_the_cf_check(every_case_converted):
    for name, path in every_case_converted.items():
        assert check_cf(path, check_units=False) == [], name


def test_every_unit_string_is_parsed_by_udunits(every_case_converted):
    assert shutil.which("udunits2"), "udunits2 is missing: tools/deps.sh python installs udunits-bin"
    units = set()
    for path in every_case_converted.values():
        with netCDF4.Dataset(path) as nc:
            for group in nc.groups.values():
                units |= {v.units for v in group.variables.values()}
    assert {"m", "m s-1", "m3 s-2", "1", "seconds since 2000-01-01 00:00:00"} <= units
    for unit in sorted(units):
        assert udunits_accepts(unit), unit
    assert udunits_accepts("furlongs per fortnight squared") is False


def test_the_cf_check_finds_the_faults_it_looks_for(coupled, tmp_path):
    path = str(tmp_path / "bad.nc")
    shutil.copy(coupled[0], path)
    with netCDF4.Dataset(path, "a") as nc:
        wave = nc.groups["wave"]
        wave["time"].units = "s"
        del wave["infiltration"].units
        wave["node"].axis = "X"
        nc.groups["aquifer"]["part"].flag_meanings = "beach_face water_table"
        del nc.groups["aquifer"]["z_bnd"].positive
        nc.Conventions = "CF-1.6"
    found = check_cf(path)
    problems = "\n".join(found)
    for expected in ("Conventions is not CF-1.10", "wave/time: time units 's' give no reference time",
                     "wave/infiltration: no units", "wave/depth: more than one coordinate with axis X",
                     "aquifer/part: flag_values and flag_meanings do not pair off",
                     "aquifer/z_bnd: a vertical axis needs positive"):
        assert expected in problems
    result = subprocess.run([sys.executable, COMMAND, "check-cf", path, coupled[0]], capture_output=True, text=True)
    assert result.returncode == 1 and result.stdout.endswith(f"2 file(s) checked, {len(found)} problem(s)\n")


def test_ncdump_reads_the_file(coupled):
    header = subprocess.run(["ncdump", "-h", coupled[0]], capture_output=True, text=True, check=True).stdout
    assert ':Conventions = "CF-1.10"' in header and "group: aquifer" in header


def test_a_program_without_a_version_is_recorded_as_unknown(tmp_path):
    exe = fake_tidmor(tmp_path, "exit 1")
    path = convert_case(CASES["plane_beach"], str(tmp_path / "plane.nc"), tidmor=exe)
    with netCDF4.Dataset(path) as nc:
        assert nc.tidmor_version == "unknown"


def test_the_version_is_asked_in_an_empty_folder(tmp_path, monkeypatch):
    from tidmor_tools.program import tidmor_version
    fake_tidmor(tmp_path, 'echo "tidmor files-here-$(ls -A | wc -l)"')
    (tmp_path / "SIM.FILE").write_text("case.dat\n")
    monkeypatch.chdir(tmp_path)
    assert tidmor_version("tidmor") == "files-here-0"


def test_default_outputs_go_to_the_working_folder_named_after_the_case(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    before = sorted(os.listdir(CASES["plane_beach"]))
    assert convert_case(CASES["plane_beach"]) == "plane_beach.nc"
    assert os.path.dirname(plot_case(CASES["plane_beach"])[0]) == "plane_beach-figures"
    assert sorted(os.listdir(CASES["plane_beach"])) == before and os.path.getsize(tmp_path / "plane_beach.nc")
