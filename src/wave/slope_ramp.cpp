// A profile update changes the bed at once, but a sudden change of the slope
// term would shock the swash; the change is spread linearly over
// SLOPE_RAMP_STEPS wave steps instead. The counter stops at
// SLOPE_RAMP_STEPS + 1: past the ramp its value no longer matters, and a long
// run without profile updates would otherwise overflow it.
#include "wave/slope_ramp.hpp"

#include "common/constants.hpp"

namespace tidmor {

void slope_ramp(Model& m) {
    auto& s = m.SED_INT;
    if (s.N_RAMP <= SLOPE_RAMP_STEPS) s.N_RAMP = s.N_RAMP + 1;
    if (s.N_RAMP > SLOPE_RAMP_STEPS) return;
    auto& p = m.BEACH_PROFILE;
    const double steps = double(SLOPE_RAMP_STEPS);
    for (int j = 1; j <= s.N_GRID; ++j)
        p.SLOPE_ND[j] = p.SLOPE_ND_BASE[j] + double(s.N_RAMP) * p.SLOPE_ND_INC[j] / steps;
}

}  // namespace tidmor
