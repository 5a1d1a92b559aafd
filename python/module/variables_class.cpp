// tidmor.Variable: what the model lets a caller read and set, with units.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "api/simulation.hpp"
#include "module_parts.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace tidmor::python {

namespace {

const char* place_name(Place place) {
    switch (place) {
    case Place::wave_grid:
        return "wave_grid";
    case Place::aquifer_boundary:
        return "aquifer_boundary";
    case Place::water_table:
        return "water_table";
    case Place::scalar:
        break;
    }
    return "scalar";
}

}  // namespace

void add_variables(py::module_& m) {
    py::class_<Variable> cls(m, "Variable", "A variable of the model: names, units, where it lives.");
    cls.def_property_readonly("name", [](const Variable& v) { return std::string(v.name); },
                              "The model's name, e.g. \"Z_BED\".");
    cls.def_property_readonly("standard_name", [](const Variable& v) { return std::string(v.standard_name); },
                              "CSDMS Standard Name, or the model's own \"tidmor__...\" name.");
    cls.def_property_readonly("units", [](const Variable& v) { return std::string(v.units); }, "UDUNITS string.");
    cls.def_property_readonly("place", [](const Variable& v) { return std::string(place_name(v.place)); },
                              "\"wave_grid\", \"aquifer_boundary\", \"water_table\" or \"scalar\".");
    cls.def_property_readonly("integer", [](const Variable& v) { return v.integer; },
                              "32-bit integers (else float64).");
    cls.def_property_readonly("settable", [](const Variable& v) { return v.settable; },
                              "A caller may set it (Z_BED; INFIL with the aquifer off).");
    cls.def_property_readonly("meaning", [](const Variable& v) { return std::string(v.meaning); });
    cls.def("__repr__", [](const Variable& v) {
        return "<tidmor.Variable " + std::string(v.name) + " (" + std::string(v.standard_name) + ", " +
               std::string(v.units) + ", " + place_name(v.place) + ")>";
    });

    m.def("variables", &simulation_variables, "Every variable of the model, in a fixed order.");
    m.def("find_variable", &find_variable, "name"_a,
          "The variable of that model name or standard name; None when there is none.");
}

}  // namespace tidmor::python
