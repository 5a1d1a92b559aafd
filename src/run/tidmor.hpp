#pragma once
// The main program: start-up, the time loop and the end of a run.
#include <ostream>

#include "run/model.hpp"
#include "run/run_options.hpp"

namespace tidmor {

// One pass of the time loop: advances the clocks by the step the wave model
// chose, runs the aquifer (when on), the swash, the transport, the profile
// update and progress line at a wave-period boundary, and the output.
void time_step(Model& m);

// The console line of a wave-period boundary (75 characters with its
// leading blank): elapsed time, shoreline node, bed lowering there.
std::string progress_line(const Model& m);

// Runs the model in the working directory: reads "SIM.FILE" and the input
// data file it names, writes the four result files. Returns the exit status.
int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options = {});

}  // namespace tidmor
