#pragma once
// Plausibility of the aquifer boundary after a solve.
//
// A well that is too strong or too close to the boundary, or a conductivity
// so small that the well's drawdown dwarfs the aquifer, drives the water
// table through the bottom or out of the domain, and the heads to absurd or
// non-finite values. Nothing computed from such a boundary means anything,
// so the run stops there (status 2) instead of writing it.
#include <string>

#include "model/model.hpp"

namespace tidmor {

// Empty when every node's position, head and normal derivative is finite
// and every water-table node lies inside the aquifer (0 <= z, 0 <= x <=
// X_LAND); otherwise the first offending node and what is wrong with it.
std::string aquifer_breakdown(const Model& m);

// The likely cause of a broken-down aquifer, naming what to change: with a
// well "Q_WELL/K_HYD = 0.08 m too large for this aquifer, or the well too
// close to the boundary; reduce Q_WELL, move the well or raise K_HYD";
// without one "K_HYD = 1e-09 m/s too small; raise K_HYD".
std::string well_or_conductivity_hint(const Model& m);

// Stops the run when aquifer_breakdown finds a fault; `when` says at which
// point of the run ("aquifer initialisation, sweep 3").
void check_aquifer_state(const Model& m, const std::string& when);

}  // namespace tidmor
