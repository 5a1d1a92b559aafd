#pragma once
// The file layer: the console and the four result files as numbered units.
//
// Every record goes through write_record, which checks the stream after the
// write: a failed write (disk full, file closed under us) is fatal and names
// the file and the system's reason. The console is checked the same way.
// Tests connect units to string streams.
#include <ostream>
#include <string>
#include <string_view>

namespace tidmor {

class Progress;

struct OutputUnit {
    int number = 0;
    std::string file;              // name as the user knows it
    std::ostream* stream = nullptr;
};

// Writes one line (the text and a line end) to the unit; fatal on failure.
void write_record(OutputUnit& unit, std::string_view line);

// Console lines begin with one blank, as every line of the program does.
// A console that cannot be written (standard output on a full disk) is
// fatal like a result file.
void write_console(std::ostream& console, std::string_view text);
void flush_console(std::ostream& console);
[[noreturn]] void console_failure();

}  // namespace tidmor
