#pragma once
// Text taken from the user's files, shown in messages.
//
// quote_text: the text between double quotes, each byte outside printable
// ASCII (and a backslash or quote) escaped, so a NUL, a byte-order mark or a
// terminal control sequence shows as \x00, \xEF\xBB\xBF, \x1B; longer text
// is cut after QUOTE_LENGTH bytes and followed by its length, so that a
// 200 MB value cannot flood the terminal:
//   "12\x00.5"     "1111111111111111111111111111111111111111"... (2000 characters)
//
// system_reason: the system's explanation of an errno value, as appended to
// every failure of the file layer: ": No space left on device"; empty for 0.
#include <string>
#include <string_view>

namespace tidmor {

inline constexpr std::size_t QUOTE_LENGTH = 40;

std::string quote_text(std::string_view text);

std::string system_reason(int error_number);

}  // namespace tidmor
