"""The BMI with the Python binding's names: every function there, values into the caller's arrays, views that see
the next step, grids whose sizes follow the shoreline."""
import gc
import weakref

import numpy as np
import pytest

from conftest import case_path, copy_case, expected, read_bytes, RESULT_NAMES

# Every function of BMI 2.0, as its Python binding names them.
BMI_FUNCTIONS = """initialize update update_until finalize get_component_name get_input_item_count
get_output_item_count get_input_var_names get_output_var_names get_var_grid get_var_type get_var_units
get_var_itemsize get_var_nbytes get_var_location get_current_time get_start_time get_end_time get_time_units
get_time_step get_value get_value_ptr get_value_at_indices set_value set_value_at_indices get_grid_rank
get_grid_size get_grid_type get_grid_shape get_grid_spacing get_grid_origin get_grid_x get_grid_y get_grid_z
get_grid_node_count get_grid_edge_count get_grid_face_count get_grid_edge_nodes get_grid_face_edges
get_grid_face_nodes get_grid_nodes_per_face""".split()

BED = "land_surface__elevation"


@pytest.fixture
def coupled(tidmor):
    bmi = tidmor.BmiTidmor(write_results=False)
    bmi.initialize(case_path("coupled_beach"))
    return bmi


def test_every_bmi_function_is_there(tidmor):
    missing = [name for name in BMI_FUNCTIONS if not callable(getattr(tidmor.BmiTidmor, name, None))]
    assert missing == []


def test_bmi_writes_the_programs_files_and_console(tidmor, tmp_path):
    folder = copy_case("aquifer_with_well", tmp_path)
    bmi = tidmor.BmiTidmor()
    bmi.initialize(f"{folder}/SIM.FILE")
    bmi.update()
    bmi.update_until(bmi.get_end_time())
    bmi.finalize()
    assert bmi.console.encode() == expected("aquifer_with_well", "console.txt")
    for name in RESULT_NAMES:
        assert read_bytes(tmp_path / name) == expected("aquifer_with_well", name), name


def test_information_and_time(tidmor, coupled):
    assert coupled.get_component_name() == "TIDMOR"
    assert coupled.get_input_var_names() == (BED,)
    assert coupled.get_input_item_count() == 1
    names = coupled.get_output_var_names()
    assert isinstance(names, tuple) and coupled.get_output_item_count() == len(names) == len(tidmor.variables())
    assert coupled.get_var_type(BED) == "float64" and coupled.get_var_type("tidmor__shoreline_node") == "int32"
    assert coupled.get_var_units("sea_water_flow__x_component_of_velocity") == "m s-1"
    assert coupled.get_var_itemsize("KODE_BND") == np.dtype(coupled.get_var_type("KODE_BND")).itemsize == 4
    assert coupled.get_var_nbytes(BED) == 8 * coupled.get_grid_size(0)
    assert coupled.get_var_location(BED) == "node" and coupled.get_var_grid("WATER_TABLE") == tidmor.WATER_TABLE_GRID
    assert (coupled.get_start_time(), coupled.get_current_time(), coupled.get_time_step()) == (0.0, 0.0, 0.0)
    assert coupled.get_end_time() == 244.0 and coupled.get_time_units() == "s"
    coupled.update()
    assert coupled.get_current_time() == coupled.get_time_step() > 0
    coupled.update_until(3.0)
    assert 3.0 <= coupled.get_current_time() < 3.0 + coupled.get_time_step()


def test_values_go_into_the_callers_arrays(coupled):
    n = coupled.get_grid_size(0)
    bed = np.empty(n)
    assert coupled.get_value(BED, bed) is bed
    np.testing.assert_array_equal(bed, coupled.get_value_ptr(BED))
    shore = np.empty(1, dtype=np.int32)
    coupled.get_value("tidmor__shoreline_node", shore)
    assert 1 <= shore[0] <= n
    picked = np.empty(3)
    coupled.get_value_at_indices(BED, picked, [0, 5, n - 1])
    np.testing.assert_array_equal(picked, bed[[0, 5, n - 1]])
    with pytest.raises(TypeError, match="float64"):
        coupled.get_value(BED, np.empty(n, dtype=np.float32))
    with pytest.raises(TypeError, match="int32"):
        coupled.get_value("KODE_BND", np.empty(coupled.get_grid_size(1)))
    with pytest.raises(ValueError, match="where 100 are needed"):
        coupled.get_value(BED, np.empty(n - 1))
    with pytest.raises(ValueError, match="read-only"):
        coupled.get_value(BED, coupled.get_value_ptr(BED))
    with pytest.raises(TypeError):
        coupled.get_value(BED, np.empty(2 * n)[::2])
    with pytest.raises(ValueError, match="is outside 0 .. 100 - 1"):
        coupled.get_value_at_indices(BED, picked, [0, 1, n])
    with pytest.raises(TypeError, match="whole numbers"):
        coupled.get_value_at_indices(BED, picked, [0.5, 1, 2])


def test_the_pointer_sees_the_next_step_and_keeps_the_model_alive(tidmor):
    bmi = tidmor.BmiTidmor(write_results=False)
    bmi.initialize(case_path("coupled_beach"))
    depth = bmi.get_value_ptr("sea_water__depth")
    assert not depth.flags.writeable
    before = depth.copy()
    bmi.update()
    assert not np.array_equal(depth, before)
    now = np.empty(depth.size)
    np.testing.assert_array_equal(bmi.get_value("sea_water__depth", now), depth)
    alive = weakref.ref(bmi)
    del bmi
    gc.collect()
    assert alive() is not None and np.array_equal(depth, now)
    del depth
    gc.collect()
    assert alive() is None


def test_setting_the_bed(coupled):
    n = coupled.get_grid_size(0)
    bed = coupled.get_value(BED, np.empty(n))
    coupled.set_value(BED, bed + 0.001)
    np.testing.assert_array_equal(coupled.get_value_ptr(BED), bed + 0.001)
    # Raised a little more at the two seaward nodes (a bed the aquifer's outline can still follow).
    raised = np.array([bed[0] + 0.002, bed[1] + 0.002])
    coupled.set_value_at_indices(BED, np.array([0, 1]), raised)
    assert list(coupled.get_value_ptr(BED)[:3]) == [raised[0], raised[1], bed[2] + 0.001]
    with pytest.raises(ValueError, match="values given for the 100 nodes"):
        coupled.set_value(BED, bed[:-1])
    with pytest.raises(ValueError, match="2 values for 3 indices"):
        coupled.set_value_at_indices(BED, [0, 1, 2], [1.0, 2.0])
    with pytest.raises(RuntimeError, match="aquifer model is on"):
        coupled.set_value("tidmor__bed_outflow_volume_flux", np.zeros(n))
    coupled.update()


def test_grids_and_their_sizes_as_the_shoreline_moves(coupled):
    n = coupled.get_grid_size(0)
    assert [coupled.get_grid_type(g) for g in range(4)] == ["uniform_rectilinear", "unstructured", "scalar",
                                                            "unstructured"]
    assert [coupled.get_grid_rank(g) for g in range(4)] == [1, 2, 0, 2]
    assert list(coupled.get_grid_shape(0, np.empty(1, dtype=np.int32))) == [n]
    assert coupled.get_grid_spacing(0, np.empty(1))[0] > 0 and coupled.get_grid_origin(0, np.empty(1))[0] == 0
    np.testing.assert_array_equal(coupled.get_grid_x(0, np.empty(n)), coupled.get_value_ptr("tidmor__node_x"))
    with pytest.raises(ValueError, match="has no shape"):
        coupled.get_grid_shape(1, np.empty(2, dtype=np.int32))
    with pytest.raises(ValueError, match="third coordinate"):
        coupled.get_grid_z(1, np.empty(coupled.get_grid_size(1)))
    with pytest.raises(ValueError, match="no grid 4"):
        coupled.get_grid_size(4)
    sizes = set()
    for _ in range(40):
        coupled.update_until(coupled.get_current_time() + 0.5)
        nodes = coupled.get_grid_size(1)
        sizes.add(nodes)
        x = coupled.get_grid_x(1, np.empty(nodes))
        z = coupled.get_grid_y(1, np.empty(nodes))
        np.testing.assert_array_equal(x, coupled.get_value_ptr("X_BND"))
        np.testing.assert_array_equal(z, coupled.get_value_ptr("Z_BND"))
        assert coupled.get_grid_node_count(1) == coupled.get_grid_edge_count(1) == nodes
        edges = coupled.get_grid_edge_nodes(1, np.empty(2 * nodes, dtype=np.int32))
        assert edges[-2:].tolist() == [nodes - 1, 0]
        assert coupled.get_grid_face_count(1) == 1
        assert coupled.get_grid_nodes_per_face(1, np.empty(1, dtype=np.int32))[0] == nodes
        assert coupled.get_grid_face_nodes(1, np.empty(nodes, dtype=np.int32)).tolist() == list(range(nodes))
        assert coupled.get_grid_face_edges(1, np.empty(nodes, dtype=np.int32)).tolist() == list(range(nodes))
        free = coupled.get_grid_size(3)
        assert coupled.get_grid_edge_count(3) == free - 1
        np.testing.assert_array_equal(coupled.get_grid_y(3, np.empty(free)), coupled.get_value_ptr("WATER_TABLE"))
    assert len(sizes) > 1, "the boundary kept one size; the test shows nothing"


def test_out_of_order_and_unknown(tidmor):
    bmi = tidmor.BmiTidmor(write_results=False)
    with pytest.raises(RuntimeError, match="Initialize has not been called"):
        bmi.get_current_time()
    with pytest.raises(ValueError, match="neither a case folder"):
        bmi.initialize(case_path("plane_beach") + "/beach.dat")
    bmi.initialize(case_path("plane_beach"))
    with pytest.raises(RuntimeError, match="called already"):
        bmi.initialize(case_path("plane_beach"))
    with pytest.raises(ValueError, match="no variable"):
        bmi.get_var_units("sea_water__temperature")
    # With the aquifer off, the flow through the bed is an input.
    assert "tidmor__bed_outflow_volume_flux" in bmi.get_input_var_names()
    bmi.set_value("tidmor__bed_outflow_volume_flux", np.zeros(bmi.get_grid_size(0)))
    bmi.update()
