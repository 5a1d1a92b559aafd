#pragma once
// How a run is carried out, as set on the command line. None of these
// settings changes a result: the result files and the console are the same
// bits whatever they are.
#include <cstddef>

namespace tidmor {

struct RunOptions {
    // A progress line on stderr, rewritten in place (also when stderr is a terminal).
    bool progress = false;
    // Worker threads of the aquifer step: 0 = one per core, 1 = the sequential path.
    int threads = 0;
    // Memory bound of the cache of aquifer boundary systems (bytes).
    std::size_t cache_bytes = std::size_t{256} << 20;
    // Reuse of a cached aquifer boundary system when the geometry repeats.
    bool reuse = true;
};

}  // namespace tidmor
