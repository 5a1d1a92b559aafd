#pragma once
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Aquifer time step: flow through the beach face on the wave grid.
void DINFIL_MODEL(Model& m, Units& units);

// From INFIL on the wave grid, the dimensionless flow INFIL_ND the swash
// takes and its rates of change over the step. DINFIL_MODEL ends with it;
// with the aquifer off, a flow set from outside the model is taken up the
// same way.
void infiltration_rates(Model& m);

}  // namespace tidmor
