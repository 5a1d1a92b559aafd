#include "common/units.hpp"

#include "common/run_failure.hpp"

namespace tidmor {

void write_record(OutputUnit& unit, std::string_view line) {
    if (unit.stream == nullptr)
        throw RunFailure(EXIT_INPUT_OR_FILE, "unit " + std::to_string(unit.number) + " (\"" + unit.file +
                                                 "\") is not connected");
    *unit.stream << line << '\n';
    if (!unit.stream->good())
        throw RunFailure(EXIT_INPUT_OR_FILE, "write failed on unit " + std::to_string(unit.number) + " (\"" +
                                                 unit.file + "\")");
}

void write_console(std::ostream& console, std::string_view text) {
    console << ' ' << text << '\n';
}

}  // namespace tidmor
