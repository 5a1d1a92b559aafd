#pragma once
// How a run is carried out, as set on the command line. None of these
// settings changes a result: the result files and the console are the same
// bits whatever they are.
#include <string>

#include "model/aquifer_solver_settings.hpp"

namespace tidmor {

struct RunOptions : AquiferSolverSettings {
    // A progress line on stderr, rewritten in place (also when stderr is a terminal).
    bool progress = false;
    // The case folder as named on the command line (the program has entered
    // it); empty for the working directory. Messages then name it.
    std::string case_folder;
};

}  // namespace tidmor
