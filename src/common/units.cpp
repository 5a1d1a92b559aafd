#include "common/units.hpp"

#include <cerrno>

#include "common/message_text.hpp"
#include "common/run_failure.hpp"
#include "common/stop_request.hpp"

namespace tidmor {

namespace {

// A write that a stop signal cut short (the handlers do not restart system
// calls) is the stop, not a failure of the file.
void stop_if_interrupted(int error_number, const std::string& what) {
    if (error_number == EINTR && pending_interrupt() != 0)
        stop_interrupted("while writing " + what + "; the result files hold every line written until then");
}

}  // namespace

void write_record(OutputUnit& unit, std::string_view line) {
    if (unit.stream == nullptr)
        throw RunFailure(EXIT_INPUT_OR_FILE, "the result file " + quote_text(unit.file) + " is not connected");
    unit.block.append(line);
    unit.block.push_back('\n');
}

void end_block(OutputUnit& unit) {
    if (unit.stream == nullptr)
        throw RunFailure(EXIT_INPUT_OR_FILE, "the result file " + quote_text(unit.file) + " is not connected");
    errno = 0;
    unit.stream->write(unit.block.data(), static_cast<std::streamsize>(unit.block.size()));
    unit.stream->flush();
    if (unit.stream->good()) {
        unit.written += unit.block.size();
        unit.fingerprint.update(unit.block);
    }
    unit.block.clear();
    if (!unit.stream->good()) {
        const int error_number = errno;
        stop_if_interrupted(error_number, "the result file " + quote_text(unit.file));
        throw RunFailure(EXIT_INPUT_OR_FILE,
                         "write failed on the result file " + quote_text(unit.file) + system_reason(error_number));
    }
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
    const int error_number = errno;
    stop_if_interrupted(error_number, "to the console");
    throw RunFailure(EXIT_INPUT_OR_FILE, "write failed on standard output (the console)" + system_reason(error_number));
}

}  // namespace tidmor
