"""The readers on every stored result of the repository: the files are rebuilt from the datasets, which shows
that every block, every node count and every value is read back to its printed digits."""
import math
import os
import shutil
import warnings

import numpy as np
import pytest

from conftest import case_id, stored_cases
from tidmor_tools.fixed_columns import format_fixed
from tidmor_tools.readers import (BLOCK_AT_REST, BLOCK_GENERATED, BLOCK_SNAPSHOT, PART_BOTTOM, PART_FACE,
                                  PART_LANDWARD, PART_WATER_TABLE, ResultFileError, TidmorFieldWarning, read_case)

CASES = stored_cases()


def text_of(path):
    with open(path, encoding="ascii") as handle:
        return handle.read()


def field(value, width, decimals):
    return "*" * width if math.isnan(value) else format_fixed(value, width, decimals)


def rebuild_wave(wave):
    out = []
    for s in range(wave.sizes["snapshot"]):
        n = int(wave["n_shore"].values[s])
        if n == 0:
            out.append("")
        for i in range(n):
            out.append(field(wave["time"].values[s], 14, 2) + field(wave["x"].values[i], 14, 10)
                       + "".join(field(wave[v].values[s, i], 14, 10) for v in ("depth", "velocity", "infiltration")))
    return out


def rebuild_profile(prof):
    out = []
    for r in range(prof.sizes["record"]):
        if prof.sizes["node"] == 0:
            out.append("")
        for j in range(prof.sizes["node"]):
            out.append(field(prof["time"].values[r], 13, 6)
                       + "".join(field(prof[v].values[r, j], 13, 6) for v in ("qs_on", "qs_off", "z_bed")))
    return out


def rebuild_aquifer(aq):
    out = []
    for b in range(aq.sizes["block"]):
        width = 12 if aq["block_kind"].values[b] == BLOCK_SNAPSHOT else 13
        n = int(aq["n_bnd"].values[b])
        if n == 0:
            out.append("")
        for j in range(n):
            out.append(field(aq["x_face"].values[b], width, 6) + "".join(
                field(aq[v].values[b, j], width, 6) for v in ("x_bnd", "z_bnd", "head", "dhead_dn")))
    return out


def lines_of(path):
    return text_of(path).splitlines() if os.path.exists(path) else []


@pytest.fixture(scope="module", params=CASES, ids=case_id)
def stored(request):
    with warnings.catch_warnings():
        warnings.simplefilter("error", TidmorFieldWarning)
        return request.param, read_case(request.param)


def test_every_stored_result_is_found():
    assert len(CASES) >= 9


def assert_same_lines(rebuilt, path):
    """Names the first line that the dataset does not give back as the program wrote it."""
    written = lines_of(path)
    for line_no, (mine, theirs) in enumerate(zip(rebuilt, written), start=1):
        assert mine == theirs, f"{path}, line {line_no}: read back as {mine!r}, written as {theirs!r}"
    assert len(rebuilt) == len(written), f"{path}: {len(rebuilt)} lines read back, {len(written)} written"


def test_files_rebuilt_from_the_datasets_are_the_files(stored):
    folder, case = stored
    assert_same_lines(rebuild_wave(case["wave"]), os.path.join(folder, "outw.dat"))
    assert_same_lines(rebuild_profile(case["profile"]), os.path.join(folder, "outb.dat"))
    swash = case["swash"]
    assert_same_lines([field(a, 12, 6) + field(b, 12, 6) + field(c, 12, 6) for a, b, c in
                       zip(swash["x_down"].values, swash["x_up"].values, swash["slope_swash"].values)],
                      os.path.join(folder, "outs.dat"))
    assert_same_lines(rebuild_aquifer(case["aquifer"]), os.path.join(folder, "outg.dat"))


def test_blocks_agree_across_files(stored):
    folder, case = stored
    wave, aq, prof, swash = case["wave"], case["aquifer"], case["profile"], case["swash"]
    status = int(text_of(os.path.join(folder, "status")))
    kinds = list(aq["block_kind"].values)
    snapshots = kinds.count(BLOCK_SNAPSHOT)
    # Every wave snapshot has its aquifer block, written at the same step.
    assert snapshots == wave.sizes["snapshot"]
    assert np.array_equal(aq["time"].values[np.array(kinds) == BLOCK_SNAPSHOT], wave["time"].values)
    assert swash.sizes["record"] == prof.sizes["record"]
    assert np.array_equal(swash["time"].values, prof["time"].values)
    if status == 0 and os.path.getsize(os.path.join(folder, "outg.dat")):
        expected = [BLOCK_GENERATED, BLOCK_AT_REST] if case["input"]["I_INFIL"] == 1 else [BLOCK_GENERATED]
        assert kinds[:len(expected)] == expected
    # Within a snapshot the nodes run seaward to landward from x = 0.
    for s in range(wave.sizes["snapshot"]):
        n = int(wave["n_shore"].values[s])
        assert np.all(np.isnan(wave["depth"].values[s, n:]))


def test_aquifer_boundary_parts_follow_the_polygon(stored):
    _, case = stored
    aq, x_land = case["aquifer"], case["input"]["X_LAND"]
    for b in range(aq.sizes["block"]):
        n, n_face, n_free = (int(aq[v].values[b]) for v in ("n_bnd", "n_face", "n_free"))
        if n == 0:
            continue
        x, z, part = aq["x_bnd"].values[b, :n], aq["z_bnd"].values[b, :n], aq["part"].values[b, :n]
        assert x[0] == 0.0 and x[n_face - 1] == aq["x_face"].values[b]
        assert np.all(part[:n_face] == PART_FACE) and np.all(np.diff(x[:n_face + n_free]) > 0)
        assert np.all(part[n_face:n_face + n_free] == PART_WATER_TABLE)
        landward = part == PART_LANDWARD
        assert np.all(np.isclose(x[landward], x_land, atol=5e-7))
        bottom = part == PART_BOTTOM
        assert np.all(z[bottom] == 0.0) and np.all(np.diff(x[bottom]) < 0)


def copy_case(source, tmp_path):
    case = tmp_path / "case"
    case.mkdir()
    for name in os.listdir(os.path.dirname(source)):
        path = os.path.join(os.path.dirname(source), name)
        if os.path.isfile(path):
            shutil.copy(path, case)
    for name in os.listdir(source):
        shutil.copy(os.path.join(source, name), case)
    return case


def stored_case(name):
    return next(c for c in CASES if os.path.basename(os.path.dirname(c)) == name)


def test_asterisk_fields_are_nan_with_a_warning(tmp_path):
    case = copy_case(stored_case("coupled_beach"), tmp_path)
    lines = (case / "outb.dat").read_text().splitlines()
    lines[0] = "*" * 13 + lines[0][13:]
    lines[5] = lines[5][:39] + "*" * 13
    (case / "outb.dat").write_text("\n".join(lines) + "\n")
    with pytest.warns(TidmorFieldWarning, match="2 field.*the first on line 1$"):
        read = read_case(str(case))
    assert math.isnan(read["profile"]["time"].values[0]) and math.isnan(read["profile"]["z_bed"].values[0, 5])
    assert read["profile"]["z_bed"].values[0, 4] == float(lines[4][39:])


def test_empty_blocks_are_kept(tmp_path):
    case = copy_case(stored_case("swash_three_periods"), tmp_path)
    lines = (case / "outw.dat").read_text().splitlines()
    first = int(read_case(str(case))["wave"]["n_shore"].values[0])
    lines.insert(first, "")   # a snapshot with no wet node between the first two
    (case / "outw.dat").write_text("\n".join(lines) + "\n")
    with open(case / "outg.dat", "a") as handle:
        handle.write("\n")
    read = read_case(str(case))
    assert list(read["wave"]["n_shore"].values[:3]) == [first, 0, read["wave"]["n_shore"].values[2]]
    assert math.isnan(read["wave"]["time"].values[1])


@pytest.mark.parametrize("damage, message", [
    (lambda lines: lines[:-1], "the last record has 99 lines, not N_GRID = 100"),
    (lambda lines: [lines[0] + " "] + lines[1:], "line 1: 53 characters where 52 were expected"),
])
def test_a_damaged_file_is_an_error_naming_file_and_line(tmp_path, damage, message):
    case = copy_case(stored_case("plane_beach"), tmp_path)
    lines = (case / "outb.dat").read_text().splitlines()
    (case / "outb.dat").write_text("\n".join(damage(lines)) + "\n")
    with pytest.raises(ResultFileError, match=message):
        read_case(str(case))


def test_a_folder_without_results_is_an_error(tmp_path):
    for name in ("SIM.FILE", "beach.dat"):
        shutil.copy(os.path.join(os.path.dirname(stored_case("plane_beach")), name), tmp_path)
    with pytest.raises(ResultFileError, match="holds no result file"):
        read_case(str(tmp_path))
