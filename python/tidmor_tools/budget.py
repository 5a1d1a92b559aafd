"""The flow through the beach face over the snapshots, and the water budget of the aquifer per snapshot.

Integration rules (all flows per metre of beach, m2/s, positive out of the beach or out of the aquifer):

- Face flow from "outw.dat": the velocity through the face (positive out of the beach) at the wet nodes
  1..N_SHORE of the snapshot, integrated over x by the trapezoidal rule between neighbouring wet nodes;
  outflow integrates the positive part, inflow the negative part, net the velocity itself. A snapshot with
  fewer than two wet nodes gives 0.
- Water budget from "outg.dat": the outward Darcy velocity at each boundary node, -K_HYD times the written
  normal derivative of the head, times half the length of each of the node's two boundary elements (the
  trapezoidal rule around the closed polygon, each node's share going to its own part): the beach face
  (outflow and inflow apart), the water table, the landward side and the bottom. The well takes Q_WELL out.
  Water is conserved when these sum to zero: the closure error is their sum, and the relative closure error
  that sum over the sum of the terms' magnitudes.
"""
from __future__ import annotations

import csv

import numpy as np
import xarray as xr

from .readers import BLOCK_AT_REST, BLOCK_SNAPSHOT, PART_BOTTOM, PART_FACE, PART_LANDWARD, PART_WATER_TABLE

FLOW_UNITS = "m2 s-1"


def _trapezoid(values, x):
    return float(np.sum(0.5 * (values[1:] + values[:-1]) * np.diff(x))) if len(x) > 1 else 0.0


def face_flow(case) -> xr.Dataset:
    """The flow through the beach face of every wave snapshot: outflow, inflow and net (m2/s)."""
    wave = case["wave"]
    x = wave["x"].values
    out, inflow, net = [], [], []
    for s in range(wave.sizes["snapshot"]):
        n = int(wave["n_shore"].values[s])
        v = wave["infiltration"].values[s, :n]
        out.append(_trapezoid(np.maximum(v, 0.0), x[:n]))
        inflow.append(_trapezoid(np.minimum(v, 0.0), x[:n]))
        net.append(_trapezoid(v, x[:n]))

    def series(values, meaning):
        return ("snapshot", np.array(values, dtype=np.float64), {"long_name": meaning, "units": FLOW_UNITS})

    return xr.Dataset(
        {"face_outflow": series(out, "flow out of the beach through the wet face"),
         "face_inflow": series(inflow, "flow into the beach through the wet face (negative)"),
         "face_net": series(net, "net flow out of the beach through the wet face")},
        coords={"snapshot": wave["snapshot"], "time": wave["time"]})


def node_weights(x, z):
    """Half the length of each of a node's two elements around the closed polygon (m)."""
    length = np.hypot(np.diff(np.append(x, x[0])), np.diff(np.append(z, z[0])))
    return 0.5 * (length + np.roll(length, 1))


def water_budget(case) -> xr.Dataset:
    """The water budget of the aquifer in the boundary at rest and in every snapshot (m2/s, + out)."""
    aq, data = case["aquifer"], case["input"]
    blocks = [b for b in range(aq.sizes["block"])
              if aq["block_kind"].values[b] in (BLOCK_AT_REST, BLOCK_SNAPSHOT) and aq["n_bnd"].values[b] > 0]
    names = ("face_outflow", "face_inflow", "water_table", "landward_side", "bottom")
    terms = {name: [] for name in names}
    for b in blocks:
        n = int(aq["n_bnd"].values[b])
        x, z = aq["x_bnd"].values[b, :n], aq["z_bnd"].values[b, :n]
        flow = -data["K_HYD"] * aq["dhead_dn"].values[b, :n] * node_weights(x, z)
        part = aq["part"].values[b, :n]
        face = flow[part == PART_FACE]
        terms["face_outflow"].append(float(np.sum(face[face > 0])))
        terms["face_inflow"].append(float(np.sum(face[face < 0])))
        terms["water_table"].append(float(np.sum(flow[part == PART_WATER_TABLE])))
        terms["landward_side"].append(float(np.sum(flow[part == PART_LANDWARD])))
        terms["bottom"].append(float(np.sum(flow[part == PART_BOTTOM])))
    well = np.full(len(blocks), data["Q_WELL"] if data["Q_WELL"] > 0 else 0.0)
    table = np.array([terms[name] for name in names] + [well]).reshape(len(names) + 1, len(blocks))
    closure = table.sum(axis=0)
    scale = np.abs(table).sum(axis=0)
    relative = np.divide(closure, scale, out=np.zeros_like(closure), where=scale > 0)
    meanings = {"face_outflow": "flow out of the aquifer through the beach face",
                "face_inflow": "flow into the aquifer through the beach face (negative)",
                "water_table": "flow out through the water table",
                "landward_side": "flow out through the landward side",
                "bottom": "flow out through the bottom",
                "well": "discharge of the well"}
    variables = {name: ("block", table[k], {"long_name": meanings[name], "units": FLOW_UNITS})
                 for k, name in enumerate((*names, "well"))}
    variables["closure_error"] = ("block", closure, {"long_name": "sum of all terms (0 when water is conserved)",
                                                     "units": FLOW_UNITS})
    variables["closure_relative"] = ("block", relative, {
        "long_name": "closure error over the sum of the magnitudes of the terms", "units": "1"})
    return xr.Dataset(variables, coords={
        "block": ("block", aq["block"].values[blocks]), "time": ("block", aq["time"].values[blocks]),
        "block_kind": ("block", aq["block_kind"].values[blocks])})


def write_budget_csv(case, path: str) -> str:
    """One row for the boundary at rest and one per snapshot: the face flow of the wave grid and the aquifer's
    budget, every flow in m2/s per metre of beach."""
    flow, budget = face_flow(case), water_budget(case)
    snapshots = budget["block_kind"].values == BLOCK_SNAPSHOT
    columns = ["row", "time", "grid_face_outflow", "grid_face_inflow", "grid_face_net", "face_outflow",
               "face_inflow", "water_table", "landward_side", "bottom", "well", "closure_error", "closure_relative"]
    with open(path, "w", newline="", encoding="utf-8") as handle:
        writer = csv.writer(handle)
        writer.writerow(columns)
        k = 0
        for b in range(budget.sizes["block"]):
            if snapshots[b]:
                grid = [repr(float(flow[v].values[k])) if k < flow.sizes["snapshot"] else ""
                        for v in ("face_outflow", "face_inflow", "face_net")]
                label = f"snapshot {k + 1}"
                k += 1
            else:
                grid, label = ["", "", ""], "at rest"
            writer.writerow([label, repr(float(budget["time"].values[b])), *grid] + [
                repr(float(budget[v].values[b])) for v in columns[5:]])
        # Snapshots without an aquifer block (aquifer off) still have their face flow.
        for s in range(k, flow.sizes["snapshot"]):
            writer.writerow([f"snapshot {s + 1}", repr(float(flow["time"].values[s]))] + [
                repr(float(flow[v].values[s])) for v in ("face_outflow", "face_inflow", "face_net")]
                + [""] * 8)
    return path
