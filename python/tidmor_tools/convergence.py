"""Convergence of a quantity over a sequence of refinements: differences, observed order, Richardson estimate.

Levels k = 1..L have the refined length h_k = h_1 / r^(k-1). For a scalar the difference between levels k and
k+1 is |f_(k+1) - f_k|; for a field (a value per node, on one set of x) it is the largest difference over the
nodes. From the last three levels the observed order is p = ln(d_(L-2) / d_(L-1)) / ln r, and the Richardson
estimate of the error left in the finest level is d_(L-1) / (r^p - 1). The verdict compares that estimate with
the size of the quantity at the finest level (|f|, or the largest |f| of a field).
"""
from __future__ import annotations

import math
from dataclasses import dataclass

import numpy as np


@dataclass
class Convergence:
    differences: list          # between successive levels
    order: float               # observed order (NaN when it cannot be formed)
    remaining: float           # Richardson estimate of the error left in the finest level (NaN when unknown)
    scale: float               # size of the quantity at the finest level
    verdict: str

    @property
    def relative(self):
        return self.remaining / self.scale if self.scale > 0 and math.isfinite(self.remaining) else math.nan


def difference(a, b) -> float:
    gap = np.abs(np.asarray(b, dtype=np.float64) - np.asarray(a, dtype=np.float64))
    return float(np.nanmax(gap)) if np.any(np.isfinite(gap)) else math.nan


def size(value) -> float:
    value = np.asarray(value, dtype=np.float64)
    return float(np.nanmax(np.abs(value))) if value.size and np.any(np.isfinite(value)) else math.nan


def assess(values, ratio: float, finest: str, tolerance: float = 0.05) -> Convergence:
    """The convergence of `values` (one scalar or field per level, coarse to fine); `finest` names the finest
    level in the verdict (e.g. "L_ELEM = 0.125 m")."""
    differences = [difference(a, b) for a, b in zip(values[:-1], values[1:])]
    scale = size(values[-1])
    order = remaining = math.nan
    if len(differences) >= 2 and differences[-2] > 0 and differences[-1] > 0:
        order = math.log(differences[-2] / differences[-1]) / math.log(ratio)
        if order > 0:
            remaining = differences[-1] / (ratio ** order - 1.0)
    elif differences and differences[-1] == 0:
        remaining = 0.0
    if any(math.isnan(d) for d in differences) or not differences or math.isnan(scale):
        verdict = "undetermined: the quantity is missing at some level"
    elif remaining == 0.0:
        verdict = f"converged: the two finest levels agree at {finest}"
    elif scale == 0.0:
        verdict = "undetermined: the quantity is zero at the finest level"
    elif len(differences) < 2:
        verdict = (f"{differences[-1] / scale:.1%} between the two finest levels at {finest} "
                   "(no order from two levels)")
    elif not order > 0:
        verdict = f"not converging: the differences do not shrink toward {finest}"
    elif remaining / scale <= tolerance:
        verdict = f"within {tolerance:.0%} at {finest} (about {remaining / scale:.1%} left)"
    else:
        verdict = f"not converged: about {remaining / scale:.0%} left at {finest}"
    return Convergence(differences, order, remaining, scale, verdict)
