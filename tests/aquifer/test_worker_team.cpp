// The worker team: every part runs once per call, the blocks of a split
// cover the items exactly, the team survives many calls in a row, an
// exception of a part reaches the caller, and threads the system refuses
// leave a smaller team.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "aquifer/worker_team.hpp"

namespace tidmor {
namespace {

TEST(WorkerTeam, EachItemOfASplitIsDoneOnceInEveryCall) {
    for (int threads : {1, 2, 3}) {
        WorkerTeam team(threads);
        EXPECT_EQ(team.size(), threads);
        for (int n : {0, 1, 2, 5, 97}) {
            std::vector<int> done(static_cast<std::size_t>(n), 0);
            for (int call = 0; call < 200; ++call) {
                const auto job = [&](int part) {
                    int first, last;
                    part_range(n, part, threads, first, last);
                    for (int k = first; k < last; ++k) ++done[static_cast<std::size_t>(k)];
                };
                team.run(threads, job);
            }
            for (int k = 0; k < n; ++k) ASSERT_EQ(done[static_cast<std::size_t>(k)], 200) << threads << " " << n;
        }
    }
}

TEST(WorkerTeam, FewerPartsThanThreadsLeaveTheRestIdle) {
    WorkerTeam team(3);
    std::atomic<int> calls{0};
    const auto job = [&](int part) {
        EXPECT_LT(part, 2);
        ++calls;
    };
    for (int call = 0; call < 100; ++call) team.run(2, job);
    EXPECT_EQ(calls.load(), 200);
}

TEST(WorkerTeam, AnExceptionOfAPartReachesTheCallerOnceAllPartsAreDone) {
    WorkerTeam team(3);
    for (int failing : {0, 2}) {
        std::atomic<int> finished{0};
        const auto job = [&](int part) {
            if (part == failing) throw std::runtime_error("part " + std::to_string(part));
            ++finished;
        };
        try {
            team.run(3, job);
            FAIL() << "the exception of part " << failing << " was lost";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "part " + std::to_string(failing));
        }
        EXPECT_EQ(finished.load(), 2);
    }
    std::atomic<int> calls{0};
    team.run(3, [&](int) { ++calls; });
    EXPECT_EQ(calls.load(), 3);
}

// Address space in use now (kB), from /proc/self/status; 0 if unknown.
long address_space_kb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmSize:") return (status >> value) ? value : 0;
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

TEST(WorkerTeam, ThreadsTheSystemRefusesLeaveASmallerTeamThatStillCoversEveryItem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's reserved address space leaves no room for an address-space limit";
#else
    // In a child process: 64 MiB more address space than now cannot hold
    // the stacks of 64 threads (8 MiB each by default).
    const long in_use = address_space_kb();
    if (in_use == 0) GTEST_SKIP() << "no /proc/self/status here";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlim_t limit = static_cast<rlim_t>(in_use + 64 * 1024) * 1024;
        const rlimit address_space{limit, limit};
        if (::setrlimit(RLIMIT_AS, &address_space) != 0) ::_exit(10);
        WorkerTeam team(64);
        if (team.requested() != 64) ::_exit(11);
        if (team.size() >= 64 || team.size() < 1) ::_exit(12);
        if (team.shortfall() != "Resource temporarily unavailable") ::_exit(13);
        // One stack's worth is left to the run itself (the last worker was let go).
        if (::mmap(nullptr, 6u << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) == MAP_FAILED)
            ::_exit(15);
        std::vector<std::atomic<int>> done(1000);
        const int parts = team.size();
        team.run(parts, [&](int part) {
            int first, last;
            part_range(1000, part, parts, first, last);
            for (int k = first; k < last; ++k) ++done[static_cast<std::size_t>(k)];
        });
        for (const auto& d : done)
            if (d.load() != 1) ::_exit(14);
        ::_exit(0);
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << "10 no limit, 11 requested, 12 size, 13 reason, 14 items not covered";
#endif
}

TEST(WorkerTeam, BlocksDifferInSizeByAtMostOne) {
    int first, last, covered = 0;
    for (int part = 0; part < 3; ++part) {
        part_range(10, part, 3, first, last);
        EXPECT_EQ(first, covered);
        EXPECT_TRUE(last - first == 3 || last - first == 4);
        covered = last;
    }
    EXPECT_EQ(covered, 10);
}

}  // namespace
}  // namespace tidmor
