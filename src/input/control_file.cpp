#include "input/control_file.hpp"

#include <cerrno>
#include <fstream>

#include "common/file_kind.hpp"
#include "common/message_text.hpp"
#include "common/run_failure.hpp"
#include "input/bounded_line.hpp"

namespace tidmor {

namespace {

[[noreturn]] void control_failure(const std::string& what, const std::string& path) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "control file " + quote_text(path) + ": " + what);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string read_control_file(const std::string& path, std::string* warning, const std::filesystem::path& folder) {
    const std::string kind = path_kind((folder / path).string());
    if (!kind.empty())
        control_failure("is " + kind + ", not a regular file; the program reads its input only from regular files",
                        path);
    errno = 0;
    std::ifstream unit2(folder / path);
    if (!unit2)
        control_failure(std::string("cannot be opened (it must exist in the ") +
                            (folder.empty() ? "working directory" : "case folder") + ")" + system_reason(errno),
                        path);
    std::string line;
    switch (read_bounded_line(unit2, line)) {
    case LineRead::line:
        break;
    case LineRead::end:
        control_failure("has no first line naming the input data file", path);
    case LineRead::too_long:
        control_failure("the first line runs on past " + std::to_string(MAX_LINE_LENGTH) +
                            " characters without a line end",
                        path);
    case LineRead::failed:
        control_failure("read failed on the first line" + system_reason(errno), path);
    }
    skip_byte_order_mark(line);
    // A file written with CRLF line ends leaves the CR at the end of the line.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string name = line.substr(0, INPUT_NAME_LENGTH);
    const std::size_t last = name.find_last_not_of(" \t");
    name.erase(last == std::string::npos ? 0 : last + 1);
    if (name.empty())
        control_failure("the first " + std::to_string(INPUT_NAME_LENGTH) +
                            " characters of line 1 name no input data file",
                        path);
    // A word that runs across column 15 is most likely a longer name cut short.
    if (warning != nullptr && line.size() > INPUT_NAME_LENGTH && !is_blank(line[INPUT_NAME_LENGTH - 1]) &&
        !is_blank(line[INPUT_NAME_LENGTH])) {
        const std::size_t word_end = line.find_first_of(" \t", INPUT_NAME_LENGTH);
        *warning = "control file " + quote_text(path) + ": the input data file name " +
                   quote_text(line.substr(0, word_end)) + " is cut to its first " +
                   std::to_string(INPUT_NAME_LENGTH) + " characters, " + quote_text(name) +
                   " (only columns 1 to 15 of line 1 name the file)";
    }
    return name;
}

}  // namespace tidmor
