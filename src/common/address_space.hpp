#pragma once
// How much more address space this process may map under its limit
// (ulimit -v, RLIMIT_AS): the limit less what is mapped now.
#include <cstddef>

namespace tidmor {

// SIZE_MAX when no limit is set or what is mapped cannot be read; 0 when
// the process already maps its limit.
std::size_t address_space_left();

}  // namespace tidmor
