// The program as a user starts it: --help, --version, bad arguments, a case
// run from elsewhere, and the progress line on a terminal or on request.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const fs::path PLANE_BEACH = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "plane_beach";
const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};

// Runs `tidmor ARGS` with `dir` as working folder; stdout and stderr go to
// files outside it, so the folder sees only what the program itself does.
RunResult run_program(const fs::path& dir, const std::string& args) {
    const fs::path out = make_scratch_dir("streams");
    const std::string command = "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' " + args + " > '" +
                                (out / "stdout").string() + "' 2> '" + (out / "stderr").string() + "'";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.console = read_file(out / "stdout");
    result.errors = read_file(out / "stderr");
    fs::remove_all(out);
    return result;
}

// Every file of a folder and its bytes.
std::map<std::string, std::string> folder_contents(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), dir).string()] = read_file(entry.path());
    return files;
}

// A copy of the plane-beach example with the results of an earlier run.
fs::path case_with_earlier_results(const std::string& label) {
    const fs::path dir = make_scratch_dir(label);
    fs::copy_file(PLANE_BEACH / "SIM.FILE", dir / "SIM.FILE");
    fs::copy_file(PLANE_BEACH / "beach.dat", dir / "beach.dat");
    for (const char* name : RESULT_FILES) write_file(dir / name, "earlier run\n");
    return dir;
}

void expect_expected_results(const fs::path& dir, const RunResult& result) {
    const fs::path expected = PLANE_BEACH / "expected";
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(first_difference(read_file(expected / "console.txt"), result.console), "") << "console";
    for (const char* name : RESULT_FILES)
        EXPECT_EQ(first_difference(read_file(expected / name), read_file(dir / name)), "") << name;
}

TEST(ProgramUse, HelpVersionAndBadArgumentsReadAndWriteNothing) {
    const fs::path dir = case_with_earlier_results("untouched");
    const auto before = folder_contents(dir);
    const std::vector<std::string> stopping = {"--help", "--version", "--version ."};
    for (const auto& args : stopping) {
        const RunResult result = run_program(dir, args);
        EXPECT_EQ(result.status, 0) << args;
        EXPECT_FALSE(result.console.empty()) << args;
        EXPECT_EQ(result.errors, "") << args;
        EXPECT_EQ(folder_contents(dir), before) << args;
    }
    EXPECT_NE(run_program(dir, "--help").console.find("Usage: tidmor"), std::string::npos);
    EXPECT_EQ(run_program(dir, "--version").console.rfind("tidmor ", 0), 0u);

    const std::vector<std::string> refused = {"--bogus", "-x", "--threads", "--threads -2", "--cache-mb lots",
                                              ". .", "-C", "--progress=1", "--help --bogus"};
    for (const auto& args : refused) {
        const RunResult result = run_program(dir, args);
        EXPECT_EQ(result.status, 1) << args;
        EXPECT_EQ(result.console, "") << args;
        EXPECT_NE(result.errors.find("Usage: tidmor"), std::string::npos) << args << ": " << result.errors;
        EXPECT_EQ(folder_contents(dir), before) << args;
    }
    fs::remove_all(dir);
}

TEST(ProgramUse, RunsACaseFromElsewhereByOptionOrByName) {
    const fs::path elsewhere = make_scratch_dir("elsewhere");
    for (const std::string how : {"-C ", ""}) {
        const fs::path dir = case_with_earlier_results("from-elsewhere");
        const RunResult result = run_program(elsewhere, how + "'" + dir.string() + "'");
        // stderr is a file here: no progress line, nothing at all on it.
        EXPECT_EQ(result.errors, "") << how;
        expect_expected_results(dir, result);
        fs::remove_all(dir);
    }
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing is written where the program was started";
    fs::remove_all(elsewhere);
}

TEST(ProgramUse, HelpAndVersionOnAConsoleThatCannotBeWrittenAreStatusOne) {
    for (const std::string args : {"--help", "--version"}) {
        const fs::path out = make_scratch_dir("full-console");
        const std::string command =
            "'" TIDMOR_EXECUTABLE "' " + args + " > /dev/full 2> '" + (out / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << args;
        EXPECT_EQ(read_file(out / "stderr"),
                  "tidmor: write failed on standard output (the console): No space left on device\n")
            << args;
        fs::remove_all(out);
    }
}

TEST(ProgramUse, MessagesAfterACaseFolderNameIt) {
    const fs::path elsewhere = make_scratch_dir("named-case");
    fs::create_directory(elsewhere / "empty_case");
    for (const std::string how : {"-C ", ""}) {
        const RunResult result = run_program(elsewhere, how + "empty_case");
        EXPECT_EQ(result.status, 1) << how;
        EXPECT_EQ(result.errors,
                  "tidmor: case folder \"empty_case\": control file \"SIM.FILE\": cannot be opened (it must exist in "
                  "the case folder): No such file or directory\n")
            << how;
    }
    // Without a folder the case is the working directory, and said so.
    const RunResult here = run_program(elsewhere / "empty_case", "");
    EXPECT_EQ(here.errors,
              "tidmor: control file \"SIM.FILE\": cannot be opened (it must exist in the working directory): No such "
              "file or directory\n");
    fs::remove_all(elsewhere);
}

TEST(ProgramUse, AMissingCaseFolderIsNamedAndIsStatusOne) {
    const fs::path elsewhere = make_scratch_dir("missing-case");
    const RunResult result = run_program(elsewhere, "-C no-such-case");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("\"no-such-case\""), std::string::npos) << result.errors;
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(elsewhere);
}

// The period part of the progress line shows the count of the periods and
// the time left; the carriage returns rewrite it in place.
void expect_progress_line(const std::string& err) {
    EXPECT_NE(err.find("\rperiod 1 of 41, t = "), std::string::npos) << err.substr(0, 300);
    EXPECT_NE(err.find("\rperiod 41 of 41, t = "), std::string::npos);
    EXPECT_NE(err.find(", left ~"), std::string::npos);
    EXPECT_EQ(err.find('\n'), std::string::npos) << "the line is rewritten, never ended";
    // Cleared at the end: blanks over the line and the cursor back at its start.
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), '\r');
}

TEST(ProgramUse, ProgressOnRequestLeavesConsoleAndResultsUnchanged) {
    const fs::path dir = case_with_earlier_results("progress");
    const RunResult result = run_program(dir, "--progress");
    expect_expected_results(dir, result);
    expect_progress_line(result.errors);
    fs::remove_all(dir);
}

TEST(ProgramUse, ProgressLineAppearsWhenStderrIsATerminal) {
    const fs::path dir = case_with_earlier_results("terminal");
    const fs::path console = dir.parent_path() / (dir.filename().string() + ".console");
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    // A container without pseudo-terminals: the --progress test covers the line.
    if (child < 0) GTEST_SKIP() << "no pseudo-terminal: " << std::strerror(errno);
    if (child == 0) {
        // stdout to a file, stderr stays the terminal.
        const int out = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::chdir(dir.c_str()) != 0) ::_exit(127);
        ::execl(TIDMOR_EXECUTABLE, "tidmor", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string terminal;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            terminal.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the program has closed the terminal
        }
    }
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ::close(master);
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.console = read_file(console);
    expect_expected_results(dir, result);
    expect_progress_line(terminal);
    fs::remove(console);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
