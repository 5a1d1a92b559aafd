#include "input/input_file.hpp"

#include <cerrno>

#include "common/file_kind.hpp"
#include "common/message_text.hpp"
#include "common/run_failure.hpp"
#include "input/control_file.hpp"

namespace tidmor {

std::ifstream open_input_data_file(const std::string& name, const std::filesystem::path& folder) {
    const std::string named_in = " named in \"" + std::string(CONTROL_FILE) + "\"";
    const std::string kind = path_kind((folder / name).string());
    if (!kind.empty())
        throw RunFailure(EXIT_INPUT_OR_FILE, "the input data file " + quote_text(name) + named_in + " is " + kind +
                                                 ", not a regular file; the program reads its input only from "
                                                 "regular files");
    errno = 0;
    std::ifstream unit5(folder / name);
    if (!unit5)
        throw RunFailure(EXIT_INPUT_OR_FILE,
                         "cannot open the input data file " + quote_text(name) + named_in + system_reason(errno));
    return unit5;
}

}  // namespace tidmor
