#pragma once
#include "run/model.hpp"

namespace tidmor {

// Writes the aquifer boundary as initialised to "outg.dat".
void OUTPUT_INI(Model& m);
// Snapshots, profile and swash records, and the closing of a wave period.
void OUTPUT(Model& m);

}  // namespace tidmor
