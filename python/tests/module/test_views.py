"""The model's arrays as NumPy views: read-only, seeing every later step, keeping the model alive."""
import gc
import weakref

import numpy as np
import pytest

from conftest import case_path


@pytest.fixture
def coupled(tidmor):
    simulation = tidmor.Simulation(case_path("coupled_beach"), write_results=False)
    simulation.initialize()
    simulation.update_until(10.0)
    return simulation


def test_views_are_read_only(coupled):
    for view in (coupled.bed, coupled.depth, coupled.head, coupled.value("Q_BND"), coupled.integer_value("KODE_BND")):
        assert not view.flags.writeable
        with pytest.raises(ValueError):
            view[0] = 1.0
    with pytest.raises(ValueError):
        coupled.bed.flags.writeable = True


def test_a_view_keeps_the_model_alive_after_the_simulation_is_dropped(tidmor):
    simulation = tidmor.Simulation(case_path("coupled_beach"), write_results=False)
    simulation.initialize()
    simulation.update_until(5.0)
    head, n_shore = simulation.head, simulation.integer_value("N_SHORE")
    kept, shore = head.copy(), int(n_shore[0])
    alive = weakref.ref(simulation)
    del simulation
    gc.collect()
    assert alive() is not None
    # Memory still the model's: the values are those of the moment, and whole.
    np.testing.assert_array_equal(head, kept)
    assert n_shore[0] == shore
    del head, n_shore
    gc.collect()
    assert alive() is None


def test_views_see_the_next_step_and_sizes_follow_the_model(coupled):
    depth = coupled.depth
    before = depth.copy()
    coupled.update()
    assert not np.array_equal(depth, before)
    np.testing.assert_array_equal(depth, coupled.value("H_DIM"))
    assert depth.size == coupled.grid_nodes
    assert coupled.boundary_x.size == coupled.boundary_nodes > 0
    assert coupled.value("WATER_TABLE").size == coupled.water_table_nodes
    assert coupled.value("X_UP").shape == (1,)


def test_views_hold_the_models_values(coupled):
    # Node positions DX * (j - 1) from the seaward end; the water table is the boundary's Z on its nodes.
    x = coupled.x
    assert x[0] == 0.0 and x[1] == coupled.grid_spacing
    n_face, n_free = coupled.face_nodes, coupled.water_table_nodes
    np.testing.assert_array_equal(coupled.value("WATER_TABLE"), coupled.boundary_z[n_face:n_face + n_free])
    np.testing.assert_array_equal(coupled.value("land_surface__elevation"), coupled.bed)
    assert coupled.integer_value("tidmor__shoreline_node")[0] == coupled.shoreline_node
    assert set(np.unique(coupled.integer_value("KODE_BND"))) <= {1, 2, 3, 4}


def test_copies_keep_a_moment(coupled):
    kept = np.array(coupled.depth)
    assert kept.flags.writeable and kept.base is None
    coupled.update()
    assert not np.array_equal(kept, coupled.depth)


def test_the_bed_is_set_through_set_bed_and_taken_by_the_next_step(tidmor):
    simulation = tidmor.Simulation(case_path("plane_beach"), write_results=False)
    simulation.initialize()
    raised = np.array(simulation.bed) + 0.01
    simulation.set_bed(raised)
    np.testing.assert_array_equal(simulation.bed, raised)
    simulation.set_value("land_surface__elevation", list(raised))
    simulation.update()
    with pytest.raises(ValueError, match="values given for the"):
        simulation.set_bed(raised[:-1])
    with pytest.raises(ValueError, match="not finite"):
        simulation.set_bed(np.full(simulation.grid_nodes, np.nan))
    with pytest.raises(ValueError, match="one-dimensional"):
        simulation.set_bed(np.zeros((2, simulation.grid_nodes)))
    with pytest.raises(TypeError):
        simulation.set_bed("high")
    # With the aquifer off the flow through the bed can be given; with it on it is the aquifer's.
    simulation.set_infiltration(np.zeros(simulation.grid_nodes))
    with pytest.raises(ValueError, match="cannot be set"):
        simulation.set_value("H_DIM", np.zeros(simulation.grid_nodes))


def test_the_flow_through_the_bed_cannot_be_set_with_the_aquifer_on(coupled):
    with pytest.raises(RuntimeError, match="aquifer model is on"):
        coupled.set_infiltration(np.zeros(coupled.grid_nodes))
