#pragma once
// The main program: a Simulation (api/simulation.hpp) of the case in the
// working directory, stepped to T_MAX with the signal handlers installed,
// the progress line, and the message and exit status of a failure.
#include <cstddef>
#include <cstdint>
#include <ostream>

#include "api/time_step.hpp"
#include "run/run_options.hpp"

namespace tidmor {

// Runs the model in the working directory: reads "SIM.FILE" and the input
// data file it names, writes the four result files. Returns the exit status.
int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options = {});

// How the run's aquifer solves went, for benchmarks and tests.
struct AquiferSolveCounts {
    std::uint64_t hits = 0, misses = 0, plain = 0;  // solves by path (AquiferSolver)
    std::uint64_t ahead = 0;                        // first uses of geometries solved ahead
    std::size_t cache_entries = 0;                  // geometries held at the end
    std::size_t cache_bytes = 0;                    // their memory at the end
    std::size_t cache_peak_bytes = 0;               // the most the cache held
};

// The same run, reporting its aquifer solves into counts.
int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options, AquiferSolveCounts& counts);

}  // namespace tidmor
