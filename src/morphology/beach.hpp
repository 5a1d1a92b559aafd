#pragma once
#include "model/model.hpp"

namespace tidmor {

// Updates the beach profile from the net transport of the wave period.
void BEACH(Model& m);

}  // namespace tidmor
