#include "common/units.hpp"

#include <cerrno>

#include "common/message_text.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

void write_record(OutputUnit& unit, std::string_view line) {
    if (unit.stream == nullptr)
        throw RunFailure(EXIT_INPUT_OR_FILE, "the result file " + quote_text(unit.file) + " is not connected");
    errno = 0;
    *unit.stream << line << '\n';
    if (!unit.stream->good())
        throw RunFailure(EXIT_INPUT_OR_FILE,
                         "write failed on the result file " + quote_text(unit.file) + system_reason(errno));
}

void write_console(std::ostream& console, std::string_view text) {
    errno = 0;
    console << ' ' << text << '\n';
    if (!console.good()) console_failure();
}

void flush_console(std::ostream& console) {
    errno = 0;
    console.flush();
    if (!console.good()) console_failure();
}

void console_failure() {
    throw RunFailure(EXIT_INPUT_OR_FILE, "write failed on standard output (the console)" + system_reason(errno));
}

}  // namespace tidmor
