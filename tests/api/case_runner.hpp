#pragma once
// A case run in-process as the program runs it, one piece at a time, so
// that tests can interleave several runs or give each a thread.
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "api/simulation.hpp"

namespace tidmor::testing {

// A scratch copy of the case's input files (not its expected results).
std::filesystem::path copy_case(const std::filesystem::path& case_dir, const std::string& label);

class CaseRun {
public:
    explicit CaseRun(std::filesystem::path folder, SimulationOptions options = {});
    // One piece of the run: the start (reading and initialize), one time
    // step, or the end. A failure ends the run with the program's message
    // on errors and its status. Returns false once the run has ended.
    bool step();
    void run() { while (step()) {} }

    const std::filesystem::path folder;
    std::ostringstream console, errors;
    int status = -1;

private:
    SimulationOptions options_;
    std::optional<Simulation> simulation_;
    bool started_ = false;
};

// Empty when the run gave exactly the expected status, console, stderr
// and result files of the case; otherwise what differed.
std::string difference_from_expected(const std::filesystem::path& case_dir, const CaseRun& run);

}  // namespace tidmor::testing
