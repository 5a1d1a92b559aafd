#include "failures.hpp"

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <exception>
#include <sstream>
#include <string_view>

#include "module_parts.hpp"

namespace py = pybind11;

namespace tidmor::python {

namespace {

// Defined in Python so that it takes its arguments as a Python exception
// does and survives pickling (a failure raised in a worker process).
const char* const FAILURE_CLASS = R"(
class RunFailure(RuntimeError):
    """A failure of the model: the run cannot go on.

    status: the exit status the program would end with (1 input or file, 2 numerical breakdown)
    message: the program's message, the text it prints on stderr after "tidmor: "
    warnings: the warnings the run gave before it (each without "tidmor: warning: ")
    """

    def __init__(self, message, status, warnings=()):
        super().__init__(message)
        self.message = message
        self.status = status
        self.warnings = tuple(warnings)

    def __reduce__(self):
        return (type(self), (self.message, self.status, self.warnings))
)";

void raise_run_failure(const RunFailure& failure) {
    const py::object type = py::module_::import("tidmor").attr("RunFailure");
    py::object warnings = py::tuple();
    if (const auto* with = dynamic_cast<const FailureAfterWarnings*>(&failure)) warnings = python_texts(with->warnings());
    const py::object error = type(python_text(failure.what()), static_cast<int>(failure.status()), warnings);
    PyErr_SetObject(type.ptr(), error.ptr());
}

}  // namespace

py::str python_text(std::string_view text) {
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (decoded == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

py::list python_texts(const std::vector<std::string>& texts) {
    py::list list;
    for (const std::string& text : texts) list.append(python_text(text));
    return list;
}

std::vector<std::string> warnings_in(const std::string& errors) {
    constexpr std::string_view prefix = "tidmor: warning: ";
    std::vector<std::string> found;
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);)
        if (std::string_view(line).starts_with(prefix)) found.push_back(line.substr(prefix.size()));
    return found;
}

void add_failures(py::module_& m) {
    py::exec(FAILURE_CLASS, m.attr("__dict__"));
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const RunFailure& failure) {
            raise_run_failure(failure);
        }
    });
}

}  // namespace tidmor::python
