#pragma once
// Connecting and disconnecting the four result files.
//
// All four are opened, without truncating, before any is emptied: when one
// cannot be created (a folder of that name, no permission), the results of
// an earlier run are all left as they were. A result file that is the very
// file the input was read from (by any name or link) is refused for the same
// reason, and so is one that is a FIFO, a device or a socket (only /dev/null
// may stand in for a result file, to discard it). Only then are the four
// emptied and connected to their units.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/units.hpp"

namespace tidmor {

// A file the run reads, which no result file may be.
struct InputFile {
    std::string role;  // "control file", "input data file"
    std::string path;
};

class ResultFiles {
public:
    // The files are made in `folder` (the working directory when empty);
    // messages name them, and the inputs, as given, without the folder.
    void connect(Units& units, const std::vector<InputFile>& inputs, const std::filesystem::path& folder = {});
    // Closes the four files; a failure to write out what they hold is fatal.
    void disconnect(Units& units);
    // Whether connect got as far as emptying the earlier results.
    bool touched() const { return touched_; }

private:
    std::ofstream outw_, outb_, outg_, outs_;
    bool touched_ = false;
};

}  // namespace tidmor
