#pragma once
#include "run/model.hpp"

namespace tidmor {

// Aquifer time step: flow through the beach face on the wave grid.
void DINFIL_MODEL(Model& m);

}  // namespace tidmor
