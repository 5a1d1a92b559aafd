#include "aquifer/aquifer_state_check.hpp"

#include <cmath>

#include "common/number_format.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

std::string aquifer_breakdown(const Model& m) {
    const auto& nodes = m.NODE_PROPERTIES;
    const auto& counts = m.CONFIG_BOUND;
    for (int j = 1; j <= counts.N_BND; ++j) {
        if (!std::isfinite(nodes.X_BND[j]) || !std::isfinite(nodes.Z_BND[j]) || !std::isfinite(nodes.PHI_BND[j]) ||
            !std::isfinite(nodes.Q_BND[j]))
            return "boundary node " + std::to_string(j) + " has x = " + value_text(nodes.X_BND[j]) + ", z = " +
                   value_text(nodes.Z_BND[j]) + ", head " + value_text(nodes.PHI_BND[j]) +
                   ", normal derivative " + value_text(nodes.Q_BND[j]) + ": not all finite";
    }
    const double x_land = m.CONSTS.X_LAND;
    for (int j = counts.N_FACE + 1; j <= counts.N_FACE + counts.N_FREE; ++j) {
        const double x = nodes.X_BND[j], z = nodes.Z_BND[j];
        if (z < 0.0)
            return "water-table node " + std::to_string(j) + " at z = " + value_text(z) +
                   " m lies below the aquifer bottom (z = 0)";
        if (x < 0.0 || x > x_land)
            return "water-table node " + std::to_string(j) + " at x = " + value_text(x) +
                   " m lies outside the aquifer (0 <= x <= X_LAND = " + value_text(x_land) + " m)";
    }
    return "";
}

std::string well_or_conductivity_hint(const Model& m) {
    // Q_WELL is held divided by K_HYD: the well's strength for this sand.
    if (m.WELL.Q_WELL > 0.0)
        return "Q_WELL/K_HYD = " + value_text(m.WELL.Q_WELL) +
               " m too large for this aquifer, or the well too close to the boundary; reduce Q_WELL, move the well "
               "or raise K_HYD";
    return "K_HYD = " + value_text(m.CONSTS.K_HYD) + " m/s too small; raise K_HYD";
}

void check_aquifer_state(const Model& m, const std::string& when) {
    const std::string problem = aquifer_breakdown(m);
    if (problem.empty()) return;
    numerical_failure("the aquifer broke down (" + when + "): " + problem + "; likely cause: " +
                      well_or_conductivity_hint(m));
}

}  // namespace tidmor
