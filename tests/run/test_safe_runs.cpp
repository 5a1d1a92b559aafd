// Whole runs that must end safely: earlier results kept, the input never
// overwritten, a console that cannot be written, interrupted runs, warnings
// that leave the results alone, and an aquifer that breaks down.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};

// Waves of 0.5 m and 8 s on a beach of slope 0.1; `switches` are I_INFIL
// and I_MORPH.
std::string beach_case(const std::string& t_max, const std::string& switches = "0 0",
                       const std::string& q_well = "0.0") {
    return "0.5 8.0\n"
           "0.1 0.001 1.0 1.0 20.0\n" +
           q_well + " 15.0 0.5\n" + t_max + " 50\n" + switches +
           "\n"
           "0.01 0.6 0.5 0.63\n"
           "0.0141 0.01 0.5\n"
           "0.5\n";
}

fs::path case_dir(const std::string& label, const std::string& input) {
    const fs::path dir = make_scratch_dir(label);
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat", input);
    return dir;
}

void write_earlier_results(const fs::path& dir) {
    for (const char* name : RESULT_FILES)
        if (!fs::exists(dir / name)) write_file(dir / name, std::string("earlier ") + name + "\n");
}

TEST(SafeStart, AResultFileThatCannotBeCreatedLeavesAllEarlierResults) {
    const fs::path dir = case_dir("keep-results", beach_case("16.0"));
    fs::create_directory(dir / "outs.dat");
    write_earlier_results(dir);
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: cannot create the result file \"outs.dat\": Is a directory (no earlier result file has "
              "been changed)\n");
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat"})
        EXPECT_EQ(read_file(dir / name), std::string("earlier ") + name + "\n") << name;
    fs::remove_all(dir);
}

TEST(SafeStart, TheInputIsNeverAResultFile) {
    // By name: "SIM.FILE" names "outw.dat" as the input data file.
    const fs::path dir = case_dir("input-is-result", beach_case("16.0"));
    write_file(dir / "outw.dat", beach_case("16.0"));
    write_file(dir / "SIM.FILE", "outw.dat\n");
    RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: the input data file \"outw.dat\" is the result file \"outw.dat\", which the run would "
              "overwrite: keep the input under another name\n");
    EXPECT_EQ(read_file(dir / "outw.dat"), beach_case("16.0"));
    EXPECT_FALSE(fs::exists(dir / "outb.dat"));  // refused before the others were emptied
    // By identity: the input reached through a link, and the result file
    // through another name of the same file.
    fs::remove(dir / "outw.dat");
    fs::create_symlink("beach.dat", dir / "outg.dat");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("the input data file \"beach.dat\" is the result file \"outg.dat\""),
              std::string::npos)
        << result.errors;
    EXPECT_EQ(read_file(dir / "beach.dat"), beach_case("16.0"));
    fs::remove_all(dir);
}

TEST(SafeStart, AnInputWithoutLineEndsIsRejected) {
    // A binary file named by mistake: zero bytes and no line end.
    const fs::path dir = case_dir("no-line-ends", std::string(5000, '\0'));
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: rejected input: line 1 runs on past 4096 characters without a line end (is this the right "
              "file?) (input data file \"beach.dat\", line 1)\n");
    fs::remove_all(dir);
}

TEST(SafeStart, ByteOrderMarksAreSkipped) {
    const fs::path dir = case_dir("bom", "\xEF\xBB\xBF" + beach_case("-1.0", "0 1"));
    write_file(dir / "SIM.FILE", "\xEF\xBB\xBF" "beach.dat\n");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "tidmor: warning: T_MAX = -1 s is shorter than ten wave periods (80 s): \"outb.dat\" "
                             "and \"outs.dat\" will most likely stay empty, as profiles and swash statistics are "
                             "written every tenth wave period\n"
                             "tidmor: warning: N_OUT = 50: none of the 1 steps of the last four wave periods (from "
                             "TIME = 0.03190466 s, steps 1 to 1) was a snapshot step: \"outw.dat\" and \"outg.dat\" "
                             "hold no snapshot; a smaller N_OUT, such as 1, writes some\n");
    fs::remove_all(dir);
}

TEST(Warnings, LeaveResultsAndConsoleAsTheyAre) {
    // A negative discharge with the aquifer on is no well: the same run as
    // with Q_WELL = 0, with one line on stderr.
    const std::string with_aquifer = beach_case("16.0", "1 0", "-1e-5");
    const fs::path warned = case_dir("warned", with_aquifer);
    std::string quiet_input = with_aquifer;
    quiet_input.replace(quiet_input.find("-1e-5"), 5, "0.0");
    const fs::path quiet = case_dir("quiet", quiet_input);
    const RunResult a = run_model_in(warned);
    const RunResult b = run_model_in(quiet);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(a.errors,
              "tidmor: warning: Q_WELL is negative: no well is pumped (only a discharge above 0 switches the well on)\n");
    EXPECT_EQ(b.errors, "");
    EXPECT_EQ(a.console, b.console);
    for (const char* name : RESULT_FILES)
        EXPECT_EQ(first_difference(read_file(quiet / name), read_file(warned / name)), "") << name;
    fs::remove_all(warned);
    fs::remove_all(quiet);
}

TEST(Console, AConsoleThatCannotBeWrittenEndsTheRunWithStatusOne) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const fs::path dir = case_dir("console-full", beach_case("16.0"));
    const std::string command =
        "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' > /dev/full 2> console.err";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(read_file(dir / "console.err"),
              "tidmor: write failed on standard output (the console): No space left on device\n");
    fs::remove_all(dir);
}

// Starts the model in `dir` with stdout and stderr to files, waits until
// the console shows `periods` progress lines, sends `signal_number` and
// returns the exit status.
int interrupted_run(const fs::path& dir, int signal_number, int periods) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        const int out = ::open("console.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open("console.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execl(TIDMOR_EXECUTABLE, TIDMOR_EXECUTABLE, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const std::string console = read_file(dir / "console.out");
        int lines = 0;
        for (std::size_t at = console.find("Elapsed time:"); at != std::string::npos;
             at = console.find("Elapsed time:", at + 1))
            ++lines;
        if (lines >= periods || std::chrono::steady_clock::now() > give_up) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, signal_number);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

void expect_whole_lines(const fs::path& file, std::size_t width) {
    const std::string text = read_file(file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_EQ(text.back(), '\n') << file;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        ASSERT_EQ(end - start, width) << file << " at byte " << start;
        start = end + 1;
    }
}

TEST(Interrupt, SigtermKeepsEveryWholeLineWrittenAndSaysWhen) {
    // A run of a million seconds, stopped after twelve wave periods: the
    // profile record of the tenth is in "outb.dat" and "outs.dat".
    const fs::path dir = case_dir("sigterm", beach_case("1e6", "0 1"));
    EXPECT_EQ(interrupted_run(dir, SIGTERM, 12), 143);
    const std::string errors = read_file(dir / "console.err");
    EXPECT_EQ(errors.rfind("tidmor: run interrupted by SIGTERM at model time ", 0), 0u) << errors;
    EXPECT_NE(errors.find(" s (after step "), std::string::npos) << errors;
    EXPECT_NE(errors.find("; the result files hold every line written until then\n"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    expect_whole_lines(dir / "outb.dat", 52);
    expect_whole_lines(dir / "outs.dat", 36);
    EXPECT_EQ(read_file(dir / "console.out").find("SIMULATION HAS BEEN FINISHED!"), std::string::npos);
    fs::remove_all(dir);
}

TEST(Interrupt, SigintEndsWithStatus130) {
    const fs::path dir = case_dir("sigint", beach_case("1e6"));
    EXPECT_EQ(interrupted_run(dir, SIGINT, 1), 130);
    EXPECT_EQ(read_file(dir / "console.err").rfind("tidmor: run interrupted by SIGINT at model time ", 0), 0u);
    fs::remove_all(dir);
}

TEST(AquiferBreakdown, AStrongWellStopsTheRunWithStatusTwo) {
    // 0.01 m^2/s from a well 0.5 m under a water table 1 m high, in sand of
    // 1e-3 m/s: the first sweep pulls the water table through the bottom.
    const fs::path dir = case_dir("strong-well", beach_case("16.0", "1 0", "0.01"));
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors.rfind("tidmor: run stopped: the aquifer broke down (aquifer initialisation, sweep 1): "
                                  "water-table node ",
                                  0),
              0u)
        << result.errors;
    EXPECT_NE(result.errors.find("lies below the aquifer bottom (z = 0); likely cause: Q_WELL/K_HYD = 10 m too large "
                                 "for this aquifer, or the well too close to the boundary; reduce Q_WELL, move the "
                                 "well or raise K_HYD"),
              std::string::npos)
        << result.errors;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
