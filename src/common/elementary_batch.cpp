#include "common/elementary_batch.hpp"

#include "common/elementary.hpp"
#include "common/elementary_log_lanes.hpp"

namespace tidmor {

namespace {

using LaneStep = unsigned (*)(const double*, double*);

// The arguments in groups of `lanes` (the last one padded with 2.0, whose
// result is dropped); an undecided lane through cr_log.
int in_lanes(LaneStep step, int lanes, const double* x, double* y, int count) {
    int handed_over = 0;
    for (int i = 0; i < count; i += lanes) {
        double in[4], out[4];
        const int here = count - i < lanes ? count - i : lanes;
        for (int l = 0; l < lanes; ++l) in[l] = l < here ? x[i + l] : 2.0;
        const unsigned decided = step(in, out);
        for (int l = 0; l < here; ++l) {
            if (decided >> l & 1u) {
                y[i + l] = out[l];
            } else {
                y[i + l] = cr_log(in[l]);
                ++handed_over;
            }
        }
    }
    return handed_over;
}

}  // namespace

int cr_log_batch(VectorPath path, const double* x, double* y, int count) {
    path = resolved(path);
    if (!vector_path_runs_here(path)) path = VectorPath::SCALAR;
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return in_lanes(fast::log_first_step_sse2, 2, x, y, count);
        case VectorPath::AVX2: return in_lanes(fast::log_first_step_avx2, 4, x, y, count);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return in_lanes(fast::log_first_step_neon, 2, x, y, count);
#endif
        default: break;
    }
    for (int i = 0; i < count; ++i) y[i] = cr_log(x[i]);
    return count;
}

}  // namespace tidmor
