#pragma once
#include "model/model.hpp"

namespace tidmor {

// Phases a new bed slope into the wave model: counts the call in N_RAMP and,
// during the first SLOPE_RAMP_STEPS calls after a profile update, sets
// SLOPE_ND[1..N_GRID] to SLOPE_ND_BASE + N_RAMP * SLOPE_ND_INC / 20. From
// the 21st call on SLOPE_ND is left alone and N_RAMP stays at 21.
void slope_ramp(Model& m);

}  // namespace tidmor
