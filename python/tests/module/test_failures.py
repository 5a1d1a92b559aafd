"""Failures of the model as exceptions: RunFailure with the program's status and message, the result files as the
program leaves them; mistakes of the caller as Python's own exceptions."""
import pickle

import numpy as np
import pytest

from conftest import case_path, copy_case, differences_from_expected, run_like_the_program

FAILING = ["rejected_mesh", "singular_aquifer_system", "wet_region_too_small"]


@pytest.mark.parametrize("name", FAILING)
def test_a_failing_case_raises_the_programs_status_and_message(tidmor, tmp_path, name):
    folder = copy_case(name, tmp_path)
    status, console, stderr = run_like_the_program(tidmor, folder)
    assert status in (1, 2)
    assert differences_from_expected(name, folder, status, console, stderr) == []


def test_a_rejected_input_raises_before_any_file_is_touched(tidmor, tmp_path):
    folder = copy_case("rejected_mesh", tmp_path)
    (tmp_path / "outw.dat").write_text("earlier results\n")
    with pytest.raises(tidmor.RunFailure) as raised:
        tidmor.Simulation(folder)
    failure = raised.value
    assert failure.status == 1 and isinstance(failure, RuntimeError)
    assert failure.message.startswith("rejected input: aquifer mesh") and str(failure) == failure.message
    assert failure.warnings == ()
    assert (tmp_path / "outw.dat").read_text() == "earlier results\n"
    # It survives pickling, as from a worker process.
    again = pickle.loads(pickle.dumps(failure))
    assert (type(again), again.status, again.message) == (tidmor.RunFailure, 1, failure.message)


def test_a_missing_case_and_bad_values_raise_run_failure(tidmor, tmp_path):
    with pytest.raises(tidmor.RunFailure, match="SIM.FILE") as raised:
        tidmor.Simulation(tmp_path)
    assert raised.value.status == 1
    values = tidmor.read_case_input(case_path("plane_beach"))
    values["H_WAVE"] = -1.0
    with pytest.raises(tidmor.RunFailure, match="H_WAVE") as raised:
        tidmor.Simulation(values, tmp_path)
    assert raised.value.status == 1 and 'file "input values"' in raised.value.message


def test_a_failure_during_the_run_stops_it_and_finalize_keeps_the_lines(tidmor, tmp_path):
    folder = copy_case("singular_aquifer_system", tmp_path)
    simulation = tidmor.Simulation(folder)
    with pytest.raises(tidmor.RunFailure) as raised:
        simulation.initialize()
    assert raised.value.status == 2
    with pytest.raises(RuntimeError, match="has stopped on a failure"):
        simulation.update()
    simulation.finalize()
    assert (tmp_path / "outg.dat").read_bytes().startswith(b" ")


def test_calls_out_of_order_and_unknown_names(tidmor):
    simulation = tidmor.Simulation(case_path("plane_beach"), write_results=False)
    with pytest.raises(RuntimeError, match="has not been initialized"):
        simulation.update()
    with pytest.raises(RuntimeError, match="has not been initialized"):
        simulation.update_until(1.0)
    simulation.initialize()
    with pytest.raises(RuntimeError, match="already initialized"):
        simulation.initialize()
    with pytest.raises(ValueError, match="no variable"):
        simulation.value("Z_BEDROCK")
    with pytest.raises(ValueError, match="holds integers"):
        simulation.value("N_SHORE")
    with pytest.raises(ValueError, match="threads"):
        tidmor.Simulation(case_path("plane_beach"), threads=-1)
    simulation.finalize()
    with pytest.raises(RuntimeError, match="is finalized"):
        simulation.update_until(np.inf)
