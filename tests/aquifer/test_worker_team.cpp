// The worker team: every part runs once per call, the blocks of a split
// cover the items exactly, and the team survives many calls in a row.
#include <gtest/gtest.h>

#include <atomic>
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
