#include "common/run_failure.hpp"

namespace tidmor {

void reject_input(const std::string& what, const std::string& file, int line) {
    std::string where = "file \"" + file + "\"";
    if (line > 0) where += ", line " + std::to_string(line);
    throw RunFailure(EXIT_INPUT_OR_FILE, "rejected input: " + what + " (" + where + ")");
}

void numerical_failure(const std::string& what) {
    throw RunFailure(EXIT_NUMERICAL, "run stopped: " + what);
}

}  // namespace tidmor
