#pragma once
#include <filesystem>
#include <string>

namespace tidmor {

// Name of the control file, looked up in the working directory.
inline constexpr const char* CONTROL_FILE = "SIM.FILE";
// Only the first 15 characters of the control file's first line count.
inline constexpr std::size_t INPUT_NAME_LENGTH = 15;

// Reads the input data file name from the first line of the control file:
// its first 15 characters, trailing blanks removed. A missing file, a file
// without a first line or an empty name is fatal. When the name looks cut
// short (a word runs across column 15), `warning` receives a line saying so.
// With a `folder`, the file is looked up there; messages name `path` alone,
// as the program run in that folder names it, and a missing file is said to
// be missing from the case folder (else from the working directory). A control file that is not a
// regular file (a FIFO, a device) is refused.
std::string read_control_file(const std::string& path, std::string* warning = nullptr,
                              const std::filesystem::path& folder = {});

}  // namespace tidmor
