#pragma once
#include "model/model.hpp"

namespace tidmor {

// Updates the beach profile from the net transport of the wave period.
void BEACH(Model& m);

// The slopes of the bed Z_BED, taken on the coarse stencil of every tenth
// node and interpolated between, and the ramp that phases them into the
// swash over the next steps. BEACH ends with it; a bed set from outside
// the model (a coupled model's) is taken up the same way.
void bed_slopes(Model& m);

}  // namespace tidmor
