// Superposition of the pumping well.
#include <cmath>

#include "aquifer/boundary_elements.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"

namespace tidmor {

// The well is a point sink of strength Q_WELL (discharge over K_HYD): head
// ln(r) Q/(2 pi), radial gradient Q/(2 pi r). Its share is taken out of the
// boundary values, so the system is solved for the regular remainder. The
// normal component uses the absolute cosine between the boundary normal,
// from a central-difference tangent (one-sided at nodes 1 and N_BND), and
// the direction from the well.
void TRANS(Model& m) {
    const int n = boundary_node_count(m);
    auto& nodes = m.NODE_PROPERTIES;
    const auto& x_bnd = nodes.X_BND;
    const auto& z_bnd = nodes.Z_BND;
    const double q_well = m.WELL.Q_WELL;
    for (int j = 1; j <= n; ++j) {
        const double dx = x_bnd[j] - m.WELL.X_WELL;
        const double dz = z_bnd[j] - m.WELL.Z_WELL;
        const double r = std::sqrt(dx * dx + dz * dz);
        double tx, tz;
        if (j == 1) {
            tx = x_bnd[1] - x_bnd[2];
            tz = z_bnd[1] - z_bnd[2];
        } else if (j == n) {
            tx = x_bnd[n - 1] - x_bnd[n];
            tz = z_bnd[n - 1] - z_bnd[n];
        } else {
            tx = x_bnd[j - 1] - x_bnd[j + 1];
            tz = z_bnd[j - 1] - z_bnd[j + 1];
        }
        const double cw = std::fabs(tx * dz - tz * dx) / r / std::sqrt(tx * tx + tz * tz);
        m.WELL.PHI_WELL[j] = cr_log(r) * (q_well / TWO_PI_SINGLE);
        nodes.PHI_BND[j] = nodes.PHI_BND[j] - m.WELL.PHI_WELL[j];
        m.WELL.DPHI_WELL[j] = q_well / (r * TWO_PI_SINGLE) * cw;
        nodes.Q_BND[j] = nodes.Q_BND[j] - m.WELL.DPHI_WELL[j];
    }
}

}  // namespace tidmor
