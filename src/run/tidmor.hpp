#pragma once
// The main program: start-up, the time loop and the end of a run.
#include <cstddef>
#include <cstdint>
#include <ostream>

#include "common/units.hpp"
#include "model/model.hpp"
#include "run/run_options.hpp"

namespace tidmor {

// One pass of the time loop: advances the clocks by the step the wave model
// chose, runs the aquifer (when on), the swash, the transport, the profile
// update and its console line at a wave-period boundary, and the output.
// Returns whether the step closed a wave period.
bool time_step(Model& m, Units& units);

// The console line of a wave-period boundary (75 characters with its
// leading blank): elapsed time, shoreline node, bed lowering there.
std::string progress_line(const Model& m);

// Runs the model in the working directory: reads "SIM.FILE" and the input
// data file it names, writes the four result files. Returns the exit status.
int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options = {});

// How the run's aquifer solves went, for benchmarks and tests.
struct AquiferSolveCounts {
    std::uint64_t hits = 0, misses = 0, plain = 0;  // solves by path (AquiferSolver)
    std::size_t cache_entries = 0;                  // geometries held at the end
    std::size_t cache_bytes = 0;                    // their memory at the end
    std::size_t cache_peak_bytes = 0;               // the most the cache held
};

// The same run, reporting its aquifer solves into counts.
int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options, AquiferSolveCounts& counts);

}  // namespace tidmor
