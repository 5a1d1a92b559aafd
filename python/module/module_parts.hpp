#pragma once
// The parts of the Python module tidmor, each adding its classes and
// functions to the module.
#include <pybind11/pybind11.h>

namespace tidmor::python {

void add_failures(pybind11::module_& m);       // tidmor.RunFailure
void add_input_values(pybind11::module_& m);   // tidmor.InputValues, read_case_input, input_value_names
void add_variables(pybind11::module_& m);      // tidmor.Variable, variables, find_variable
void add_simulation(pybind11::module_& m);     // tidmor.Simulation
void add_bmi(pybind11::module_& m);            // tidmor.BmiTidmor and the grid numbers

}  // namespace tidmor::python
