"""Input values by name, and a case run from values instead of a file."""
import copy
import pickle

import pytest

from conftest import RESULT_NAMES, case_path, expected, read_bytes


def test_input_values_by_name(tidmor):
    values = tidmor.read_case_input(case_path("drained_beach"))
    assert values["Q_WELL"] == 0.0016 and values["I_INFIL"] == 1 and isinstance(values["I_INFIL"], int)
    assert values.keys() == tidmor.input_value_names() and len(values) == 22 and list(values) == values.keys()
    assert "Q_WELL" in values and "q_well" not in values
    changed = values.copy()
    changed["Q_WELL"] = 0.0008
    assert values["Q_WELL"] == 0.0016 and changed != values
    assert copy.deepcopy(changed) == changed == pickle.loads(pickle.dumps(changed))
    assert tidmor.InputValues(**changed.to_dict()) == changed
    assert tidmor.InputValues()["T_MAX"] == 0.0
    with pytest.raises(KeyError, match="Q_WEL"):
        values["Q_WEL"] = 1.0
    with pytest.raises(ValueError, match="whole number"):
        values["I_MORPH"] = 0.5
    with pytest.raises(TypeError, match="give a number"):
        values["T_MAX"] = "964"
    assert float(changed.text().splitlines()[2].split()[0]) == 0.0008


def test_a_case_from_values_gives_the_programs_results(tidmor, tmp_path):
    values = tidmor.read_case_input(case_path("aquifer_with_well"))
    simulation = tidmor.Simulation(values, tmp_path, input_name="case.dat")
    simulation.run()
    assert simulation.finalized and simulation.warnings == []
    assert simulation.console.encode() == expected("aquifer_with_well", "console.txt")
    for name in RESULT_NAMES:
        assert read_bytes(tmp_path / name) == expected("aquifer_with_well", name), name


def test_write_results_off_touches_no_file(tidmor, tmp_path):
    values = tidmor.read_case_input(case_path("aquifer_with_well"))
    simulation = tidmor.Simulation(values, tmp_path, write_results=False, console=False)
    simulation.run()
    assert list(tmp_path.iterdir()) == [] and simulation.console == ""
