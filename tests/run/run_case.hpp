#pragma once
// Runs the tidmor executable on a case folder and compares what it wrote.
//
// A case folder holds "SIM.FILE", the input data file it names, and a folder
// expected/ with the four result files, console.txt (standard output),
// stderr.txt and status (exit status): what the run must produce, byte for byte.
#include <filesystem>
#include <string>
#include <vector>

namespace tidmor::testing {

struct RunResult {
    int status = -1;
    std::string console;
    std::string errors;
};

// Copies the case's input files into a fresh scratch folder and runs the
// model there; returns the scratch folder.
// `arguments` are added to the command line as they stand (shell words).
std::filesystem::path run_in_scratch(const std::filesystem::path& case_dir, RunResult& result,
                                     const std::string& arguments = "");

// Runs the model in an existing folder.
RunResult run_model_in(const std::filesystem::path& dir, const std::string& arguments = "");

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& text);

// Empty when equal; otherwise where the texts first differ (line, column)
// and the two lines there.
std::string first_difference(const std::string& expected, const std::string& actual);

// Every case folder with expected results: the bundled examples and the
// regression cases under tests/run/cases, sorted.
std::vector<std::string> case_folders();

// A scratch folder under the system's temporary folder.
std::filesystem::path make_scratch_dir(const std::string& label);

}  // namespace tidmor::testing
