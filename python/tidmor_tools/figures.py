"""Figures of a case: each plot_* function returns a matplotlib figure (shown inline in a notebook), and
`plot_case` writes the four as PNG files. The backend is the caller's: the command line picks one without a
display, a notebook keeps its own."""
from __future__ import annotations

import functools
import os

import matplotlib.pyplot as plt
import numpy as np
from matplotlib.collections import LineCollection

from .readers import BLOCK_SNAPSHOT, PART_FACE, case_name, read_case

# The look of the figures, set for their drawing only: a caller's own settings are left as they are.
STYLE = {"font.size": 11, "axes.grid": True, "grid.alpha": 0.3}


def _styled(draw):
    @functools.wraps(draw)
    def styled(*args, **kwargs):
        with plt.rc_context(STYLE):
            return draw(*args, **kwargs)
    return styled


def _save(fig, path):
    fig.savefig(path, dpi=110)
    plt.close(fig)


def _empty(ax, text):
    ax.text(0.5, 0.5, text, ha="center", va="center", transform=ax.transAxes)
    ax.grid(False)


@_styled
def plot_profiles(case):
    """Profile records over the initial plane beach, and the bed change of each record."""
    prof, data = case["profile"], case["input"]
    fig, (top, bottom) = plt.subplots(2, 1, figsize=(9, 7), sharex=True, layout="constrained")
    x = prof["x"].values
    top.plot(x, prof["z_bed_initial"].values, "k--", label="initial plane beach")
    top.axhline(data["D_SEA"], color="tab:blue", lw=0.8, label="still-water level")
    colours = plt.cm.viridis(np.linspace(0, 1, max(prof.sizes["record"], 1)))
    for r in range(prof.sizes["record"]):
        label = f"t = {prof['time'].values[r]:.0f} s"
        top.plot(x, prof["z_bed"].values[r], color=colours[r], label=label)
        bottom.plot(x, prof["z_bed"].values[r] - prof["z_bed_initial"].values, color=colours[r], label=label)
    if prof.sizes["record"] == 0:
        _empty(bottom, "no profile record (fewer than ten wave periods, or profile update off)")
    top.set_ylabel("bed elevation z (m)")
    top.set_title("Beach profile evolution")
    top.legend(fontsize=9, loc="upper left")
    bottom.axhline(0, color="k", lw=0.8)
    bottom.set_xlabel("cross-shore distance x (m), landward")
    bottom.set_ylabel("bed change (m), + accretion")
    return fig


@_styled
def plot_swash(case):
    """Water surface over the bed in the snapshots of the last wave period, and the shoreline envelope."""
    wave, data = case["wave"], case["input"]
    fig, (top, bottom) = plt.subplots(2, 1, figsize=(9, 7.5), layout="constrained")
    x = wave["x"].values
    bed_x = case["profile"]["x"].values
    if case["profile"].sizes["record"]:
        bed = case["profile"]["z_bed"].values[-1]
        bed_label = f"bed at t = {case['profile']['time'].values[-1]:.0f} s"
    else:
        bed = case["profile"]["z_bed_initial"].values
        bed_label = "bed (initial plane beach)"
    times = wave["time"].values
    if wave.sizes["snapshot"] and np.any(np.isfinite(times)):
        last = times >= np.nanmax(times) - data["T_WAVE"]
        bed_on_x = np.interp(x, bed_x, bed) if bed_x.size else data["TAN_BETA"] * x
        colours = plt.cm.plasma(np.linspace(0, 0.9, int(last.sum())))
        if bed.size:
            top.fill_between(bed_x, bed, bed.min(), color="tan", alpha=0.8, label=bed_label)
        top.axhline(data["D_SEA"], color="tab:blue", lw=0.8, ls=":", label="still-water level")
        for colour, s in zip(colours, np.flatnonzero(last)):
            top.plot(x, bed_on_x + wave["depth"].values[s], color=colour, lw=1,
                     label=f"water surface, t = {times[s]:.1f} s")
        n_max = int(np.nanmax(wave["n_shore"].values))
        top.set_xlim(0, x[min(n_max, x.size - 1)] * 1.3 if x.size else 1)
        top.legend(fontsize=8, loc="upper left", ncol=2)
        shore = np.array([x[n - 1] if n > 0 else np.nan for n in wave["n_shore"].values])
        bottom.plot(times, shore, "o-", ms=2, color="tab:blue", label="shoreline position")
        bottom.axhline(np.nanmax(shore), color="tab:red", ls="--", label="envelope: highest")
        bottom.axhline(np.nanmin(shore), color="tab:green", ls="--", label="envelope: lowest")
        bottom.legend(fontsize=9)
    else:
        _empty(top, "no wave snapshot")
        _empty(bottom, "no wave snapshot")
    top.set_title("Swash: water surface over the bed in the last wave period")
    top.set_xlabel("cross-shore distance x (m), landward")
    top.set_ylabel("elevation z (m)")
    bottom.set_xlabel("time t (s)")
    bottom.set_ylabel("shoreline x (m)")
    return fig


@_styled
def plot_runup(case):
    """Run-up and run-down limits of each profile record."""
    swash = case["swash"]
    fig, ax = plt.subplots(figsize=(8, 4.5), layout="constrained")
    if swash.sizes["record"]:
        ax.plot(swash["time"].values, swash["x_up"].values, "o-", label="run-up limit")
        ax.plot(swash["time"].values, swash["x_down"].values, "s-", label="run-down limit")
        # The model writes the last grid node as the run-down limit when no node of the period qualifies.
        x_end = case["profile"]["x"].values[-1] if case["profile"].sizes["node"] else np.nan
        if np.any(np.abs(swash["x_down"].values - x_end) < 5e-7):
            ax.axhline(x_end, color="grey", ls=":", label="last grid node (run-down limit not found)")
        ax.legend()
    else:
        _empty(ax, "no swash record (fewer than ten wave periods, or profile update off)")
    ax.set_title("Run-up and run-down per record")
    ax.set_xlabel("time t (s)")
    ax.set_ylabel("cross-shore position x (m)")
    return fig


def _last_snapshot_block(aq):
    """The aquifer block drawn: the last snapshot, else the last block with nodes; None without any."""
    filled = [b for b in range(aq.sizes["block"]) if aq["n_bnd"].values[b] > 0]
    snaps = [b for b in filled if aq["block_kind"].values[b] == BLOCK_SNAPSHOT]
    return snaps[-1] if snaps else (filled[-1] if filled else None)


@_styled
def plot_aquifer(case):
    """The aquifer boundary of the last snapshot coloured by head, the well, and the flow through the beach face
    at the same time step, over one shared x axis."""
    aq, wave, data = case["aquifer"], case["wave"], case["input"]
    # The colour bar takes its width from both panels, so that their x axes stay aligned.
    fig, (top, bottom) = plt.subplots(2, 1, figsize=(9, 7.5), sharex=True, layout="constrained")
    b = _last_snapshot_block(aq)
    snapshot = None
    if b is not None:
        n = int(aq["n_bnd"].values[b])
        x, z, head = (aq[v].values[b, :n] for v in ("x_bnd", "z_bnd", "head"))
        points = np.column_stack([np.append(x, x[0]), np.append(z, z[0])]).reshape(-1, 1, 2)
        segments = np.concatenate([points[:-1], points[1:]], axis=1)
        lines = LineCollection(segments, cmap="viridis", linewidths=3)
        lines.set_array(np.append(0.5 * (head[:-1] + head[1:]), 0.5 * (head[-1] + head[0])))
        top.add_collection(lines)
        fig.colorbar(lines, ax=[top, bottom], label="piezometric head (m)", shrink=0.6, anchor=(0.0, 1.0))
        face = aq["part"].values[b, :n] == PART_FACE
        top.plot(x[face], z[face], "k.", ms=4, label="beach-face nodes")
        top.axhline(data["D_SEA"], color="tab:blue", lw=0.8, ls=":", label="still-water level")
        if data["Q_WELL"] > 0:
            top.plot([data["X_WELL"]], [data["Z_WELL"]], "rv", ms=9,
                     label=f"well, {data['Q_WELL']:g} m²/s per metre of beach", gid="well")
        top.set_xlim(min(0.0, float(np.min(x))), max(float(np.max(x)), data["X_LAND"]))
        top.set_ylim(0.0, max(float(np.max(z)), data["H_LAND"], data["D_SEA"]) * 1.15)
        top.legend(fontsize=9, loc="upper left")
        time = aq["time"].values[b]
        kind = aq["block_kind"].values[b]
        if kind == BLOCK_SNAPSHOT:
            snapshot = int(np.sum(aq["block_kind"].values[:b + 1] == BLOCK_SNAPSHOT))
            when = f"t = {time:.2f} s (snapshot {snapshot} of {wave.sizes['snapshot']})"
        else:
            when = "at rest after the start-up" if kind == 2 else "as generated"
        fig.suptitle(f"Aquifer {when}")
        top.set_title("Boundary coloured by head")
    else:
        _empty(top, "no aquifer boundary (aquifer model off)")
        fig.suptitle("Aquifer")
    top.set_ylabel("elevation z (m)")
    if snapshot is not None and wave.sizes["snapshot"] >= snapshot:
        s = snapshot - 1
        n = int(wave["n_shore"].values[s])
        bottom.plot(wave["x"].values[:n], wave["infiltration"].values[s, :n] * 1e3, color="tab:blue",
                    label="flow through the beach face")
        bottom.axhline(0, color="k", lw=0.8)
        bottom.set_title(f"Flow through the beach face at t = {wave['time'].values[s]:.2f} s")
    else:
        _empty(bottom, "no flow through the beach face")
    bottom.set_xlabel("cross-shore distance x (m), landward")
    bottom.set_ylabel("face flux (mm/s), + out of beach")
    return fig


FIGURES = {
    "profiles.png": plot_profiles,
    "swash.png": plot_swash,
    "runup.png": plot_runup,
    "aquifer.png": plot_aquifer,
}


def plot_case(case_dir: str, output_dir: str | None = None, force: bool = False) -> list[str]:
    """Writes the four figures of a case (default into NAME-figures in the working folder, NAME the case's
    name) and returns their paths."""
    case = read_case(case_dir, force=force)
    output_dir = output_dir or case_name(case_dir) + "-figures"
    os.makedirs(output_dir, exist_ok=True)
    paths = []
    for name, draw in FIGURES.items():
        path = os.path.join(output_dir, name)
        _save(draw(case), path)
        paths.append(path)
    return paths
