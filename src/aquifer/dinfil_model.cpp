// Aquifer time step: the steady groundwater flow for the present swash and
// the Darcy velocity it drives through the beach face.
//
// Each call starts from the reference mesh (AQUIFER_REC), solves H h = G q
// once for the boundary values of this instant, and samples the normal
// derivative along the face on the wave grid:
//
//   INFIL(k) = -K_HYD * q(X_NODE(k))   face nodes 1..N_FACE, linear in x;
//                                      0 landward of the last face node
//
// positive where water leaves the beach. q is the derivative along the
// outward normal, so outflow is q < 0. INFIL_ND is the only value carried
// to the next call: the rates are its change over the dimensionless step.
#include "aquifer/dinfil_model.hpp"

#include <cmath>

#include "aquifer/aquifer_rec.hpp"
#include "aquifer/boundary_elements.hpp"
#include "aquifer/dinterpf.hpp"

namespace tidmor {

void DINFIL_MODEL(Model& m, Units& units) {
    AQUIFER_REC(m, units);

    solve_boundary_system(m, units);

    const auto& nodes = m.NODE_PROPERTIES;
    const double x_face_end = nodes.X_BND[m.CONFIG_BOUND.N_FACE];
    const double k_hyd = m.CONSTS.K_HYD;
    auto& inf = m.INFILTRATION;
    TableCursor face;
    for (int k = 1; k <= m.SED_INT.N_GRID; ++k) {
        const double x = m.CROSS_DIS.X_NODE[k];
        if (x > x_face_end)
            inf.INFIL[k] = 0.0;
        else
            inf.INFIL[k] = -k_hyd * DINTERPF(x, nodes.X_BND, nodes.Q_BND, m.CONFIG_BOUND.N_FACE, face);
    }
    infiltration_rates(m);
}

void infiltration_rates(Model& m) {
    const double t_wave = m.WAVE_CONSD.T_WAVE;
    const double h_wave = m.WAVE_CONSD.H_WAVE;
    const double dt = m.TIME_RELATED.DT;
    auto& inf = m.INFILTRATION;
    for (int k = 1; k <= m.SED_INT.N_GRID; ++k) {
        const double v = t_wave * inf.INFIL[k] / h_wave;
        inf.INFIL_RATE[k] = (v - inf.INFIL_ND[k]) / dt;
        inf.INFIL_ABS_RATE[k] = (std::fabs(v) - std::fabs(inf.INFIL_ND[k])) / dt;
        inf.INFIL_ND[k] = v;
    }
}

}  // namespace tidmor
