#pragma once
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Writes the aquifer boundary as initialised to "outg.dat".
void OUTPUT_INI(const Model& m, Units& units);
// Snapshots, profile and swash records, and the closing of a wave period.
void OUTPUT(Model& m, Units& units);

}  // namespace tidmor
