#pragma once
// How the aquifer boundary systems are solved. None of these settings
// changes a result: every choice gives the same bits.
#include <cstddef>

#include "common/vector_path.hpp"

namespace tidmor {

struct AquiferSolverSettings {
    // Worker threads of the aquifer step: 0 = one per core, 1 = the sequential path.
    int threads = 0;
    // Memory bound of the cache of aquifer boundary systems (bytes).
    std::size_t cache_bytes = std::size_t{256} << 20;
    // Reuse of a cached aquifer boundary system when the geometry repeats.
    bool reuse = true;
    // Instruction set of the aquifer's vector kernels (BEST: the widest this
    // machine runs; a path it does not run is taken as the scalar one).
    VectorPath vector_path = VectorPath::BEST;
};

}  // namespace tidmor
