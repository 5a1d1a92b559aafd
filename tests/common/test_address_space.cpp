// The address space left under a limit: the limit less what is mapped.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <vector>

#include "common/address_space.hpp"

namespace tidmor {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_SANITIZER() GTEST_SKIP() << "a sanitizer's reserved address space leaves no room for a limit"
#else
#define SKIP_UNDER_SANITIZER() (void)0
#endif

TEST(AddressSpace, UnderALimitWhatIsLeftShrinksAsMemoryIsMapped) {
    SKIP_UNDER_SANITIZER();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The limit 64 MB above what the child maps now.
        const std::size_t before = address_space_left();
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        std::ifstream statm("/proc/self/statm");
        unsigned long long pages = 0;
        statm >> pages;
        const unsigned long long mapped = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
        limit.rlim_cur = mapped + (64ull << 20);
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(10);
        const std::size_t left = address_space_left();
        if (left > (64u << 20) || left < (60u << 20)) _exit(11);
        std::vector<char> block(16u << 20, 1);  // 16 MB more mapped
        const std::size_t after = address_space_left();
        if (after > left - (16u << 20) || after < left - (20u << 20)) _exit(12);
        _exit(before == SIZE_MAX || before > left ? 0 : 13);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: limit not set, 11: left after the limit, 12: after mapping 16 MB, "
                                         "13: left without the limit";
}

}  // namespace
}  // namespace tidmor
