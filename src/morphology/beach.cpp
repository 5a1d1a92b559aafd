// Profile update at the end of a wave period, from sediment continuity.
//
// The net transport of the period, averaged with that of the period before,
// is differenced on a coarse stencil of every tenth node to damp the
// node-to-node noise of the swash:
//
//   coarse nodes   1      11      21   ...  10(K-1)+1   10K+1
//   stencil        one-sided       centred over 20 nodes   far end only
//
// with K = (N_GRID - 1) div 10. The bed change dz = -(dq/dx) / (RHO_S *
// POROSITY) is applied at the coarse nodes, the slopes are taken from the
// new coarse bed, and both are interpolated linearly to the nine nodes of
// each interval. Node 10K+1 closes the last interval with the bed change
// and slope it already holds and is itself left as it is, as is every node
// beyond it. The new slope is handed to the wave model as an increment of
// its dimensionless slope, phased in over the next SLOPE_RAMP_STEPS steps.
#include "morphology/beach.hpp"

#include <cmath>
#include <string>

#include "common/constants.hpp"
#include "common/run_failure.hpp"
#include "morphology/morphology_failure.hpp"

namespace tidmor {

void BEACH(Model& m) {
    auto& bp = m.BEACH_PROFILE;
    const int n_grid = m.SED_INT.N_GRID;
    if (n_grid > GRID_NODES)
        numerical_failure("N_GRID = " + std::to_string(n_grid) + " exceeds the " + std::to_string(GRID_NODES) +
                          " nodes of the profile arrays");
    const double dx = m.DIFFX.DX;
    const double time = m.TIME_RELATED.TIME;

    m.N_CAL.N_PERIOD = m.N_CAL.N_PERIOD + 1.0;

    for (int j = 1; j <= n_grid; ++j)
        bp.QS_NET[j] = 0.5 * (bp.QS_ON[j] + bp.QS_OFF[j]) + 0.5 * bp.QS_NET_OLD[j];

    const int k = n_grid >= 1 ? (n_grid - 1) / COARSE_STRIDE : 0;
    const int last_coarse = COARSE_STRIDE * (k - 1) + 1;
    const double stride = COARSE_STRIDE;
    const double rho_porosity = m.SED_TRANS.RHO_S * m.SED_TRANS.POROSITY;

    for (int j = 1; j <= last_coarse; j += COARSE_STRIDE) {
        if (j == 1)
            bp.DZ_BED[1] = -((bp.QS_NET[1 + COARSE_STRIDE] - bp.QS_NET[1]) / (stride * dx)) / rho_porosity;
        else
            bp.DZ_BED[j] = -((bp.QS_NET[j + COARSE_STRIDE] - bp.QS_NET[j - COARSE_STRIDE]) / (2.0 * stride * dx)) /
                           rho_porosity;
        bp.Z_BED[j] = bp.Z_BED[j] + bp.DZ_BED[j];
        if (!std::isfinite(bp.Z_BED[j])) non_finite_failure("Z_BED", j, bp.Z_BED[j], time);
    }

    for (int j = 1; j <= last_coarse; j += COARSE_STRIDE) {
        const int far = j + COARSE_STRIDE;
        for (int i = 1; i < COARSE_STRIDE; ++i) {
            const double w = i;
            bp.DZ_BED[j + i] = bp.DZ_BED[j] + (bp.DZ_BED[far] - bp.DZ_BED[j]) * w / stride;
            bp.Z_BED[j + i] = bp.Z_BED[j + i] + bp.DZ_BED[j + i];
            if (!std::isfinite(bp.Z_BED[j + i])) non_finite_failure("Z_BED", j + i, bp.Z_BED[j + i], time);
        }
    }

    bed_slopes(m);
}

// The slopes read the bed at the coarse nodes alone, which the
// interpolation between them leaves as it is.
void bed_slopes(Model& m) {
    auto& bp = m.BEACH_PROFILE;
    const int n_grid = m.SED_INT.N_GRID;
    const double dx = m.DIFFX.DX;
    const int k = n_grid >= 1 ? (n_grid - 1) / COARSE_STRIDE : 0;
    const int last_coarse = COARSE_STRIDE * (k - 1) + 1;
    const double stride = COARSE_STRIDE;

    for (int j = 1; j <= last_coarse; j += COARSE_STRIDE) {
        if (j == 1)
            bp.SLOPE[1] = (bp.Z_BED[1 + COARSE_STRIDE] - bp.Z_BED[1]) / (stride * dx);
        else
            bp.SLOPE[j] = (bp.Z_BED[j + COARSE_STRIDE] - bp.Z_BED[j - COARSE_STRIDE]) / (2.0 * stride * dx);
    }

    for (int j = 1; j <= last_coarse; j += COARSE_STRIDE) {
        const int far = j + COARSE_STRIDE;
        for (int i = 1; i < COARSE_STRIDE; ++i) {
            const double w = i;
            bp.SLOPE[j + i] = bp.SLOPE[j] + (bp.SLOPE[far] - bp.SLOPE[j]) * w / stride;
        }
    }

    const double slope_scale = m.WAVE_CONSD.T_WAVE * std::sqrt(GRAVITY / m.WAVE_CONSD.H_WAVE);
    for (int j = 1; j <= n_grid; ++j) {
        bp.SLOPE_ND_INC[j] = slope_scale * bp.SLOPE[j] - bp.SLOPE_ND[j];
        bp.SLOPE_ND_BASE[j] = bp.SLOPE_ND[j];
    }

    m.SED_INT.N_RAMP = 0;
}

}  // namespace tidmor
