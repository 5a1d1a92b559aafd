#pragma once
// Reading one line of an input file with a bound on its length.
//
// A line longer than MAX_LINE_LENGTH characters is refused instead of being
// read on: an input "file" without line ends (a device such as /dev/zero,
// a binary file named by mistake) cannot fill the memory. No line of a
// sensible input comes near the bound.
#include <istream>
#include <string>

namespace tidmor {

inline constexpr std::size_t MAX_LINE_LENGTH = 4096;

enum class LineRead {
    line,      // a line was read, without its line end
    end,       // end of file, nothing read
    too_long,  // MAX_LINE_LENGTH characters read without a line end
    failed,    // the system could not read the file; errno tells why
};

LineRead read_bounded_line(std::istream& in, std::string& line);

// A UTF-8 byte-order mark, which some editors put at the start of a text
// file, is not part of the first line's text: removes it when present.
void skip_byte_order_mark(std::string& first_line);

}  // namespace tidmor
