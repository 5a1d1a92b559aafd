#pragma once
// An exception other than RunFailure that reaches the program: the system
// refused memory (std::bad_alloc) or another resource (std::system_error,
// e.g. a thread), or an internal fault. The program reports it as it
// reports a RunFailure, one "tidmor:" line and status 1, instead of letting
// std::terminate end it (status 134) with the result files cut short.
#include <exception>
#include <string>

#include "common/run_failure.hpp"

namespace tidmor {

// The failure to report; `where` says when it happened and what the result
// files hold, e.g. "at model time 12.5 s (after step 300); the result files
// hold every line written until then".
RunFailure unexpected_failure(const std::exception& error, const std::string& where);

}  // namespace tidmor
