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
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/sha256.hpp"
#include "common/units.hpp"

namespace tidmor {

// A result file as a run had written it: its length and fingerprint.
struct ResultFileMark {
    std::uint64_t bytes = 0;
    Sha256::Digest fingerprint{};
};

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
    // For a run that goes on from a checkpoint: each file must begin with
    // exactly what the run had written by then (`marks`, in the order outw,
    // outb, outg, outs); anything after it, from a run that went further
    // before it stopped, is cut off and the run appends. A file shorter than
    // its mark, changed, missing or special is refused (RunFailure, status 1)
    // before any file is touched.
    void reconnect(Units& units, const std::filesystem::path& folder, const std::array<ResultFileMark, 4>& marks);
    // Closes the four files; a failure to write out what they hold is fatal.
    void disconnect(Units& units);
    // Whether connect got as far as emptying the earlier results.
    bool touched() const { return touched_; }

private:
    std::ofstream outw_, outb_, outg_, outs_;
    bool touched_ = false;
};

}  // namespace tidmor
