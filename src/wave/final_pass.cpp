#include "wave/final_pass.hpp"

#include <cmath>

#include "common/constants.hpp"
#include "common/number_format.hpp"
#include "wave/wave_failure.hpp"

namespace tidmor {

double final_pass(Model& m) {
    auto& w = m.WAVE;
    auto& old = m.WAVE_INI;
    auto& r = m.RUNUP;
    const int n = m.WAVE_CONSI.N_SHORE;
    const double velocity_scale = std::sqrt(GRAVITY * m.WAVE_CONSD.H_WAVE);
    double s_max = 0.0;
    for (int i = 1; i <= n; ++i) {
        if (!std::isfinite(w.U_ND[i]) || !std::isfinite(w.H_ND[i]))
            wave_failure(m,
                         "the swash solution is not finite (U_ND = " + value_text(w.U_ND[i]) +
                             ", H_ND = " + value_text(w.H_ND[i]) + ")",
                         i);
        old.U_OLD[i] = w.U_ND[i];
        old.H_OLD[i] = w.H_ND[i];
        w.U_DIM[i] = w.U_ND[i] * velocity_scale;
        w.H_DIM[i] = m.WAVE_CONSD.H_WAVE * w.H_ND[i];
        // H_DIM[i + 1] still holds the depth of the previous step (or of the
        // last step node i + 1 was wet): the pass has not reached it yet.
        if (i < r.N_DOWN && w.H_DIM[i + 1] < RUNDOWN_DEPTH) r.N_DOWN = i;
        const double speed = std::fabs(w.U_ND[i]) + std::sqrt(w.H_ND[i]);
        if (speed > s_max) s_max = speed;
    }
    return s_max;
}

void next_time_step(Model& m, double s_max) {
    if (!(s_max > 0.0))
        wave_failure(m,
                     "no positive wave speed in the wet region (s_max = " + value_text(s_max) +
                         "), so no next time step; the shoreline is",
                     m.WAVE_CONSI.N_SHORE);
    m.TIME_RELATED.DT = COURANT * m.DIFFX.DX_ND / s_max;
}

}  // namespace tidmor
