// Energetics transport of one time step, summed over the wave period.
//
// At every wet node i = 1 .. N_SHORE the rate is
//     EFF * B * u_c^3 / (TAN_PHI +- s-bar)
// with u_c the velocity limited to +-2 m/s, s-bar the bed slope averaged
// over five nodes (over the node and its two landward neighbours at nodes
// 1 and 2, which have no two seaward ones), and B the boundary-layer factor
// of the flow through the bed: exfiltration (INFIL > 0) thickens the
// boundary layer and lowers the stress, infiltration thins it. Uprush and
// backwash have their own efficiencies and their own sign of the slope
// term, and go to separate sums QS_ON and QS_OFF.
#include "morphology/sediment_transport.hpp"

#include <cmath>
#include <string>

#include "common/constants.hpp"
#include "common/elementary.hpp"
#include "common/run_failure.hpp"
#include "morphology/morphology_failure.hpp"

namespace tidmor {
namespace {

// Boundary-layer factor for the exchange parameter phi = 2 W / (|u| f):
// phi / (e^phi - 1), 1 in the limit phi -> 0, 0 once the outflow blows the
// layer off (phi >= 100, where e^phi would also overflow soon), and never
// more than 10 for inflow.
double boundary_layer_factor(double phi) {
    double b;
    if (std::fabs(phi) <= EXCHANGE_NEGLIGIBLE) {
        b = 1.0;
    } else if (phi < EXCHANGE_BLOCKING) {
        b = phi / (cr_exp(phi) - 1.0);
    } else {
        b = 0.0;
    }
    if (b > EXCHANGE_FACTOR_CAP) b = EXCHANGE_FACTOR_CAP;
    return b;
}

}  // namespace

void SEDIMENT_TRANSPORT(Model& m) {
    auto& bp = m.BEACH_PROFILE;
    const auto& slope = bp.SLOPE;
    const int n_shore = m.WAVE_CONSI.N_SHORE;
    // The five-node mean reads two nodes landward of the shoreline.
    if (n_shore > GRID_NODES - 2)
        numerical_failure("shoreline node N_SHORE = " + std::to_string(n_shore) +
                          " leaves no two landward neighbours for the mean bed slope (grid arrays hold " +
                          std::to_string(GRID_NODES) + " nodes)");

    const double eff_on = m.SED_TRANS.EFF_ON;
    const double eff_off = m.SED_TRANS.EFF_OFF;
    const double tan_phi = m.SED_TRANS.TAN_PHI;
    const double f_fric = m.WAVE_CONSD.F_FRIC;
    const double dt_s = m.TIME_RELATED.DT_S;

    for (int i = 1; i <= n_shore; ++i) {
        double s_bar;
        if (i >= 3)
            s_bar = (slope[i - 2] + slope[i - 1] + slope[i] + slope[i + 1] + slope[i + 2]) / 5.0;
        else
            s_bar = (slope[i] + slope[i + 1] + slope[i + 2]) / 3.0;

        const double u = m.WAVE.U_DIM[i];
        double u_c = u;
        if (u > TRANSPORT_MAX_VELOCITY) u_c = TRANSPORT_MAX_VELOCITY;
        if (u < -TRANSPORT_MAX_VELOCITY) u_c = -TRANSPORT_MAX_VELOCITY;

        if (m.WAVE.H_DIM[i] < TRANSPORT_MIN_DEPTH) continue;

        // No exchange with the bed is phi = 0 exactly, even with no friction.
        const double infil = m.INFILTRATION.INFIL[i];
        double phi = 0.0;
        if (infil != 0.0) {
            const double v = std::fabs(u) > EXCHANGE_MIN_VELOCITY ? std::fabs(u) : EXCHANGE_MIN_VELOCITY;
            phi = 2.0 * infil / (v * f_fric);
        }
        const double b = boundary_layer_factor(phi);

        const double u_c3 = u_c * u_c * u_c;
        if (u_c > 0.0) {
            bp.QS_ON[i] = bp.QS_ON[i] + eff_on * b * u_c3 * dt_s / (tan_phi + s_bar);
            if (!std::isfinite(bp.QS_ON[i])) non_finite_failure("QS_ON", i, bp.QS_ON[i], m.TIME_RELATED.TIME);
        } else if (u_c < 0.0) {
            bp.QS_OFF[i] = bp.QS_OFF[i] + eff_off * b * u_c3 * dt_s / (tan_phi - s_bar);
            if (!std::isfinite(bp.QS_OFF[i])) non_finite_failure("QS_OFF", i, bp.QS_OFF[i], m.TIME_RELATED.TIME);
        }
    }
}

}  // namespace tidmor
