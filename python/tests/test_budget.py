"""Face flow and water budget: the integration rules on hand-computed cases, and closure on stored results."""
import csv
import os
import subprocess
import sys

import numpy as np
import pytest
import xarray as xr

from conftest import REPOSITORY, stored_cases
from tidmor_tools.budget import face_flow, water_budget
from tidmor_tools.input_data import read_groups
from tidmor_tools.readers import BLOCK_SNAPSHOT, read_case

CASES = {os.path.basename(os.path.dirname(c)): c for c in stored_cases()}
COMMAND = os.path.join(REPOSITORY, "tools", "tidmor-tools")
INPUT = "0.5 8.0\n0.1 0.5 1.0 1.2 2.0\n1.0 1.0 0.5\n40.0 50\n1 1\n0.01 0.6 0.5 0.63\n0.0141 0.01 0.5\n0.5\n"


def test_face_flow_is_the_trapezoidal_integral_over_the_wet_nodes():
    wave = xr.Dataset({"infiltration": (("snapshot", "node"), [[-1.0, 0.0, 2.0, 9.0]]),
                       "n_shore": ("snapshot", [3])},
                      coords={"snapshot": [1], "time": ("snapshot", [5.0]), "x": ("node", [0.0, 1.0, 2.0, 3.0])})
    flow = face_flow({"wave": wave})
    # Node 4 is dry: its 9 m/s does not count.
    assert (flow["face_outflow"].item(), flow["face_inflow"].item(), flow["face_net"].item()) == (1.0, -0.5, 0.5)


def test_budget_of_a_hand_made_boundary_closes():
    # Six nodes on a 2 m x 1 m rectangle, every element 1 m long: each node carries 1 m of boundary.
    x = [0.0, 0.0, 1.0, 2.0, 2.0, 1.0]
    z = [0.0, 1.0, 1.0, 1.0, 0.0, 0.0]
    aquifer = xr.Dataset({
        "block_kind": ("block", np.array([BLOCK_SNAPSHOT], dtype=np.int8)), "n_bnd": ("block", [6]),
        "x_bnd": (("block", "bnd_node"), [x]), "z_bnd": (("block", "bnd_node"), [z]),
        "dhead_dn": (("block", "bnd_node"), [[-2.0, 2.0, 0.0, 1.0, 1.0, 0.0]]),
        "part": (("block", "bnd_node"), np.array([[1, 1, 2, 3, 3, 4]], dtype=np.int8))},
        coords={"block": [1], "time": ("block", [8.0])})
    budget = water_budget({"aquifer": aquifer, "input": read_groups(INPUT)})
    # K_HYD = 0.5: outward flows 1, -1, 0, -0.5, -0.5, 0 m2/s; the well takes 1 m2/s.
    terms = [budget[v].item() for v in ("face_outflow", "face_inflow", "water_table", "landward_side", "bottom",
                                        "well", "closure_error")]
    assert terms == [1.0, -1.0, 0.0, -1.0, 0.0, 1.0, 0.0]


def test_the_coupled_beach_conserves_water_in_every_snapshot():
    budget = water_budget(read_case(CASES["coupled_beach"]))
    assert budget.sizes["block"] == 25 and np.all(np.abs(budget["closure_relative"].values) < 2e-3)
    assert np.all(budget["bottom"].values == 0.0) and np.all(budget["well"].values == 0.0)


def test_the_budget_command_writes_a_row_per_snapshot(tmp_path):
    out = tmp_path / "b.csv"
    result = subprocess.run([sys.executable, COMMAND, "budget", CASES["drained_beach"], "-o", str(out)],
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    with open(out, newline="") as handle:
        rows = list(csv.DictReader(handle))
    case = read_case(CASES["drained_beach"])
    assert [r["row"] for r in rows] == ["at rest"] + [f"snapshot {k}" for k in range(1, 26)]
    assert all(float(r["well"]) == 0.0016 for r in rows)
    net = face_flow(case)["face_net"].values
    assert [float(r["grid_face_net"]) for r in rows[1:]] == pytest.approx(list(net), abs=0)
    for r in rows:
        terms = sum(float(r[v]) for v in ("face_outflow", "face_inflow", "water_table", "landward_side", "bottom",
                                          "well"))
        assert float(r["closure_error"]) == pytest.approx(terms, rel=1e-12, abs=1e-15)


def test_a_case_without_aquifer_has_face_flows_of_zero(tmp_path):
    out = tmp_path / "p.csv"
    subprocess.run([sys.executable, COMMAND, "budget", CASES["plane_beach"], "-o", str(out)], check=True,
                   capture_output=True)
    with open(out, newline="") as handle:
        rows = list(csv.DictReader(handle))
    assert rows and all(float(r["grid_face_net"]) == 0.0 and r["closure_error"] == "" for r in rows)
