#include "wave/wet_dry.hpp"

#include <string>

#include "common/constants.hpp"
#include "wave/wave_failure.hpp"

namespace tidmor {

namespace {

void dry_landward(Model& m, int first_dry) {
    const int n = m.WAVE_CONSI.N_SHORE;
    for (int i = first_dry; i <= n; ++i) {
        m.WAVE.U_ND[i] = 0.0;
        m.WAVE.H_ND[i] = 0.0;
        m.WAVE_INI.U_OLD[i] = 0.0;
        m.WAVE_INI.H_OLD[i] = 0.0;
    }
    m.WAVE_CONSI.N_SHORE = first_dry - 1;
}

}  // namespace

void cut_off_scan(Model& m) {
    const int n = m.WAVE_CONSI.N_SHORE;
    for (int k = 1; k <= n; ++k) {
        if (m.WAVE.H_ND[k] < m.CUT_OFF.H_CUT) {
            dry_landward(m, k);
            return;
        }
    }
}

void tail_check(Model& m) {
    require_wet_nodes(m, "before the tail check");
    const int n = m.WAVE_CONSI.N_SHORE;
    for (int p = n - (TAIL_NODES - 1); p <= n; ++p) {
        if (m.WAVE.H_ND[p] <= m.WAVE.H_ND[p + 1]) {
            dry_landward(m, p + 1);
            return;
        }
    }
}

void require_wet_nodes(const Model& m, const char* stage) {
    const int n = m.WAVE_CONSI.N_SHORE;
    if (n < TAIL_NODES)
        wave_failure(m,
                     "fewer than " + std::to_string(TAIL_NODES) + " wet nodes " + stage + " (N_SHORE = " +
                         std::to_string(n) + "): the swash stencils need at least " + std::to_string(TAIL_NODES) +
                         "; the shoreline is",
                     n);
}

void require_inside_grid(const Model& m) {
    const int n = m.WAVE_CONSI.N_SHORE;
    const int n_grid = m.SED_INT.N_GRID;
    if (n_grid > GRID_NODES)
        wave_failure(m,
                     "N_GRID = " + std::to_string(n_grid) + " exceeds the " + std::to_string(GRID_NODES) +
                         " nodes of the grid arrays; the shoreline is",
                     n);
    if (n > n_grid - 2)
        wave_failure(m,
                     "the swash reached the landward end of the grid (N_SHORE = " + std::to_string(n) +
                         " > N_GRID - 2 = " + std::to_string(n_grid - 2) + "); the shoreline is",
                     n);
}

}  // namespace tidmor
