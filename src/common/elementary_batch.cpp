#include "common/elementary_batch.hpp"

#include "common/elementary.hpp"
#include "common/elementary_log_lanes.hpp"

namespace tidmor {

int cr_log_batch(VectorPath path, const double* x, double* y, int count) {
    path = resolved(path);
    if (!vector_path_runs_here(path)) path = VectorPath::SCALAR;
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return fast::log_batch_sse2(x, y, count);
        case VectorPath::AVX2: return fast::log_batch_avx2(x, y, count);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return fast::log_batch_neon(x, y, count);
#endif
        default: break;
    }
    for (int i = 0; i < count; ++i) y[i] = cr_log(x[i]);
    return count;
}

}  // namespace tidmor
