// Whole runs of the bundled examples and of the regression cases, compared
// byte for byte with the results kept in the repository. The expected files
// change only on purpose, through tools/regenerate_expected.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

class WholeRun : public ::testing::TestWithParam<std::string> {};

TEST_P(WholeRun, MatchesTheExpectedFilesByteForByte) {
    const fs::path case_dir = GetParam();
    const fs::path expected = case_dir / "expected";
    RunResult result;
    const fs::path scratch = run_in_scratch(case_dir, result);

    EXPECT_EQ(std::to_string(result.status) + "\n", read_file(expected / "status")) << result.errors;
    EXPECT_EQ(first_difference(read_file(expected / "console.txt"), result.console), "") << "console";
    EXPECT_EQ(first_difference(read_file(expected / "stderr.txt"), result.errors), "") << "stderr";
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(first_difference(read_file(expected / name), read_file(scratch / name)), "") << name;
    fs::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRun, ::testing::ValuesIn(case_folders()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::path(info.param).filename().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace tidmor
