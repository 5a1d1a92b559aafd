#pragma once
// Free-form (list-directed) reading of the input data file, unit 5.
//
// A group is one list of values that starts on a new line:
//   separators   blanks (tabs and a CR count as blanks), a comma with or
//                without blanks around it, a line end; a group may run over
//                several lines and empty lines are skipped
//   values       reals with or without a point, E or D exponent in either
//                case, optional sign; integers: sign and digits only
//   r*v          the value v, r times;  r*  r empty values
//   ,,           an empty value: the item keeps what it holds
//   /            ends the group; the remaining items keep what they hold
// Whatever follows the group's last value on its line is ignored, so a
// line may carry a remark after its values. Every failure is fatal and
// names the group, the item, the text, the file and the line.
#include <cstdint>
#include <istream>
#include <span>
#include <string>

#include "common/number_format.hpp"

namespace tidmor {

// One item of a group: where its value goes (exactly one of real and
// integer is set), and, once read, the line that supplied it (a value, an
// empty value or the slash that left it unchanged).
struct ListItem {
    const char* name = "";
    double* real = nullptr;
    std::int32_t* integer = nullptr;
    int line = 0;
};

// Rejected input data: "rejected input: <what> (input data file "<file>", line <line>)";
// the line is left out when it is 0.
[[noreturn]] void reject_input_data(const std::string& what, const std::string& file, int line);

// The shortest text that reads back as `value`, for messages.

class ListReader {
public:
    ListReader(std::istream& unit5, const std::string& file_name);

    // Reads group number `group` into its items, beginning on the line after
    // the one where the previous group ended.
    void read_group(int group, std::span<ListItem> items);

private:
    bool load_line();
    bool next_value(int group, std::span<const ListItem> items, std::size_t item);
    void store(int group, ListItem& item, const std::string& text) const;
    [[noreturn]] void fail(int group, const ListItem& item, const std::string& what, int line) const;

    std::istream& in_;
    std::string file_;
    std::string line_;
    std::size_t pos_ = 0;
    int line_no_ = 0;
    bool have_line_ = false;
    bool after_value_ = false;
    std::string token_;      // text of the value last read; empty for an empty value
    std::string written_;    // the value as written, repeat count included
    int token_line_ = 0;
    std::int64_t repeat_ = 0;  // items the value last read still covers
};

}  // namespace tidmor
