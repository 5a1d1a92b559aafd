"""What each figure must show: one aligned x axis in aquifer.png, the well, the snapshot's time, a key in
swash.png, units on every axis."""
import os
import re

import matplotlib.pyplot as plt
import numpy as np
import pytest

from conftest import stored_cases
from tidmor_tools.figures import FIGURES, plot_aquifer, plot_case, plot_swash
from tidmor_tools.readers import read_case

CASES = {os.path.basename(os.path.dirname(c)): c for c in stored_cases()}
UNIT = re.compile(r"\((m|s|mm/s|m/s)\)")


@pytest.fixture(scope="module")
def drained():
    return read_case(CASES["drained_beach"])


@pytest.mark.parametrize("name", ["coupled_beach", "plane_beach", "rejected_mesh"])
def test_figures_exist_and_are_png_images(tmp_path, name):
    paths = plot_case(CASES[name], str(tmp_path))
    assert [os.path.basename(p) for p in paths] == ["profiles.png", "swash.png", "runup.png", "aquifer.png"]
    for path in paths:
        with open(path, "rb") as handle:
            assert handle.read(8) == b"\x89PNG\r\n\x1a\n"
        assert os.path.getsize(path) > 10000


def plotted_axes(fig):
    """The panels, without colour bars."""
    return [ax for ax in fig.axes if ax.get_label() != "<colorbar>"]


def test_every_axis_of_every_figure_has_its_unit(drained):
    for name, draw in FIGURES.items():
        fig = draw(drained)
        for ax in plotted_axes(fig):
            assert UNIT.search(ax.get_ylabel()), (name, ax.get_ylabel())
            if ax.get_xlabel():
                assert UNIT.search(ax.get_xlabel()), (name, ax.get_xlabel())
        plt.close(fig)


def test_aquifer_panels_share_one_aligned_x_axis_and_show_the_well(drained):
    fig = plot_aquifer(drained)
    fig.canvas.draw()
    top, bottom = plotted_axes(fig)
    assert top.get_xlim() == bottom.get_xlim() == (0.0, 25.0)
    # Aligned: the two panels span the same width of the figure, so x = 25 m lies at the same place in both.
    assert np.allclose([top.get_position().x0, top.get_position().x1],
                       [bottom.get_position().x0, bottom.get_position().x1])
    wells = [line for line in top.get_lines() if line.get_gid() == "well"]
    assert len(wells) == 1 and (wells[0].get_xdata()[0], wells[0].get_ydata()[0]) == (20.0, 0.55)
    aq = drained["aquifer"]
    last = float(aq["time"].values[-1])
    assert fig._suptitle.get_text() == f"Aquifer t = {last:.2f} s (snapshot 25 of 25)"
    assert f"t = {last:.2f} s" in bottom.get_title()
    plt.close(fig)


def test_a_beach_without_well_draws_none(tmp_path):
    fig = plot_aquifer(read_case(CASES["coupled_beach"]))
    assert not [line for ax in fig.axes for line in ax.get_lines() if line.get_gid() == "well"]
    plt.close(fig)


def test_swash_has_a_key_naming_the_time_of_every_surface(drained):
    fig = plot_swash(drained)
    top = plotted_axes(fig)[0]
    labels = [text.get_text() for text in top.get_legend().get_texts()]
    times = drained["wave"]["time"].values
    last = times[times >= times.max() - drained["input"]["T_WAVE"]]
    assert [label for label in labels if label.startswith("water surface")] == [
        f"water surface, t = {t:.1f} s" for t in last]
    assert "still-water level" in labels and any(label.startswith("bed at t = ") for label in labels)
    plt.close(fig)
