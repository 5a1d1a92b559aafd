// The two ends of the wet region, nodes 1 and N_SHORE, which the interior
// update of the wave step leaves unwritten.
//
// Seaward end: the incoming wave is imposed, the outgoing one is let out.
// The invariant 2c - u of the u - c characteristic is carried one upwind
// step from the old state at nodes 1 and 2; linear long-wave theory in the
// still-water depth d then splits the boundary elevation into the incident
// part eta_I and the reflected part eta_R:
//   2c - u ~ 2 c_d + 2 eta_R / c_d   =>   eta_R = c_d b / 2 - d,
//   u = (eta_I - eta_R) / c_d,  h = d + eta_I + eta_R.
//
// Shoreline: depth and velocity are extrapolated linearly from the two new
// wet values behind it, so the shoreline moves by at most one node a step.
// Old-level values (U_OLD, H_OLD) are touched only when a node dries.
#include "wave/bound.hpp"

#include <cmath>

#include "common/constants.hpp"
#include "common/elementary.hpp"

namespace tidmor {

namespace {

void seaward_boundary(Model& m) {
    const auto& old = m.WAVE_INI;
    const double lambda = m.TIME_RELATED.DT / m.DIFFX.DX_ND;
    const double u1 = old.U_OLD[1];
    const double u2 = old.U_OLD[2];
    const double c1 = std::sqrt(old.H_OLD[1]);
    const double c2 = std::sqrt(old.H_OLD[2]);
    const double d = m.WAVE_CONSD.D_SEA_ND;
    const double c_d = std::sqrt(d);

    // Outgoing invariant at the new level; the bed slope changes it by
    // SLOPE_ND * DT along the characteristic.
    const double b1 = 2.0 * c1 - u1;
    const double b2 = 2.0 * c2 - u2;
    const double b = b1 - lambda * (u1 - c1) * (b2 - b1) + m.BEACH_PROFILE.SLOPE_ND[1] * m.TIME_RELATED.DT;

    const double eta_i = INCIDENT_AMPLITUDE *
                         cr_cos(TWO_PI_SINGLE * m.TIME_RELATED.TIME / m.WAVE_CONSD.T_WAVE - INCIDENT_PHASE);
    const double eta_r = 0.5 * c_d * b - d;

    m.WAVE.U_ND[1] = (eta_i - eta_r) / c_d;
    m.WAVE.H_ND[1] = d + eta_i + eta_r;
}

void shoreline_boundary(Model& m) {
    auto& w = m.WAVE;
    const int n = m.WAVE_CONSI.N_SHORE;
    const double h_cut = m.CUT_OFF.H_CUT;

    const double h_e = 2.0 * w.H_ND[n - 1] - w.H_ND[n - 2];
    const double u_e = 2.0 * w.U_ND[n - 1] - w.U_ND[n - 2];

    if (h_e < h_cut) {
        // The shoreline node runs dry: it leaves both time levels.
        w.U_ND[n] = 0.0;
        w.H_ND[n] = 0.0;
        m.WAVE_INI.U_OLD[n] = 0.0;
        m.WAVE_INI.H_OLD[n] = 0.0;
        m.WAVE_CONSI.N_SHORE = n - 1;
    } else if (h_e > h_cut) {
        w.H_ND[n] = h_e;
        w.U_ND[n] = u_e;
        // The next node wets only under landward flow deep enough to count.
        const double h_a = 2.0 * h_e - w.H_ND[n - 1];
        const double u_a = 2.0 * u_e - w.U_ND[n - 1];
        if (u_a > 0.0 && h_a > h_cut) {
            m.WAVE_CONSI.N_SHORE = n + 1;
            w.H_ND[n + 1] = h_a;
            w.U_ND[n + 1] = u_a;
        }
    }
    // An extrapolated depth of exactly H_CUT (or a non-finite one) leaves
    // the shoreline node with the values of the previous step.
}

}  // namespace

void BOUND(Model& m) {
    seaward_boundary(m);
    shoreline_boundary(m);
}

}  // namespace tidmor
