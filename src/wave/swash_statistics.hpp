#pragma once
#include "model/model.hpp"

namespace tidmor {

// Run-up and run-down of the wave period. At the step that closes a period
// (T_CYCLE >= T_WAVE): X_UP = (N_UP - 1) DX, X_DOWN = (N_DOWN - 1) DX, and
// SLOPE_SWASH the mean of SLOPE over N_DOWN..N_UP (0 when that range is
// empty, as it is in a period without run-down node); then N_UP = 0 and
// N_DOWN = N_GRID. In every step N_UP then takes N_SHORE if that is higher.
// N_DOWN is lowered by the final pass of the step.
void swash_statistics(Model& m);

}  // namespace tidmor
