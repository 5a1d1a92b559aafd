// Files that are not regular files: a FIFO, a device or a socket as the
// control file, the input data file or a result file is refused at once
// (opening a FIFO would wait for a writer or a reader), /dev/null may stand
// in for a result file, and a write that fails on a result file (here past
// the file-size limit) ends the run at the end of that block.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};
const fs::path PLANE_BEACH = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "plane_beach";

fs::path plane_beach_copy(const std::string& label) {
    const fs::path dir = make_scratch_dir(label);
    fs::copy_file(PLANE_BEACH / "SIM.FILE", dir / "SIM.FILE");
    fs::copy_file(PLANE_BEACH / "beach.dat", dir / "beach.dat");
    return dir;
}

void write_earlier_results(const fs::path& dir) {
    for (const char* name : RESULT_FILES)
        if (!fs::exists(dir / name) && !fs::is_symlink(dir / name)) write_file(dir / name, "earlier run\n");
}

void expect_earlier_results(const fs::path& dir, const char* except) {
    for (const char* name : RESULT_FILES) {
        if (std::string(name) == except) continue;
        EXPECT_EQ(read_file(dir / name), "earlier run\n") << name;
    }
}

TEST(SpecialFiles, AFifoAsControlOrInputDataFileIsRefusedWithoutWaiting) {
    // Nobody writes to the FIFOs: a program that opened one would wait for ever.
    fs::path dir = plane_beach_copy("fifo-input");
    fs::remove(dir / "beach.dat");
    ASSERT_EQ(::mkfifo((dir / "beach.dat").c_str(), 0644), 0);
    write_earlier_results(dir);
    RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: the input data file \"beach.dat\" named in \"SIM.FILE\" is a FIFO (named pipe), not a regular "
              "file; the program reads its input only from regular files\n");
    expect_earlier_results(dir, "");
    fs::remove_all(dir);

    dir = plane_beach_copy("fifo-control");
    fs::remove(dir / "SIM.FILE");
    ASSERT_EQ(::mkfifo((dir / "SIM.FILE").c_str(), 0644), 0);
    result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: control file \"SIM.FILE\": is a FIFO (named pipe), not a regular file; the program reads its "
              "input only from regular files\n");
    EXPECT_FALSE(fs::exists(dir / "outw.dat"));
    fs::remove_all(dir);
}

TEST(SpecialFiles, ADeviceAsInputDataFileIsRefused) {
    if (!fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero here";
    const fs::path dir = plane_beach_copy("device-input");
    fs::remove(dir / "beach.dat");
    fs::create_symlink("/dev/zero", dir / "beach.dat");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: the input data file \"beach.dat\" named in \"SIM.FILE\" is a character device, not a regular "
              "file; the program reads its input only from regular files\n");
    fs::remove_all(dir);
}

TEST(SpecialFiles, AFifoOrSocketAsResultFileIsRefusedBeforeAnyResultChanges) {
    fs::path dir = plane_beach_copy("fifo-result");
    ASSERT_EQ(::mkfifo((dir / "outs.dat").c_str(), 0644), 0);
    write_earlier_results(dir);
    RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "tidmor: the result file \"outs.dat\" is a FIFO (named pipe), not a regular file: remove it or run the "
              "case in another folder (only /dev/null may stand in for a result file); no earlier result file has "
              "been changed\n");
    expect_earlier_results(dir, "outs.dat");
    fs::remove_all(dir);

    // A socket, by a name short enough for a socket address.
    dir = make_scratch_dir("sock");
    fs::copy_file(PLANE_BEACH / "SIM.FILE", dir / "SIM.FILE");
    fs::copy_file(PLANE_BEACH / "beach.dat", dir / "beach.dat");
    const int socket_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (dir / "outw.dat").string();
    if (socket_fd < 0 || path.size() >= sizeof address.sun_path) GTEST_SKIP() << "no socket here";
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(socket_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    result = run_model_in(dir);
    ::close(socket_fd);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("the result file \"outw.dat\" is a socket, not a regular file"), std::string::npos)
        << result.errors;
    EXPECT_FALSE(fs::exists(dir / "outb.dat"));
    fs::remove_all(dir);
}

TEST(SpecialFiles, ADeviceOtherThanDevNullAsResultFileIsRefused) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const fs::path dir = plane_beach_copy("device-result");
    fs::create_symlink("/dev/full", dir / "outg.dat");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors.rfind("tidmor: the result file \"outg.dat\" is a character device, not a regular file", 0),
              0u)
        << result.errors;
    EXPECT_FALSE(fs::exists(dir / "outw.dat"));
    fs::remove_all(dir);
}

TEST(SpecialFiles, DevNullMayStandInForAResultFile) {
    if (!fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/null here";
    const fs::path dir = plane_beach_copy("dev-null-result");
    fs::create_symlink("/dev/null", dir / "outw.dat");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));  // not emptied, not replaced
    for (const char* name : {"outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(first_difference(read_file(PLANE_BEACH / "expected" / name), read_file(dir / name)), "") << name;
    fs::remove_all(dir);
}

TEST(ResultFiles, AWriteFailureEndsTheRunAtTheEndOfItsBlock) {
    // Past a file-size limit of 1000 bytes a write fails (EFBIG; SIGXFSZ is
    // ignored). The first profile record, at the tenth wave period of a run
    // of a million seconds, is longer: the run ends there.
    const fs::path dir = make_scratch_dir("file-size-limit");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat",
               "0.5 8.0\n0.1 0.001 1.0 1.0 20.0\n0.0 15.0 0.5\n1e6 50\n0 1\n0.01 0.6 0.5 0.63\n0.0141 0.01 0.5\n0.5\n");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        if (!std::freopen("console.out", "w", stdout) || !std::freopen("console.err", "w", stderr)) ::_exit(127);
        const rlimit limit{1000, 1000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
        ::execl(TIDMOR_EXECUTABLE, TIDMOR_EXECUTABLE, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(read_file(dir / "console.err"),
              "tidmor: write failed on the result file \"outb.dat\": File too large\n");
    const std::string console = read_file(dir / "console.out");
    std::size_t periods = 0;
    for (std::size_t at = console.find("Elapsed time:"); at != std::string::npos; at = console.find("Elapsed time:", at + 1))
        ++periods;
    EXPECT_EQ(periods, 10u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
