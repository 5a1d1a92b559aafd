#pragma once
// How a run ends early. A routine that meets a condition the model cannot
// go on from throws RunFailure; the main program prints the message on
// stderr, lets the result files close with what they hold, and exits with
// the failure's status.
#include <stdexcept>
#include <string>

namespace tidmor {

enum ExitStatus : int {
    EXIT_NORMAL = 0,
    EXIT_INPUT_OR_FILE = 1,   // rejected input, missing file, failed read or write
    EXIT_NUMERICAL = 2,       // the run broke down numerically
    // Stopped by a signal: 128 + the signal number, as shells report it.
    EXIT_SIGHUP = 129,
    EXIT_SIGINT = 130,
    EXIT_SIGTERM = 143,
    EXIT_SIGXCPU = 152,
};

class RunFailure : public std::runtime_error {
public:
    RunFailure(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

private:
    ExitStatus status_;
};

// Rejected input: names the quantity, its value and where it was read.
[[noreturn]] void reject_input(const std::string& what, const std::string& file, int line = 0);

// A numerical breakdown of the running model.
[[noreturn]] void numerical_failure(const std::string& what);

}  // namespace tidmor
