// Whole runs in this process through TIDMOR with every way of solving the
// aquifer: reuse of recorded boundary systems on and off, one to three
// worker threads. Each must give the expected files byte for byte, the same
// as the plain sequential solve that made them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "run/run_case.hpp"
#include "run/tidmor.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

// Reuse, threads.
using Path = std::tuple<bool, int>;
const std::vector<Path> PATHS = {{false, 1}, {true, 1}, {true, 2}, {true, 3}};

class RunPaths : public ::testing::TestWithParam<std::tuple<std::string, Path>> {};

// Runs the case with these options in a scratch folder and compares every
// file with the expected one.
void expect_the_expected_files(const fs::path& case_dir, const RunOptions& options, AquiferSolveCounts& counts) {
    const fs::path scratch = make_scratch_dir(case_dir.filename().string());
    for (const auto& entry : fs::directory_iterator(case_dir))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            fs::copy_file(entry.path(), scratch / entry.path().filename());
    const fs::path here = fs::current_path();
    fs::current_path(scratch);
    std::ostringstream console, errors;
    const int status = TIDMOR(console, errors, options, counts);
    fs::current_path(here);

    const fs::path expected = case_dir / "expected";
    EXPECT_EQ(std::to_string(status) + "\n", read_file(expected / "status")) << errors.str();
    EXPECT_EQ(first_difference(read_file(expected / "console.txt"), console.str()), "") << "console";
    EXPECT_EQ(first_difference(read_file(expected / "stderr.txt"), errors.str()), "") << "stderr";
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(first_difference(read_file(expected / name), read_file(scratch / name)), "") << name;
    fs::remove_all(scratch);
}

TEST_P(RunPaths, GiveTheExpectedFilesByteForByte) {
    const fs::path case_dir = std::get<0>(GetParam());
    RunOptions options;
    options.reuse = std::get<0>(std::get<1>(GetParam()));
    options.threads = std::get<1>(std::get<1>(GetParam()));
    AquiferSolveCounts counts;
    expect_the_expected_files(case_dir, options, counts);
    // The path asked for is the path taken.
    if (options.reuse) {
        EXPECT_EQ(counts.plain, 0u);
    } else {
        EXPECT_EQ(counts.hits + counts.misses + counts.ahead, 0u);
    }
    if (options.threads == 1) {
        EXPECT_EQ(counts.ahead, 0u);
    }
}

// The drained beach updates its profile every wave period, and the next
// period runs over the same shoreline nodes: with a second thread most of
// its geometries are solved ahead (how many depends on how the two threads
// get the cores, never a byte of the results).
TEST(RunPathsAhead, TheDrainedBeachTakesGeometriesSolvedAheadToTheSameBytes) {
    RunOptions options;
    options.threads = 2;
    AquiferSolveCounts counts;
    expect_the_expected_files(fs::path(TIDMOR_SOURCE_DIR) / "examples" / "drained_beach", options, counts);
    EXPECT_GT(counts.ahead, 0u);
    EXPECT_EQ(counts.plain, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunPaths, ::testing::Combine(::testing::ValuesIn(case_folders()), ::testing::ValuesIn(PATHS)),
                         [](const auto& info) {
                             std::string name = fs::path(std::get<0>(info.param)).filename().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             const Path& path = std::get<1>(info.param);
                             return name + (std::get<0>(path) ? "_reuse_" : "_plain_") +
                                    std::to_string(std::get<1>(path)) + "_threads";
                         });

}  // namespace
}  // namespace tidmor
