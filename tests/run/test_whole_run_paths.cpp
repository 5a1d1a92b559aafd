// The whole runs again on every vector path this machine runs, each with one
// thread without reuse and with one, two and three threads and reuse: the
// same bytes as the expected files every time (the default run, widest path, one thread
// per core and reuse, is WholeRun's).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/vector_path.hpp"
#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

struct Setting {
    const char* arguments;
    const char* label;
};
const Setting SETTINGS[] = {{"--threads 1 --no-reuse", "one_thread_no_reuse"},
                            {"--threads 1", "one_thread"},
                            {"--threads 2", "two_threads"},
                            {"--threads 3", "three_threads"}};
constexpr int SETTING_COUNT = sizeof SETTINGS / sizeof SETTINGS[0];

using Variant = std::tuple<std::string, VectorPath, int>;

class WholeRunOnEveryPath : public ::testing::TestWithParam<Variant> {};

TEST_P(WholeRunOnEveryPath, MatchesTheExpectedFilesByteForByte) {
    const auto& [folder, path, setting] = GetParam();
    const fs::path case_dir = folder;
    const fs::path expected = case_dir / "expected";
    RunResult result;
    const std::string arguments = std::string("--vector ") + vector_path_name(path) + " " + SETTINGS[setting].arguments;
    const fs::path scratch = run_in_scratch(case_dir, result, arguments);
    EXPECT_EQ(std::to_string(result.status) + "\n", read_file(expected / "status")) << result.errors;
    EXPECT_EQ(first_difference(read_file(expected / "console.txt"), result.console), "") << "console";
    EXPECT_EQ(first_difference(read_file(expected / "stderr.txt"), result.errors), "") << "stderr";
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(first_difference(read_file(expected / name), read_file(scratch / name)), "") << name;
    fs::remove_all(scratch);
}

std::vector<Variant> variants() {
    std::vector<Variant> all;
    for (const std::string& folder : case_folders())
        for (VectorPath path : vector_paths_here())
            for (int setting = 0; setting < SETTING_COUNT; ++setting) all.emplace_back(folder, path, setting);
    return all;
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRunOnEveryPath, ::testing::ValuesIn(variants()),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             std::string name = fs::path(std::get<0>(info.param)).filename().string() + "_" +
                                                vector_path_name(std::get<1>(info.param)) + "_" +
                                                SETTINGS[std::get<2>(info.param)].label;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace tidmor
