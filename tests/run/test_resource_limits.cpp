// Runs short of memory or threads: a thread the system refuses means fewer
// threads and a warning, and any memory limit ends the run either normally,
// with the expected results, or with a "tidmor:" line and status 1 and
// result files of whole lines; never by std::terminate (status 134).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const fs::path COUPLED_BEACH = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "coupled_beach";
const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};

// Runs the coupled example in a fresh folder with at most `kilobytes` of
// address space; `-1` when the program was ended by a signal.
int run_with_address_space(const fs::path& dir, long kilobytes, const std::vector<const char*>& args) {
    fs::copy_file(COUPLED_BEACH / "SIM.FILE", dir / "SIM.FILE");
    fs::copy_file(COUPLED_BEACH / "beach.dat", dir / "beach.dat");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        if (!std::freopen("console.out", "w", stdout) || !std::freopen("console.err", "w", stderr)) ::_exit(127);
        const rlim_t bytes = static_cast<rlim_t>(kilobytes) * 1024;
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(127);
        std::vector<char*> argv{const_cast<char*>(TIDMOR_EXECUTABLE)};
        for (const char* a : args) argv.push_back(const_cast<char*>(a));
        argv.push_back(nullptr);
        ::execv(TIDMOR_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

void expect_expected_results(const fs::path& dir) {
    for (const char* name : RESULT_FILES)
        EXPECT_EQ(first_difference(read_file(COUPLED_BEACH / "expected" / name), read_file(dir / name)), "") << name;
    EXPECT_EQ(read_file(dir / "console.out"), read_file(COUPLED_BEACH / "expected" / "console.txt"));
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_SANITIZER() GTEST_SKIP() << "a sanitizer's reserved address space leaves no room for a limit"
#else
#define SKIP_UNDER_SANITIZER() (void)0
#endif

TEST(ResourceLimits, ThreadsTheSystemRefusesMeanFewerThreadsAndAWarning) {
    SKIP_UNDER_SANITIZER();
    // 300 MB of address space hold the model but not the stacks of 200 threads.
    const fs::path dir = make_scratch_dir("few-threads");
    EXPECT_EQ(run_with_address_space(dir, 300000, {"--threads", "200"}), 0);
    const std::string errors = read_file(dir / "console.err");
    EXPECT_EQ(errors.rfind("tidmor: warning: only ", 0), 0u) << errors;
    EXPECT_NE(errors.find(" of the 200 threads asked for the aquifer step could be started (Resource temporarily "
                          "unavailable): it runs on "),
              std::string::npos)
        << errors;
    const std::string end = ", with the same results\n";
    EXPECT_TRUE(errors.size() > end.size() && errors.compare(errors.size() - end.size(), end.size(), end) == 0)
        << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    expect_expected_results(dir);
    fs::remove_all(dir);
}

TEST(ResourceLimits, NoMemoryLimitEndsARunWithoutAMessageOrWithLinesCutShort) {
    SKIP_UNDER_SANITIZER();
    // From far too little for the model's state to enough for the whole
    // run; where in between the memory runs out depends on the build.
    int stopped = 0;
    for (long kilobytes : {20000L, 30000L, 40000L, 45000L, 60000L}) {
        const fs::path dir = make_scratch_dir("memory-limit");
        const int status = run_with_address_space(dir, kilobytes, {});
        const std::string errors = read_file(dir / "console.err");
        if (status == 0) {
            expect_expected_results(dir);
        } else {
            ++stopped;
            EXPECT_EQ(status, 1) << kilobytes << " kB: " << errors;
            const std::size_t last_line = errors.rfind('\n', errors.size() - 2);
            const std::string message = errors.substr(last_line == std::string::npos ? 0 : last_line + 1);
            EXPECT_EQ(message.rfind("tidmor: out of memory ", 0), 0u) << kilobytes << " kB: " << errors;
            EXPECT_NE(message.find("give the run more memory"), std::string::npos) << message;
            for (const char* name : RESULT_FILES) {
                const std::string text = read_file(dir / name);
                EXPECT_TRUE(text.empty() || text.back() == '\n') << kilobytes << " kB: " << name << " cut short";
            }
        }
        fs::remove_all(dir);
    }
    EXPECT_GT(stopped, 0) << "20 MB should not hold the model's state";
}

}  // namespace
}  // namespace tidmor
