#pragma once
#include "model/model.hpp"

namespace tidmor {

// Seaward boundary (incident wave, outgoing characteristic) at node 1 and the
// moving shoreline at node N_SHORE. Called once per step by WAVE_MODEL.
void BOUND(Model& m);

}  // namespace tidmor
