#pragma once
// Opening the input data file that the control file names.
#include <filesystem>
#include <fstream>
#include <string>

namespace tidmor {

// Opens the input data file for reading. A file that cannot be opened, or
// that is not a regular file (a FIFO, whose open would wait for a writer; a
// device), is fatal with the reason, before any result file is touched.
// The file is looked up in `folder`; messages name it as the control file does.
std::ifstream open_input_data_file(const std::string& name, const std::filesystem::path& folder = {});

}  // namespace tidmor
