#include "input/control_file.hpp"

#include <fstream>

#include "common/run_failure.hpp"

namespace tidmor {

namespace {

// The control file is unit 2.
constexpr int CONTROL_UNIT = 2;

[[noreturn]] void control_failure(const std::string& what, const std::string& path) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "unit " + std::to_string(CONTROL_UNIT) + ", control file \"" + path +
                                             "\": " + what);
}

}  // namespace

std::string read_control_file(const std::string& path) {
    std::ifstream unit2(path);
    if (!unit2) control_failure("cannot be opened (it must exist in the working directory)", path);
    std::string line;
    if (!std::getline(unit2, line)) {
        if (unit2.bad()) control_failure("read failed on the first line", path);
        control_failure("has no first line naming the input data file", path);
    }
    // A file written with CRLF line ends leaves the CR at the end of the line.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string name = line.substr(0, INPUT_NAME_LENGTH);
    const std::size_t last = name.find_last_not_of(" \t");
    name.erase(last == std::string::npos ? 0 : last + 1);
    if (name.empty())
        control_failure("the first " + std::to_string(INPUT_NAME_LENGTH) +
                            " characters of line 1 name no input data file",
                        path);
    return name;
}

}  // namespace tidmor
