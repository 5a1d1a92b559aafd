#pragma once
// How a run is carried out, as set on the command line. None of these
// settings changes a result: the result files and the console are the same
// bits whatever they are.
#include <cstdint>
#include <string>

#include "model/aquifer_solver_settings.hpp"

namespace tidmor {

struct RunOptions : AquiferSolverSettings {
    // A progress line on stderr, rewritten in place (also when stderr is a terminal).
    bool progress = false;
    // A checkpoint at the end of every checkpoint_every-th wave period (0: none).
    std::uint64_t checkpoint_every = 0;
    // Go on from the case's checkpoint instead of starting afresh.
    bool restart = false;
    // For tests: stop after this step as if SIGTERM had come during it (0: never).
    std::uint64_t stop_after_step = 0;

    // With checkpoints on, a stop signal and SIGUSR1 write one too.
    bool checkpoints_on() const { return checkpoint_every > 0 || restart; }

    // The case folder as named on the command line (the program has entered
    // it); empty for the working directory. Messages then name it.
    std::string case_folder;
};

}  // namespace tidmor
