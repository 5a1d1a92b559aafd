#include "input/list_reader.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/message_text.hpp"
#include "common/run_failure.hpp"
#include "input/bounded_line.hpp"

namespace tidmor {

namespace {

constexpr std::int64_t INT32_LARGEST = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t INT32_SMALLEST = std::numeric_limits<std::int32_t>::min();

// A CR is a blank so that a file written with CRLF line ends reads as any other.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_separator(char c) { return is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

std::size_t skip_digits(const std::string& s, std::size_t i) {
    while (i < s.size() && is_digit(s[i])) ++i;
    return i;
}

bool all_digits(const std::string& s) { return !s.empty() && skip_digits(s, 0) == s.size(); }

// [sign] digits [. [digits]] | [sign] . digits, then [E|D [sign] digits].
bool is_real_text(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t integer_end = skip_digits(s, i);
    std::size_t mantissa_digits = integer_end - i;
    i = integer_end;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction_end = skip_digits(s, i + 1);
        mantissa_digits += fraction_end - (i + 1);
        i = fraction_end;
    }
    if (mantissa_digits == 0) return false;
    if (i < s.size() && is_exponent_letter(s[i])) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t exponent_end = skip_digits(s, i);
        if (exponent_end == i) return false;
        i = exponent_end;
    }
    return i == s.size();
}

bool is_integer_text(const std::string& s) {
    const std::size_t start = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    return start < s.size() && skip_digits(s, start) == s.size();
}

// Magnitude of a digit string, saturated just above the 32-bit range so
// that a long string cannot overflow the accumulator.
std::int64_t digits_value(const std::string& s, std::size_t start) {
    std::int64_t value = 0;
    for (std::size_t i = start; i < s.size(); ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > INT32_LARGEST + 1) return INT32_LARGEST + 2;
    }
    return value;
}

std::string quoted(const std::string& s) { return quote_text(s); }

}  // namespace

void reject_input_data(const std::string& what, const std::string& file, int line) {
    std::string where = "input data file " + quote_text(file);
    if (line > 0) where += ", line " + std::to_string(line);
    throw RunFailure(EXIT_INPUT_OR_FILE, "rejected input: " + what + " (" + where + ")");
}

ListReader::ListReader(std::istream& unit5, const std::string& file_name) : in_(unit5), file_(file_name) {}

bool ListReader::load_line() {
    switch (read_bounded_line(in_, line_)) {
    case LineRead::line:
        break;
    case LineRead::end:
        have_line_ = false;
        return false;
    case LineRead::too_long:
        reject_input_data("line " + std::to_string(line_no_ + 1) + " runs on past " +
                              std::to_string(MAX_LINE_LENGTH) +
                              " characters without a line end (is this the right file?)",
                          file_, line_no_ + 1);
    case LineRead::failed:
        throw RunFailure(EXIT_INPUT_OR_FILE, "read failed on the input data file " + quote_text(file_) +
                                                 " after line " + std::to_string(line_no_) +
                                                 system_reason(errno));
    }
    ++line_no_;
    if (line_no_ == 1) skip_byte_order_mark(line_);
    pos_ = 0;
    have_line_ = true;
    return true;
}

void ListReader::fail(int group, const ListItem& item, const std::string& what, int line) const {
    reject_input_data("group " + std::to_string(group) + " (" + item.name + "): " + what, file_, line);
}

// Finds the next value of the group. Returns false at a slash; otherwise
// leaves the value's text in token_ (empty for an empty value) and the
// number of items it covers in repeat_.
bool ListReader::next_value(int group, std::span<const ListItem> items, std::size_t item) {
    for (;;) {
        if (!have_line_ || pos_ >= line_.size()) {
            if (load_line()) continue;
            if (item == 0) {
                std::string names;
                for (const ListItem& each : items) names += (names.empty() ? "" : ", ") + std::string(each.name);
                reject_input_data("group " + std::to_string(group) + " (" + names + ") is missing: end of file",
                                  file_, line_no_);
            }
            fail(group, items[item], "end of file before this value", line_no_);
        }
        const char c = line_[pos_];
        if (is_blank(c)) {
            ++pos_;
            continue;
        }
        token_line_ = line_no_;
        if (c == '/') {
            ++pos_;
            return false;
        }
        if (c == ',') {
            ++pos_;
            // Blanks and one comma after a value are a single separator; a
            // comma where a value should begin is an empty value.
            if (after_value_) {
                after_value_ = false;
                continue;
            }
            token_.clear();
            written_.clear();
            repeat_ = 1;
            return true;
        }
        break;
    }
    std::size_t end = pos_;
    while (end < line_.size() && !is_separator(line_[end])) ++end;
    written_ = line_.substr(pos_, end - pos_);
    pos_ = end;
    after_value_ = true;
    token_ = written_;
    repeat_ = 1;
    const std::size_t star = written_.find('*');
    if (star != std::string::npos && all_digits(written_.substr(0, star))) {
        repeat_ = digits_value(written_.substr(0, star), 0);
        if (repeat_ < 1 || repeat_ > INT32_LARGEST)
            fail(group, items[item], quoted(written_) + " has a repeat count outside 1 .. " +
                                         std::to_string(INT32_LARGEST), token_line_);
        token_ = written_.substr(star + 1);
    }
    return true;
}

void ListReader::store(int group, ListItem& item, const std::string& text) const {
    if (item.real != nullptr) {
        if (!is_real_text(text)) fail(group, item, quoted(written_) + " is not a number", item.line);
        // strtod in the C locale the program runs in rounds correctly; a value
        // below the smallest subnormal reads as 0, one beyond the largest
        // double as infinity, which no formula of the model can use.
        std::string c_form = text;
        for (char& ch : c_form)
            if (ch == 'D' || ch == 'd') ch = 'e';
        const double value = std::strtod(c_form.c_str(), nullptr);
        if (std::isinf(value))
            fail(group, item, quoted(written_) + " is beyond the range of double precision", item.line);
        *item.real = value;
        return;
    }
    if (!is_integer_text(text)) fail(group, item, quoted(written_) + " is not an integer", item.line);
    const bool negative = text[0] == '-';
    const std::int64_t magnitude = digits_value(text, (text[0] == '+' || negative) ? 1 : 0);
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_SMALLEST || value > INT32_LARGEST)
        fail(group, item, quoted(written_) + " is outside the 32-bit integer range", item.line);
    *item.integer = static_cast<std::int32_t>(value);
}

void ListReader::read_group(int group, std::span<ListItem> items) {
    // Each group begins on a new line: the rest of the line where the last
    // group ended, remarks included, is passed over.
    have_line_ = false;
    after_value_ = false;
    std::size_t k = 0;
    while (k < items.size()) {
        if (!next_value(group, items, k)) {
            for (; k < items.size(); ++k) items[k].line = token_line_;
            return;
        }
        for (; repeat_ > 0 && k < items.size(); --repeat_, ++k) {
            items[k].line = token_line_;
            if (!token_.empty()) store(group, items[k], token_);
        }
    }
}

}  // namespace tidmor
