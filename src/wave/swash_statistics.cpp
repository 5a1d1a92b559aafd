// The extremes of a period cover the steps after the previous evaluation up
// to the step before the evaluating one: the evaluating step's shoreline is
// counted for the next period.
#include "wave/swash_statistics.hpp"

namespace tidmor {

void swash_statistics(Model& m) {
    auto& r = m.RUNUP;
    if (m.SED_TRANS.T_CYCLE >= m.WAVE_CONSD.T_WAVE) {
        r.X_UP = double(r.N_UP - 1) * m.DIFFX.DX;
        r.X_DOWN = double(r.N_DOWN - 1) * m.DIFFX.DX;
        const int count = r.N_UP - r.N_DOWN + 1;
        if (count > 0) {
            double sum = 0.0;
            for (int j = r.N_DOWN; j <= r.N_UP; ++j) sum = sum + m.BEACH_PROFILE.SLOPE[j];
            r.SLOPE_SWASH = sum / double(count);
        } else {
            r.SLOPE_SWASH = 0.0;
        }
        r.N_UP = 0;
        r.N_DOWN = m.SED_INT.N_GRID;
    }
    if (m.WAVE_CONSI.N_SHORE > r.N_UP) r.N_UP = m.WAVE_CONSI.N_SHORE;
}

}  // namespace tidmor
