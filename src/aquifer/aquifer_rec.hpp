#pragma once
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Rebuilds the aquifer boundary from the reference mesh for the present
// shoreline, bed and water depth.
void AQUIFER_REC(Model& m, Units& units);

}  // namespace tidmor
