#pragma once
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Field widths (characters, 6 decimals each) of the aquifer boundary in
// "outg.dat": the start-up blocks, and the snapshots of the time steps.
inline constexpr int AQUIFER_INI_WIDTH = 13;
inline constexpr int AQUIFER_WIDTH = 12;

// Whether the step just taken is a snapshot step: in the last four wave
// periods (TIME > T_MAX - 4 T_WAVE) and N_STEP a whole multiple of N_OUT.
bool snapshot_due(const Model& m);

// Writes the aquifer boundary as initialised to "outg.dat".
void OUTPUT_INI(const Model& m, Units& units);
// Snapshots, profile and swash records, and the closing of a wave period.
void OUTPUT(Model& m, Units& units);

}  // namespace tidmor
