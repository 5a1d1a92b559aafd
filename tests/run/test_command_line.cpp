// Reading the command line: actions, options and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/vector_path.hpp"
#include "run/command_line.hpp"

namespace tidmor {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<std::string> args) { return parse_command_line(args); }

TEST(CommandLine, NoArgumentsRunsInTheWorkingDirectoryWithTheDefaults) {
    const CommandLine line = parse({});
    EXPECT_EQ(line.action, Action::run);
    EXPECT_EQ(line.case_dir, "");
    const RunOptions defaults;
    EXPECT_EQ(line.options.progress, defaults.progress);
    EXPECT_EQ(line.options.threads, defaults.threads);
    EXPECT_EQ(line.options.cache_bytes, defaults.cache_bytes);
    EXPECT_EQ(line.options.reuse, defaults.reuse);
}

TEST(CommandLine, CaseFolderByOptionOrAlone) {
    EXPECT_EQ(parse({"-C", "cases/a"}).case_dir, "cases/a");
    EXPECT_EQ(parse({"cases/b"}).case_dir, "cases/b");
    const CommandLine line = parse({"--progress", "cases/c"});
    EXPECT_EQ(line.action, Action::run);
    EXPECT_EQ(line.case_dir, "cases/c");
    EXPECT_TRUE(line.options.progress);
}

TEST(CommandLine, RunOptionsAreReadWithOrWithoutEqualsSign) {
    const CommandLine line = parse({"--threads", "3", "--cache-mb=64", "--no-reuse"});
    ASSERT_EQ(line.action, Action::run) << line.error;
    EXPECT_EQ(line.options.threads, 3);
    EXPECT_EQ(line.options.cache_bytes, std::size_t{64} << 20);
    EXPECT_FALSE(line.options.reuse);
    EXPECT_EQ(parse({"--threads=0"}).options.threads, 0);
    EXPECT_EQ(parse({"--cache-mb", "0"}).options.cache_bytes, 0u);
}

TEST(CommandLine, CheckpointOptions) {
    const CommandLine line = parse({"--checkpoint-every", "10", "--stop-after-step=500"});
    ASSERT_EQ(line.action, Action::run) << line.error;
    EXPECT_EQ(line.options.checkpoint_every, 10u);
    EXPECT_EQ(line.options.stop_after_step, 500u);
    EXPECT_TRUE(line.options.checkpoints_on());
    EXPECT_FALSE(line.options.restart);
    // A restarted run keeps checkpoints on, for the next stop signal.
    EXPECT_TRUE(parse({"--restart"}).options.checkpoints_on());
    EXPECT_FALSE(parse({}).options.checkpoints_on());
}

TEST(CommandLine, VectorPathIsOneThisMachineRuns) {
    EXPECT_EQ(parse({}).options.vector_path, VectorPath::BEST);
    EXPECT_FALSE(parse({}).vector_given);
    for (VectorPath p : vector_paths_here()) {
        const CommandLine line = parse({"--vector", vector_path_name(p)});
        ASSERT_EQ(line.action, Action::run) << line.error;
        EXPECT_EQ(line.options.vector_path, p);
        EXPECT_TRUE(line.vector_given);
    }
    EXPECT_EQ(parse({"--vector=best"}).options.vector_path, VectorPath::BEST);
    const CommandLine unknown = parse({"--vector", "avx512"});
    EXPECT_EQ(unknown.action, Action::usage_error);
    EXPECT_NE(unknown.error.find("\"avx512\""), std::string::npos) << unknown.error;
    for (VectorPath p : {VectorPath::SSE2, VectorPath::AVX2, VectorPath::NEON}) {
        if (vector_path_runs_here(p)) continue;
        const CommandLine missing = parse({"--vector", vector_path_name(p)});
        EXPECT_EQ(missing.action, Action::usage_error) << vector_path_name(p);
        EXPECT_NE(missing.error.find("does not run it"), std::string::npos) << missing.error;
    }
}

TEST(CommandLine, HelpWinsOverVersionAndOtherOptions) {
    EXPECT_EQ(parse({"--help"}).action, Action::help);
    EXPECT_EQ(parse({"-h"}).action, Action::help);
    EXPECT_EQ(parse({"--version"}).action, Action::version);
    EXPECT_EQ(parse({"--version", "--help"}).action, Action::help);
    EXPECT_EQ(parse({"--help", "--version"}).action, Action::help);
}

TEST(CommandLine, MalformedArgumentsAreUsageErrorsThatSayWhy) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},           {"-x"},           {"-"},
        {"-C"},                {"-C", ""},       {""},
        {"a", "b"},            {"-C", "a", "b"}, {"--threads"},
        {"--threads", "-1"},   {"--threads", "two"}, {"--threads", "4097"},
        {"--threads", "1.5"},  {"--threads", " 2"}, {"--threads", "+2"},
        {"--cache-mb", "1e3"}, {"--cache-mb", "99999999999999999999999"},
        {"--progress=yes"},    {"--help=1"},
        {"--checkpoint-every", "0"}, {"--checkpoint-every"}, {"--checkpoint-every", "x"},
        {"--stop-after-step", "0"},  {"--restart=1"},
        {"--vector"}, {"--vector", ""}, {"--vector", "AVX2"},
    };
    for (const auto& args : bad) {
        const CommandLine line = parse(args);
        std::string shown;
        for (const auto& a : args) shown += "[" + a + "] ";
        EXPECT_EQ(line.action, Action::usage_error) << shown;
        EXPECT_FALSE(line.error.empty()) << shown;
    }
    EXPECT_NE(parse({"--threads", "two"}).error.find("\"two\""), std::string::npos);
    EXPECT_NE(parse({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
}

TEST(CommandLine, VersionLineNamesTheProgramAndTheProjectVersion) {
    const std::string line = version_line();
    EXPECT_EQ(line.rfind("tidmor ", 0), 0u) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find(' ', 7), std::string::npos) << "the version is one word: " << line;
    EXPECT_GT(line.size(), 7u);
}

}  // namespace
}  // namespace tidmor
