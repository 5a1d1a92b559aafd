// Geometry of the water-table nodes and their free-surface factor.
#include <cmath>
#include <string>

#include "aquifer/boundary_elements.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

// Kinematic condition of the water table: over DT_AQ a node moving along a
// line at ANG_MOVE from the vertical, on a water table inclined at
// ANG_SLOPE, rises by -FS_COEF times the outward normal derivative of the
// head (Darcy flux K q through the surface, filling the pores POROSITY).
void ANGLE(Model& m) {
    const int first = m.CONFIG_BOUND.N_FACE + 1;
    const int last = m.CONFIG_BOUND.N_FACE + m.CONFIG_BOUND.N_FREE;
    if (last < first) return;
    if (first < 2 || last + 1 > m.CONFIG_BOUND.N_BND || m.CONFIG_BOUND.N_BND > BOUNDARY_NODES)
        numerical_failure("water-table nodes " + std::to_string(first) + " to " + std::to_string(last) +
                          " lack a neighbour on a boundary of " + std::to_string(m.CONFIG_BOUND.N_BND) + " nodes");

    const auto& x_bnd = m.NODE_PROPERTIES.X_BND;
    const auto& z_bnd = m.NODE_PROPERTIES.Z_BND;
    auto& ang_move = m.FREE_SURFACE.ANG_MOVE;
    const double kt = m.CONSTS.K_HYD * m.TI_ME.DT_AQ;
    for (int j = first; j <= last; ++j) {
        if (m.CONSTS.TAN_BETA > VERTICAL_MOTION_SLOPE) {
            ang_move[j] = 0.0;
        } else {
            const double x = x_bnd[j];
            const double z = z_bnd[j];
            ang_move[j] = cr_acos(std::fabs(z) / std::sqrt(x * x + z * z));
        }
        const double ang_slope = cr_atan(-(z_bnd[j + 1] - z_bnd[j - 1]) / (x_bnd[j + 1] - x_bnd[j - 1]));
        m.FREE_SURFACE.FS_COEF[j] =
            cr_cos(ang_move[j]) * kt / m.SED_TRANS.POROSITY / cr_cos(ang_move[j] + ang_slope);
    }
}

}  // namespace tidmor
