#pragma once
// Failures of the model as the Python exception tidmor.RunFailure.
#include <pybind11/pybind11.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/run_failure.hpp"

namespace tidmor::python {

// A RunFailure together with the warnings the run gave before it (for a
// failure while the input is read, before there is a Simulation to ask).
class FailureAfterWarnings : public RunFailure {
public:
    FailureAfterWarnings(const RunFailure& failure, std::vector<std::string> warnings)
        : RunFailure(failure), warnings_(std::move(warnings)) {}
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    std::vector<std::string> warnings_;
};

// Text of the model (console lines, messages) as a Python str: UTF-8, with
// any other byte kept as a lone surrogate (errors="surrogateescape"), so
// that text.encode("utf-8", "surrogateescape") gives back the bytes.
pybind11::str python_text(std::string_view text);
pybind11::list python_texts(const std::vector<std::string>& texts);

// The warnings in the text of an errors stream, one "tidmor: warning: ..."
// line each, without that prefix.
std::vector<std::string> warnings_in(const std::string& errors);

}  // namespace tidmor::python
