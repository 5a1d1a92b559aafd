#pragma once
#include "model/model.hpp"

namespace tidmor {

// One step of the shallow-water scheme over the wet nodes 1..N_SHORE.
void WAVE_MODEL(Model& m);

}  // namespace tidmor
