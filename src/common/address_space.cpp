#include "common/address_space.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>

namespace tidmor {

std::size_t address_space_left() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    // The first field of statm is the whole mapped size, in pages.
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    if (!(statm >> pages)) return SIZE_MAX;
    const long page = sysconf(_SC_PAGESIZE);
    if (page <= 0) return SIZE_MAX;
    const unsigned long long mapped = pages * static_cast<unsigned long long>(page);
    const unsigned long long cap = limit.rlim_cur;
    return mapped >= cap ? 0 : static_cast<std::size_t>(cap - mapped);
}

}  // namespace tidmor
