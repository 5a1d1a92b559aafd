#include "aquifer/aquifer_solver.hpp"

#include <omp.h>

namespace tidmor {

void AquiferSolver::configure(const RunOptions& options) {
    threads = options.threads > 0 ? options.threads : omp_get_num_procs();
    if (threads < 1) threads = 1;
    reuse = options.reuse;
    cache.clear();
    cache.set_capacity(options.cache_bytes);
    factor.assign(Matrix1000::LEADING_DIMENSION, 0.0);
    rhs.assign(Matrix1000::LEADING_DIMENSION, 0.0);
    hits = misses = plain = 0;
}

}  // namespace tidmor
