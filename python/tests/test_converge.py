"""Convergence: the order and Richardson estimate on sequences with a known order, the levels within the model's
limits, and a real (short) study of the drained beach through the sweep runner."""
import csv
import math
import os
import subprocess
import sys

import numpy as np
import pytest

from conftest import REPOSITORY
from tidmor_tools.converge import converge_case, level_changes
from tidmor_tools.convergence import assess
from tidmor_tools.input_data import read_case_input
from tidmor_tools.sweep_file import SweepError

DRAINED = os.path.join(REPOSITORY, "examples", "drained_beach")
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")


def test_a_second_order_sequence_gives_order_two_and_the_remaining_error():
    # f(h) = 1 + h**2 at h = 0.5, 0.25, 0.125: differences 0.1875, 0.046875, error left 0.015625 = d / (4 - 1).
    c = assess([1 + 0.5 ** 2, 1 + 0.25 ** 2, 1 + 0.125 ** 2], 2.0, "h = 0.125")
    assert c.differences == [0.1875, 0.046875] and c.order == 2.0
    assert c.remaining == pytest.approx(0.015625, rel=1e-15) and c.verdict.startswith("within 5% at h = 0.125")
    first = assess([np.array([0.0, 1.5]), np.array([0.0, 1.25]), np.array([0.0, 1.125])], 2.0, "h")
    assert first.order == 1.0 and first.remaining == 0.125 and first.scale == 1.125
    assert first.verdict == "not converged: about 11% left at h"


@pytest.mark.parametrize("values, verdict", [
    ([1.0, 2.0, 4.0], "not converging: the differences do not shrink toward h"),
    ([1.0, 3.0, 3.0], "converged: the two finest levels agree at h"),
    ([1.0, 1.1], "9.1% between the two finest levels at h (no order from two levels)"),
    ([1.0, math.nan, 1.0], "undetermined: the quantity is missing at some level"),
])
def test_verdicts(values, verdict):
    assert assess(values, 2.0, "h").verdict == verdict


def test_levels_stay_within_the_models_limits():
    base = dict(read_case_input(DRAINED).values)
    assert [c["L_ELEM"] for c in level_changes(base)] == [0.5, 0.25, 0.125]
    with pytest.raises(SweepError, match="level 4 would have L_ELEM = 0.0625 m, and the model needs more than "
                                         "0.1 m; give fewer levels \\(--levels 3\\)"):
        level_changes(base, levels=4)
    with pytest.raises(SweepError, match="level 5 would have N_GRID = 1600 nodes, more than the model's 1000"):
        level_changes(dict(base, L_ELEM=2.0), refine=("L_ELEM", "DX_ND"), levels=5)


@pytest.fixture(scope="module")
def study(tmp_path_factory, tidmor):
    # Ten wave periods give one profile record; the well's effect on the bed against the same beach without it.
    folder = tmp_path_factory.mktemp("converge") / "drained"
    return converge_case(DRAINED, tidmor, str(folder), changes={"T_MAX": 84.0}, compare={"Q_WELL": 0.0}, jobs=2,
                         log=lambda *_: None)


def test_a_short_study_of_the_drained_beach_runs_every_level_through_the_runner(study):
    folder = study.folder
    assert [level["L_ELEM"] for level in study.levels] == [0.5, 0.25, 0.125]
    for k in range(1, 7):
        case = os.path.join(folder, f"case_{k:03d}")
        assert open(os.path.join(case, "status")).read() == "0\n" and os.path.exists(os.path.join(case, "run.json"))
    # Levels 4-6 repeat levels 1-3 without the well.
    assert read_case_input(os.path.join(folder, "case_006")).values["Q_WELL"] == 0.0
    assert read_case_input(os.path.join(folder, "case_003")).values["L_ELEM"] == 0.125
    assert set(study.assessed) == {"bed_change", "effect_on_bed", "shoreline_change", "volume_change",
                                   "mean_face_flow", "water_table_at_rest", "run_up", "run_down"}
    bed = study.assessed["bed_change"]
    # The differences are those of the fields read back from the levels' result files.
    assert bed.differences[0] == np.max(np.abs(study.values["bed_change"][1] - study.values["bed_change"][0]))
    assert all(t > 0 for t in study.wall_times)


def test_the_study_writes_its_table_and_figure(study):
    with open(study.csv_path, newline="") as handle:
        rows = list(csv.reader(handle))
    assert rows[0][:5] == ["refined", "", "L_ELEM = 0.5 m", "L_ELEM = 0.25 m", "L_ELEM = 0.125 m"]
    assert rows[1] == ["quantity", "units", "level_1", "level_2", "level_3", "difference_1_2", "difference_2_3",
                       "observed_order", "richardson_remaining", "relative_remaining", "verdict"]
    by_name = {row[0]: row for row in rows[2:]}
    c = study.assessed["effect_on_bed"]
    assert by_name["effect_on_bed"][10] == c.verdict and float(by_name["effect_on_bed"][7]) == c.order
    assert by_name["wall_time"][1] == "s"
    with open(study.figure_path, "rb") as handle:
        assert handle.read(8) == b"\x89PNG\r\n\x1a\n"


def test_the_command_reuses_the_levels_already_run(study, tidmor):
    result = subprocess.run([sys.executable, COMMAND, "converge", DRAINED, "-o", study.folder, "--set", "T_MAX=84",
                             "--compare", "Q_WELL=0", "--tidmor", tidmor], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert "6 cases, 6 already done, 0 to run" in result.stdout
    assert "effect_on_bed (m): " in result.stdout and study.assessed["effect_on_bed"].verdict in result.stdout
    bad = subprocess.run([sys.executable, COMMAND, "converge", DRAINED, "--set", "T_MAX", "--tidmor", tidmor],
                         capture_output=True, text=True)
    assert bad.returncode == 2 and "--set 'T_MAX': write NAME=VALUE" in bad.stderr
