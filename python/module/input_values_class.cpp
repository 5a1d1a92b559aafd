// tidmor.InputValues: the eight groups of the input data file, by name.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "api/simulation.hpp"
#include "input/input_values.hpp"
#include "module_parts.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace tidmor::python {

namespace {

bool is_switch(std::string_view name) { return name == "I_INFIL" || name == "I_MORPH"; }

[[noreturn]] void unknown_name(const std::string& name) {
    std::string names;
    for (const std::string_view n : input_value_names()) names += (names.empty() ? "" : ", ") + std::string(n);
    throw py::key_error("no input value is named \"" + name + "\"; the input values are " + names);
}

// A value as Python sees it: the switches as int, the rest as float.
py::object get(const InputValues& values, const std::string& name) {
    const std::optional<double> value = input_value(values, name);
    if (!value) unknown_name(name);
    if (is_switch(name)) return py::int_(static_cast<long long>(*value));
    return py::float_(*value);
}

void set(InputValues& values, const std::string& name, const py::handle& given) {
    if (!input_value(values, name)) unknown_name(name);
    if (py::isinstance<py::bool_>(given) || PyNumber_Check(given.ptr()) == 0)
        throw py::type_error(name + ": give a number, not " + std::string(py::str(py::type::of(given))));
    const double value = given.cast<double>();
    if (!set_input_value(values, name, value))
        throw py::value_error(name + " = " + std::string(py::repr(given)) +
                              ": a switch is a whole number in the range of a 32-bit integer");
}

py::dict as_dict(const InputValues& values) {
    py::dict d;
    for (const std::string_view name : input_value_names()) d[py::str(std::string(name))] = get(values, std::string(name));
    return d;
}

InputValues from_mapping(const py::handle& mapping) {
    InputValues values;
    for (const auto& [name, value] : py::reinterpret_borrow<py::dict>(mapping)) set(values, py::cast<std::string>(name), value);
    return values;
}

}  // namespace

void add_input_values(py::module_& m) {
    py::class_<InputValues> cls(m, "InputValues", R"(The 22 values of the eight groups of the input data file, by name.

InputValues(**values) starts from zeros (an unchanged item of the file holds 0) and sets the values named;
read_case_input(folder) reads a case. values["Q_WELL"] reads and values["Q_WELL"] = 0.001 sets a value (units
as in the README's table of the input data file); the switches I_INFIL and I_MORPH are whole numbers.
Nothing is checked here: a Simulation made from the values checks them as the program checks a file.)");
    cls.def(py::init([](const py::kwargs& values) { return from_mapping(values); }));
    cls.def("__getitem__", &get, "name"_a);
    cls.def("__setitem__", &set, "name"_a, "value"_a);
    cls.def("__contains__", [](const InputValues& values, const py::handle& name) {
        return py::isinstance<py::str>(name) && input_value(values, name.cast<std::string>()).has_value();
    });
    cls.def("__len__", [](const InputValues&) { return input_value_names().size(); });
    cls.def("__iter__", [](const InputValues& values) { return py::iter(as_dict(values)); });
    cls.def("keys", [](const InputValues&) {
        py::list names;
        for (const std::string_view name : input_value_names()) names.append(std::string(name));
        return names;
    }, "The names of the values, in the order of the file.");
    cls.def("to_dict", &as_dict, "The values as a dict, in the order of the file.");
    cls.def("copy", [](const InputValues& values) { return values; });
    cls.def("__copy__", [](const InputValues& values) { return values; });
    cls.def("__deepcopy__", [](const InputValues& values, const py::handle&) { return values; }, "memo"_a);
    cls.def("text", &input_text,
            "The values as an input data file holds them, one line per group; reading it gives the same values.");
    cls.def("__eq__", [](const InputValues& a, const InputValues& b) { return input_text(a) == input_text(b); });
    cls.def("__repr__", [](const InputValues& values) {
        std::ostringstream text;
        text << "InputValues(";
        bool first = true;
        for (const std::string_view name : input_value_names()) {
            text << (first ? "" : ", ") << name << "=" << std::string(py::repr(get(values, std::string(name))));
            first = false;
        }
        text << ")";
        return text.str();
    });
    cls.def(py::pickle([](const InputValues& values) { return as_dict(values); },
                       [](const py::dict& state) { return from_mapping(state); }));

    m.def("read_case_input", &read_case_input, "case_folder"_a,
          "The input values of a case folder, read as the program reads them (\"SIM.FILE\" names the input data "
          "file, relative to the folder). A rejection raises RunFailure.");
    m.def("input_value_names", [] {
        py::list names;
        for (const std::string_view name : input_value_names()) names.append(std::string(name));
        return names;
    }, "The names of the 22 input values, in the order of the file.");
}

}  // namespace tidmor::python
