import math

import pytest

from tidmor_tools.input_data import GRAVITY, InputDataError, read_groups, write_input_file, read_input_file

PLAIN = """0.5  8.0    H_WAVE, T_WAVE
0.1  0.001  1.0  1.2  25.0
0.0  0.0  0.0
324.0  50
0  1
0.01  0.6  0.5  0.63
0.0141  0.01  0.5
0.5
"""


def test_gravity_is_the_single_precision_value():
    assert GRAVITY == 9.8100004196167


def test_remarks_repeat_counts_commas_and_empty_lines():
    text = """0.5, 8.0 remark in words
0.12, 0.001,
 0.9 1.2 25.0   group 2 over two lines
3*0

80.0 12.5
0 1
0.01 1.5 1.2 0.63
1.5D-2 0.01 0.5
0.3
lines after the eighth group are ignored
"""
    data = read_groups(text)
    assert data["H_WAVE"] == 0.5 and data["T_WAVE"] == 8.0
    assert (data["TAN_BETA"], data["D_SEA"], data["X_LAND"]) == (0.12, 0.9, 25.0)
    assert (data["Q_WELL"], data["X_WELL"], data["Z_WELL"]) == (0.0, 0.0, 0.0)
    assert data["N_OUT"] == 12.5
    assert data["DX_ND"] == 0.015
    assert data.lines["D_SEA"] == 3 and data.lines["N_OUT"] == 6


def test_slash_and_empty_values_leave_items_at_zero():
    text = PLAIN.replace("0.0  0.0  0.0", "1.0 /").replace("0.01  0.6  0.5  0.63", "0.01,,0.5, 0.63")
    data = read_groups(text)
    assert (data["Q_WELL"], data["X_WELL"]) == (1.0, 0.0)
    assert (data["F_FRIC"], data["EFF_ON"], data["EFF_OFF"]) == (0.01, 0.0, 0.5)


@pytest.mark.parametrize("text, message", [
    ("title line\n" + PLAIN, 'line 1: group 1: H_WAVE = "title"'),
    (PLAIN.replace("\n0  1", "\n0.0  1"), 'line 5: group 5: I_INFIL = "0.0" is not an integer'),
    ("\n".join(PLAIN.splitlines()[:7]), "ends before group 8"),
])
def test_unreadable_input_names_file_line_and_value(text, message):
    with pytest.raises(InputDataError, match=message.replace("(", r"\(")):
        read_groups(text, "case.dat")


def test_derived_grid_values():
    data = read_groups(PLAIN)
    assert data.dx == math.sqrt(0.5 * 9.8100004196167) * (8.0 * 0.0141)
    assert data.initial_shoreline_node == 40 and data.n_grid == 100
    unit = read_groups(PLAIN.replace("0.5  8.0", "1 1").replace("0.0141  0.01", "0.01  0.01"))
    assert unit.dx == 0.01 * math.sqrt(9.8100004196167)
    # NS = 5 gives a grid of 12 nodes; a quotient just below a whole number truncates.
    five = read_groups(PLAIN.replace("0.1  0.001  1.0", f"0.1  0.001  {5.5 * 0.1 * data.dx!r}"))
    assert five.initial_shoreline_node == 5 and five.n_grid == 12
    shallow = read_groups(PLAIN.replace("0.1  0.001  1.0", "0.1  0.001  0.01"))
    assert shallow.n_grid == 0 and list(shallow.node_x(0)) == []


def test_written_input_reads_back_the_same_values(tmp_path):
    data = read_groups(PLAIN)
    values = dict(data.values, K_HYD=1.0e-5, N_OUT=2.5, DAMP1=0.1 + 0.2)
    write_input_file(tmp_path / "case.dat", values, title="K_HYD = 1e-05")
    assert read_input_file(str(tmp_path / "case.dat")).values == values
