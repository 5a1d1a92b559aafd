#pragma once
// A reference aquifer mesh built by hand, as the initial computation would
// leave it for a plane beach of slope 0.1 with L_ELEM = 1, D_SEA = H_LAND = 1
// and the landward side at x = 20 (level water table at the still-water
// level, so no seepage face):
//
//   ref node   x              z          code   head
//   1..11      0, 1, .., 10   0.1 x      1      1
//   12..15     12, 14, 16, 18 1          1      1     water table
//   16..18     20             1, .5, 0   1      1     landward side
//   19..27     18, 16, .., 2  0          2      1     bottom (q = 0)
//
// on a wave grid of 30 nodes 2 m apart with the same plane bed, still water
// up to the shoreline node 6 at x = 10.
#include "model/model.hpp"

namespace tidmor::testing {

inline void set_node(Model& m, int j, double x, double z, double phi, int code) {
    m.FINAL_INI.X_BND0[j] = x;
    m.FINAL_INI.Z_BND0[j] = z;
    m.FINAL_INI.PHI_BND0[j] = phi;
    m.FINAL_INI.Q_BND0[j] = 0.0;
    m.FINAL_INI.KODE_BND0[j] = code;
}

inline std::unique_ptr<Model> reference_beach() {
    auto m = make_model();
    m->L_ELEMENT.L_ELEM = 1.0;
    m->WAVE_CONSD.D_SEA = 1.0;
    m->CONSTS.H_LAND = 1.0;
    m->CONSTS.K_HYD = 0.001;
    m->CAPILLARY.H_CAP = double(0.1f);
    m->SED_TRANS.POROSITY = double(0.4f);
    int j = 0;
    for (int i = 0; i <= 10; ++i) set_node(*m, ++j, i, 0.1 * i, 1.0, 1);
    for (int k = 1; k <= 4; ++k) set_node(*m, ++j, 10.0 + 2 * k, 1.0, 1.0, 1);
    set_node(*m, ++j, 20.0, 1.0, 1.0, 1);
    set_node(*m, ++j, 20.0, 0.5, 1.0, 1);
    set_node(*m, ++j, 20.0, 0.0, 1.0, 1);
    for (int k = 1; k <= 9; ++k) set_node(*m, ++j, 20.0 - 2 * k, 0.0, 1.0, 2);
    m->FINAL_INIC.N_BND0 = j;  // 27
    m->FINAL_INIC.N_FACE0 = 11;
    m->FINAL_INIC.N_FREE0 = 4;

    m->SED_INT.N_GRID = 30;
    m->DIFFX.DX = 2.0;
    for (int g = 1; g <= 30; ++g) {
        m->CROSS_DIS.X_NODE[g] = 2.0 * (g - 1);
        m->BEACH_PROFILE.Z_BED[g] = 0.2 * (g - 1);
        const double depth = 1.0 - m->BEACH_PROFILE.Z_BED[g];
        m->WAVE.H_DIM[g] = depth > 0.0 ? depth : 0.0;
    }
    m->WAVE_CONSI.N_SHORE = 6;
    return m;
}

}  // namespace tidmor::testing
