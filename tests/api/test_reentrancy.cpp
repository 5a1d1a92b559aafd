// Two models in one process share nothing: stepped alternately, or each in
// its own thread at the same time, every case gives exactly the program's
// result files, console, messages and exit status.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <thread>

#include "common/elementary_accurate.hpp"

#include "api/case_runner.hpp"
#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

class TwoModels : public ::testing::TestWithParam<std::string> {};

TEST_P(TwoModels, SteppedAlternatelyEachGiveTheProgramsResults) {
    const fs::path case_dir = GetParam();
    CaseRun first(copy_case(case_dir, "alternate-a")), second(copy_case(case_dir, "alternate-b"));
    // One piece of each in turn, so that every step of one model falls
    // between two steps of the other.
    for (bool a = true, b = true; a || b;) {
        if (a) a = first.step();
        if (b) b = second.step();
    }
    EXPECT_EQ(difference_from_expected(case_dir, first), "");
    EXPECT_EQ(difference_from_expected(case_dir, second), "");
    fs::remove_all(first.folder);
    fs::remove_all(second.folder);
}

TEST_P(TwoModels, InTwoThreadsAtOnceEachGiveTheProgramsResults) {
    const fs::path case_dir = GetParam();
    // Each model runs the aquifer step on two worker threads of its own.
    SimulationOptions options;
    options.threads = 2;
    CaseRun first(copy_case(case_dir, "thread-a"), options), second(copy_case(case_dir, "thread-b"), options);
    // Each thread frees the per-thread caches of the accurate elementary
    // functions as it ends, as the worker threads do.
    std::thread one([&first] { first.run(); accurate::release_thread_caches(); });
    std::thread two([&second] { second.run(); accurate::release_thread_caches(); });
    one.join();
    two.join();
    EXPECT_EQ(difference_from_expected(case_dir, first), "");
    EXPECT_EQ(difference_from_expected(case_dir, second), "");
    fs::remove_all(first.folder);
    fs::remove_all(second.folder);
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoModels, ::testing::ValuesIn(case_folders()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::path(info.param).filename().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace tidmor
