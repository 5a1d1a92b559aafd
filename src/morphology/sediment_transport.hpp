#pragma once
#include "model/model.hpp"

namespace tidmor {

// Adds this step's sediment transport to the per-period sums QS_ON, QS_OFF.
void SEDIMENT_TRANSPORT(Model& m);

}  // namespace tidmor
