#pragma once
// One pass of the time loop, shared by the in-process interface and,
// through it, the program.
#include <string>

#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Advances the clocks by the step the wave model chose, runs the aquifer
// (when on), the swash, the transport, the profile update and its console
// line at a wave-period boundary, and the output. With the aquifer off and
// `infiltration_given`, the flow through the bed held in INFIL (set from
// outside the model) is taken up where the aquifer's would be. Returns
// whether the step closed a wave period.
bool time_step(Model& m, Units& units, bool infiltration_given = false);

// The console line of a wave-period boundary (75 characters with its
// leading blank): elapsed time, shoreline node, bed lowering there.
std::string progress_line(const Model& m);

}  // namespace tidmor
