#pragma once
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Aquifer time step: flow through the beach face on the wave grid.
void DINFIL_MODEL(Model& m, Units& units);

}  // namespace tidmor
