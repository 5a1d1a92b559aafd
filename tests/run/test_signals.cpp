// Signals and a console that goes away: SIGHUP and SIGXCPU stop a run like
// SIGTERM, SIGKILL leaves whole blocks, an inherited "ignore" stays, a
// console nobody reads any more
// ends the run as a failed write, and a signal ends a write that waits on
// a full console pipe.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
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

// Waves of 0.5 m and 8 s on a beach of slope 0.1 for `t_max` seconds;
// `switches` are I_INFIL and I_MORPH.
fs::path beach_case(const std::string& label, const std::string& t_max, const std::string& switches) {
    const fs::path dir = make_scratch_dir(label);
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat", "0.5 8.0\n0.1 0.001 1.0 1.0 20.0\n0.0 15.0 0.5\n" + t_max + " 50\n" + switches +
                                      "\n0.01 0.6 0.5 0.63\n0.0141 0.01 0.5\n0.5\n");
    return dir;
}

// Starts the model in `dir`, standard output to `out_fd` (or "console.out"
// when -1) and standard error to "console.err"; `ignored` is set to
// "ignore" before the program starts, as a shell does for a background job.
pid_t start_model(const fs::path& dir, int out_fd = -1, int ignored = 0) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        const int out = out_fd >= 0 ? out_fd : ::open("console.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open("console.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (ignored != 0) ::signal(ignored, SIG_IGN);
        ::execl(TIDMOR_EXECUTABLE, TIDMOR_EXECUTABLE, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

int progress_lines(const fs::path& dir) {
    const std::string console = read_file(dir / "console.out");
    int lines = 0;
    for (std::size_t at = console.find("Elapsed time:"); at != std::string::npos; at = console.find("Elapsed time:", at + 1))
        ++lines;
    return lines;
}

void wait_for_periods(const fs::path& dir, int periods) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (progress_lines(dir) < periods && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// The exit status, or -1 after `seconds` (the program is then killed) or
// when it ended by a signal.
int exit_status_within(pid_t pid, int seconds) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int raw = 0;
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > give_up) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Every line of the file `width` characters, the last one ended.
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

struct StopSignal {
    int number;
    int status;
    const char* name;
};

class StopSignals : public ::testing::TestWithParam<StopSignal> {};

TEST_P(StopSignals, EndTheRunWithTheirStatusAndWholeLines) {
    const StopSignal stop = GetParam();
    const fs::path dir = beach_case(std::string("stop-") + stop.name, "1e6", "0 1");
    const pid_t pid = start_model(dir);
    wait_for_periods(dir, 11);
    ::kill(pid, stop.number);
    EXPECT_EQ(exit_status_within(pid, 60), stop.status);
    const std::string errors = read_file(dir / "console.err");
    EXPECT_EQ(errors.rfind(std::string("tidmor: run interrupted by ") + stop.name + " at model time ", 0), 0u)
        << errors;
    EXPECT_NE(errors.find("; the result files hold every line written until then\n"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    expect_whole_lines(dir / "outb.dat", 52);
    expect_whole_lines(dir / "outs.dat", 36);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(HangupAndCpuLimit, StopSignals,
                         ::testing::Values(StopSignal{SIGHUP, 129, "SIGHUP"}, StopSignal{SIGXCPU, 152, "SIGXCPU"}),
                         [](const ::testing::TestParamInfo<StopSignal>& info) { return std::string(info.param.name); });

TEST(Signals, SigkillLeavesTheStartUpBlocksAndWholeRecords) {
    // Nothing runs at a SIGKILL: what is in the files was flushed before.
    const fs::path dir = beach_case("sigkill", "1e6", "1 1");
    const pid_t pid = start_model(dir);
    wait_for_periods(dir, 11);
    ::kill(pid, SIGKILL);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(WIFSIGNALED(raw));
    expect_whole_lines(dir / "outb.dat", 52);
    expect_whole_lines(dir / "outs.dat", 36);
    expect_whole_lines(dir / "outg.dat", 65);  // the start-up blocks, fields of 13
    fs::remove_all(dir);
}

TEST(Signals, AnInheritedIgnoreStaysIgnored) {
    // A background job of a script starts with SIGINT ignored: Ctrl-C aimed
    // at the script must not stop the run; SIGTERM still does.
    const fs::path dir = beach_case("ignored-sigint", "1e6", "0 0");
    const pid_t pid = start_model(dir, -1, SIGINT);
    wait_for_periods(dir, 1);
    ::kill(pid, SIGINT);
    const int periods = progress_lines(dir);
    wait_for_periods(dir, periods + 3);
    int raw = 0;
    EXPECT_EQ(::waitpid(pid, &raw, WNOHANG), 0) << "SIGINT stopped a run that was started with it ignored";
    ::kill(pid, SIGTERM);
    EXPECT_EQ(exit_status_within(pid, 60), 143);
    fs::remove_all(dir);
}

TEST(Console, AConsoleNobodyReadsEndsTheRunAsAFailedWriteWithWholeLines) {
    // `tidmor | head -1`: the reader has gone when the first line is
    // flushed. SIGPIPE is ignored, so the write fails with EPIPE.
    const fs::path dir = beach_case("closed-pipe", "16.0", "1 0");
    int pipe_ends[2];
    ASSERT_EQ(::pipe2(pipe_ends, O_CLOEXEC), 0);  // the program holds only the write end
    const pid_t pid = start_model(dir, pipe_ends[1]);
    ::close(pipe_ends[1]);
    ::close(pipe_ends[0]);
    EXPECT_EQ(exit_status_within(pid, 60), 1);
    EXPECT_EQ(read_file(dir / "console.err"), "tidmor: write failed on standard output (the console): Broken pipe\n");
    // The start-up blocks of "outg.dat" (fields of 13) were flushed before
    // the console failed, then whole snapshots (fields of 12).
    const std::string outg = read_file(dir / "outg.dat");
    ASSERT_FALSE(outg.empty());
    EXPECT_EQ(outg.back(), '\n');
    EXPECT_EQ(outg.find('\n'), 65u);
    std::size_t start = 0;
    for (std::size_t end = outg.find('\n'); end != std::string::npos; end = outg.find('\n', start)) {
        ASSERT_TRUE(end - start == 65 || end - start == 60) << "outg.dat at byte " << start;
        start = end + 1;
    }
    fs::remove_all(dir);
}

TEST(Console, ASignalEndsAWriteThatWaitsOnAFullConsolePipe) {
    // A console pipe that nobody reads fills up and the write waits. The
    // handlers do not restart system calls, so SIGTERM ends the wait.
    const fs::path dir = beach_case("full-pipe", "1e6", "0 0");
    int pipe_ends[2];
    ASSERT_EQ(::pipe2(pipe_ends, O_CLOEXEC), 0);  // the program holds only the write end
    const int capacity = ::fcntl(pipe_ends[1], F_SETPIPE_SZ, 4096);
    if (capacity < 0) GTEST_SKIP() << "the pipe's size cannot be set here";
    const pid_t pid = start_model(dir, pipe_ends[1]);
    ::close(pipe_ends[1]);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    // Full: less room left than one console line (75 bytes), which a pipe
    // takes whole or not at all.
    int queued = 0;
    while (queued + 75 <= capacity && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::ioctl(pipe_ends[0], FIONREAD, &queued);
    }
    ASSERT_GT(queued + 75, capacity) << "the console pipe never filled";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the program is now waiting in write
    ::kill(pid, SIGTERM);
    EXPECT_EQ(exit_status_within(pid, 30), 143);
    ::close(pipe_ends[0]);
    EXPECT_EQ(read_file(dir / "console.err"),
              "tidmor: run interrupted by SIGTERM while writing to the console; the result files hold every line "
              "written until then\n");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
