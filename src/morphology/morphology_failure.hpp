#pragma once
// Stop of the run when a transport sum or the bed becomes non-finite, as a
// mean slope of exactly TAN_PHI (a zero denominator of the energetics rate)
// or a grid spacing of 0 makes it.
#include <string>

namespace tidmor {

// Throws numerical_failure naming the quantity, the node, the value and the
// model time (s).
[[noreturn]] void non_finite_failure(const std::string& quantity, int node, double value, double time);

}  // namespace tidmor
