#pragma once
// The file layer: the console and the four result files as numbered units.
//
// Every record goes through write_record, which checks the stream after the
// write: a failed write (disk full, file closed under us) is fatal and names
// the unit and the file. Tests connect units to string streams.
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
void write_console(std::ostream& console, std::string_view text);

}  // namespace tidmor
