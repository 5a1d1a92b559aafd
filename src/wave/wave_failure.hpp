#pragma once
// Stop of the run when the wave step cannot go on: too few wet nodes for
// the stencils, a shoreline at the end of the grid, a non-finite solution.
#include <string>

#include "model/model.hpp"

namespace tidmor {

// Throws numerical_failure with "<what> at node <node> (TIME = <s> s, step
// <N_STEP>)".
[[noreturn]] void wave_failure(const Model& m, const std::string& what, int node);

}  // namespace tidmor
