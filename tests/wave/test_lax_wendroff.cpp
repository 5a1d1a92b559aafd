#include <gtest/gtest.h>

#include <cmath>

#include "wave/lax_wendroff.hpp"
#include "wave_state.hpp"

namespace tidmor {
namespace {

using wave_test::plane_beach;

TEST(InteriorUpdate, StillWaterOnPlaneSlopeStaysAtRestWithoutDamping) {
    auto m = plane_beach();
    m->WAVE.H_ND[1] = -1.0;  // the boundaries' nodes are not written here
    m->WAVE.H_ND[20] = -1.0;
    advance_interior(*m);
    for (int j = 2; j <= 19; ++j) {
        EXPECT_EQ(m->WAVE.H_ND[j], m->WAVE_INI.H_OLD[j]) << "node " << j;
        EXPECT_EQ(m->WAVE.U_ND[j], 0.0) << "node " << j;
    }
    EXPECT_EQ(m->WAVE.H_ND[1], -1.0);
    EXPECT_EQ(m->WAVE.H_ND[20], -1.0);
}

// At rest a+ = a- = DAMP |c_k+1 - c_k|, so alpha = a+ and beta = 0: the
// damping adds (lambda/2) DAMP dh (|c_j+1 - c_j| - |c_j - c_j-1|) to the
// depth, with dh = -1/8 the constant depth step; nothing to the momentum.
TEST(InteriorUpdate, DampingSmoothsStillWaterWhereSqrtDepthIsNotLinear) {
    auto m = plane_beach();
    m->DAMPING.DAMP1 = 0.5;
    m->DAMPING.DAMP2 = 0.5;
    advance_interior(*m);
    const auto& h = m->WAVE_INI.H_OLD;
    for (int j = 2; j <= 19; ++j) {
        const double jump_plus = std::sqrt(h[j]) - std::sqrt(h[j + 1]);
        const double jump_minus = std::sqrt(h[j - 1]) - std::sqrt(h[j]);
        const double expected = h[j] + 0.25 * 0.5 * -0.125 * (jump_plus - jump_minus);
        EXPECT_NEAR(m->WAVE.H_ND[j], expected, 1e-15) << "node " << j;
        EXPECT_LT(m->WAVE.H_ND[j], h[j]) << "node " << j;
        EXPECT_EQ(m->WAVE.U_ND[j], 0.0) << "node " << j;
    }
}

// A uniform stream on a flat bed: every difference vanishes and only the
// sources act, so the step is the Taylor expansion of the source ODE.
std::unique_ptr<Model> uniform_stream(double u) {
    auto m = plane_beach(12, 40);
    m->DIFFX.DX_ND = 0.5;
    m->TIME_RELATED.DT = 0.25;
    for (int j = 1; j <= 12; ++j) {
        m->BEACH_PROFILE.SLOPE_ND[j] = 0.0;
        m->WAVE_INI.H_OLD[j] = 1.0;
        m->WAVE_INI.U_OLD[j] = u;
    }
    return m;
}

// dm/dt = -f |u| u = -1/16, d2m/dt2 = -2 f |u| du/dt = 1/64 at h = 1, f = 1/4:
// m = 1/2 - DT/16 + DT^2/128 = 0.48486328125, the same for both directions.
TEST(InteriorUpdate, FrictionActsAlikeOnUprushAndBackwash) {
    for (double u : {0.5, -0.5}) {
        auto m = uniform_stream(u);
        m->WAVE_CONSD.F_FRIC_ND = 0.25;
        advance_interior(*m);
        for (int j = 2; j <= 11; ++j) {
            EXPECT_EQ(m->WAVE.H_ND[j], 1.0) << "u " << u << " node " << j;
            EXPECT_EQ(m->WAVE.U_ND[j], u < 0 ? -0.48486328125 : 0.48486328125) << "u " << u << " node " << j;
        }
    }
}

void set_exchange(Model& m, double w, double rate, double abs_rate) {
    for (int j = 1; j <= 12; ++j) {
        m.INFILTRATION.INFIL_ND[j] = w;
        m.INFILTRATION.INFIL_RATE[j] = rate;
        m.INFILTRATION.INFIL_ABS_RATE[j] = abs_rate;
    }
}

// T1 = dx INFIL_RATE enters the depth as -(lambda^2/2) dx T1 = -DT^2/2 rate;
// T2 carries S dx u INFIL_ABS_RATE, only where water enters the bed.
TEST(InteriorUpdate, ExchangeRatesEnterTheSecondOrderTerm) {
    auto rate = uniform_stream(0.5);
    set_exchange(*rate, 0.0, 0.5, 0.0);
    advance_interior(*rate);
    EXPECT_EQ(rate->WAVE.H_ND[6], 0.984375);
    EXPECT_EQ(rate->WAVE.U_ND[6], 0.5 / 0.984375);

    auto in = uniform_stream(0.5);
    set_exchange(*in, -0.125, 0.0, 1.0);
    advance_interior(*in);
    EXPECT_EQ(in->WAVE.H_ND[6], 0.96875);
    EXPECT_EQ(in->WAVE.U_ND[6], 0.46875 / 0.96875);

    auto out = uniform_stream(0.5);
    set_exchange(*out, 0.125, 0.0, 1.0);
    advance_interior(*out);
    EXPECT_EQ(out->WAVE.U_ND[6], 0.5 / 1.03125);
}

// With friction the rate R = 2 f |u| du/dt needs du/dt = (-f|u|u - S|W|u - W u)/h:
// water leaving the bed (W = 1/8) slows the stream by -W u; for water entering
// it (W = -1/8) S|W|u and W u cancel in du/dt. f = 1/4, u = 1/2:
//   W = +1/8: R = -1/32, m = 1/2 - DT/16 + (DT^2/2)(1/64) = 0.4853515625
//   W = -1/8: R = -1/64, m = 1/2 - DT/8 + (DT^2/2)(1/128) = 0.46923828125
TEST(InteriorUpdate, FrictionRateFollowsTheExchangeWithTheBed) {
    auto out = uniform_stream(0.5);
    out->WAVE_CONSD.F_FRIC_ND = 0.25;
    set_exchange(*out, 0.125, 0.0, 0.0);
    advance_interior(*out);
    EXPECT_EQ(out->WAVE.H_ND[6], 1.03125);
    EXPECT_EQ(out->WAVE.U_ND[6], 0.4853515625 / 1.03125);

    auto in = uniform_stream(0.5);
    in->WAVE_CONSD.F_FRIC_ND = 0.25;
    set_exchange(*in, -0.125, 0.0, 0.0);
    advance_interior(*in);
    EXPECT_EQ(in->WAVE.H_ND[6], 0.96875);
    EXPECT_EQ(in->WAVE.U_ND[6], 0.46923828125 / 0.96875);
}

// One interior node by hand: h = (5/4, 1, 3/4), u = 1/2, theta = 1/2,
// f = 1/4, dx = 1/2, DT = 1/4 (lambda = 1/2), no damping, no exchange.
//   F2 = (1.09375, 0.75, 0.46875), G2 = theta h + f|u|u = (0.6875, 0.5625, 0.4375)
//   half 1+1/2: P1 = -0.03125, P2 = 0.875 (-0.125) - 0.03125 = -0.140625
//   half 2+1/2: P1 = -0.03125, P2 = 0.625 (-0.125) - 0.03125 = -0.109375
//   R  = 0.25 [(0.25 - 1)(-0.5) - 0.5 (-0.25) - 0.5 - 0.0625] = -0.015625
//   T2 = 0.5 R - 0.5 * 0.5 * (-0.25) = 0.0546875
//   h  = 1 - 0.5 * 0.5 * (-0.25) = 1.0625
//   m  = 0.5 - 0.5 (-0.3125 + 0.28125) + 0.125 (0.03125 - 0.5 T2) = 0.51611328125
TEST(InteriorUpdate, FrictionRateAndSlopeTermOnASlopingStream) {
    auto m = plane_beach(3, 40);
    m->DIFFX.DX_ND = 0.5;
    m->TIME_RELATED.DT = 0.25;
    m->WAVE_CONSD.F_FRIC_ND = 0.25;
    const double h[] = {1.25, 1.0, 0.75};
    for (int j = 1; j <= 3; ++j) {
        m->WAVE_INI.H_OLD[j] = h[j - 1];
        m->WAVE_INI.U_OLD[j] = 0.5;
    }
    advance_interior(*m);
    EXPECT_EQ(m->WAVE.H_ND[2], 1.0625);
    EXPECT_EQ(m->WAVE.U_ND[2], 0.51611328125 / 1.0625);
}

// A mound of water on a flat bed, at rest far from it on both sides: the
// scheme with damping is conservative, so the interior totals of h and m do
// not change, and a state mirror-symmetric about node 16 (u odd) stays so.
std::unique_ptr<Model> mound() {
    auto m = plane_beach(31, 40);
    m->DIFFX.DX_ND = 0.1;
    m->TIME_RELATED.DT = 0.02;
    m->DAMPING.DAMP1 = 0.7;
    m->DAMPING.DAMP2 = 0.7;
    for (int j = 1; j <= 31; ++j) {
        const int k = j - 16;
        const double bump = std::abs(k) < 7 ? std::cos(0.25 * k) * std::cos(0.25 * k) - std::cos(1.75) * std::cos(1.75) : 0.0;
        m->BEACH_PROFILE.SLOPE_ND[j] = 0.0;
        m->WAVE_INI.H_OLD[j] = 1.0 + 0.3 * bump;
        m->WAVE_INI.U_OLD[j] = 0.2 * k * bump;
    }
    return m;
}

TEST(InteriorUpdate, FlatBedConservesMassAndMomentumAndSymmetry) {
    auto m = mound();
    advance_interior(*m);
    const auto& w = m->WAVE;
    const auto& old = m->WAVE_INI;
    double mass_old = 0.0, mass_new = 0.0, momentum_old = 0.0, momentum_new = 0.0;
    for (int j = 2; j <= 30; ++j) {
        mass_old += old.H_OLD[j];
        mass_new += w.H_ND[j];
        momentum_old += old.U_OLD[j] * old.H_OLD[j];
        momentum_new += w.U_ND[j] * w.H_ND[j];
    }
    EXPECT_NEAR(mass_new, mass_old, 1e-13);
    EXPECT_NEAR(momentum_new, momentum_old, 1e-13);
    EXPECT_NE(w.H_ND[16], old.H_OLD[16]);  // the mound does move
    for (int k = 1; k <= 14; ++k) {
        EXPECT_NEAR(w.H_ND[16 + k], w.H_ND[16 - k], 1e-14) << "offset " << k;
        EXPECT_NEAR(w.U_ND[16 + k], -w.U_ND[16 - k], 1e-14) << "offset " << k;
    }
}

}  // namespace
}  // namespace tidmor
