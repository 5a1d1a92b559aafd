import os
import stat
import subprocess

import netCDF4
import numpy as np
import pytest

from conftest import stored_cases
from tidmor_tools.figures import plot_case
from tidmor_tools.input_data import PARAMETERS
from tidmor_tools.netcdf import convert_case
from tidmor_tools.readers import read_case

CASES = {os.path.basename(os.path.dirname(c)): c for c in stored_cases()}


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


def test_every_variable_has_units_or_flags_and_a_long_name(coupled):
    path, case = coupled
    with netCDF4.Dataset(path) as nc:
        for group in nc.groups.values():
            for name, var in group.variables.items():
                assert "long_name" in var.ncattrs(), name
                assert "units" in var.ncattrs() or "flag_values" in var.ncattrs() or name.startswith("qs_"), name
        wave = nc.groups["wave"]
        assert wave["time"].standard_name == "time" and wave["time"].units == "s"
        assert wave["depth"].standard_name == "sea_floor_depth_below_sea_surface"
        assert wave["velocity"].standard_name == "sea_water_x_velocity"
        assert "time" in wave["depth"].coordinates.split()
        assert np.array_equal(np.ma.filled(wave["depth"][:], np.nan), case["wave"]["depth"].values, equal_nan=True)
        aquifer = nc.groups["aquifer"]
        assert aquifer["part"].flag_meanings == "beach_face water_table landward_side bottom"
        assert list(aquifer["n_bnd"][:]) == list(case["aquifer"]["n_bnd"].values)


def test_ncdump_reads_the_file(coupled):
    header = subprocess.run(["ncdump", "-h", coupled[0]], capture_output=True, text=True, check=True).stdout
    assert ':Conventions = "CF-1.10"' in header and "group: aquifer" in header


def test_a_program_without_a_version_is_recorded_as_unknown(tmp_path):
    exe = fake_tidmor(tmp_path, "exit 1")
    path = convert_case(CASES["plane_beach"], str(tmp_path / "plane.nc"), tidmor=exe)
    with netCDF4.Dataset(path) as nc:
        assert nc.tidmor_version == "unknown"


@pytest.mark.parametrize("name", ["coupled_beach", "plane_beach", "rejected_mesh"])
def test_figures_exist_and_are_png_images(tmp_path, name):
    paths = plot_case(CASES[name], str(tmp_path))
    assert [os.path.basename(p) for p in paths] == ["profiles.png", "swash.png", "runup.png", "aquifer.png"]
    for path in paths:
        with open(path, "rb") as handle:
            assert handle.read(8) == b"\x89PNG\r\n\x1a\n"
        assert os.path.getsize(path) > 10000


def test_the_version_is_asked_in_an_empty_folder(tmp_path, monkeypatch):
    from tidmor_tools.program import tidmor_version
    exe = fake_tidmor(tmp_path, 'echo "tidmor files-here-$(ls -A | wc -l)"')
    (tmp_path / "SIM.FILE").write_text("case.dat\n")
    monkeypatch.chdir(tmp_path)
    assert tidmor_version("tidmor") == "files-here-0"


def test_default_outputs_go_to_the_working_folder_named_after_the_case(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    before = sorted(os.listdir(CASES["plane_beach"]))
    assert convert_case(CASES["plane_beach"]) == "plane_beach.nc"
    assert os.path.dirname(plot_case(CASES["plane_beach"])[0]) == "plane_beach-figures"
    assert sorted(os.listdir(CASES["plane_beach"])) == before and os.path.getsize(tmp_path / "plane_beach.nc")
