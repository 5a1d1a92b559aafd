#include "input/bounded_line.hpp"

#include <cerrno>

namespace tidmor {

LineRead read_bounded_line(std::istream& in, std::string& line) {
    line.clear();
    errno = 0;
    for (;;) {
        const int c = in.get();
        if (c == std::char_traits<char>::eof()) {
            if (in.bad()) return LineRead::failed;
            return line.empty() ? LineRead::end : LineRead::line;
        }
        if (c == '\n') return LineRead::line;
        if (line.size() >= MAX_LINE_LENGTH) return LineRead::too_long;
        line += static_cast<char>(c);
    }
}

void skip_byte_order_mark(std::string& first_line) {
    if (first_line.compare(0, 3, "\xEF\xBB\xBF") == 0) first_line.erase(0, 3);
}

}  // namespace tidmor
