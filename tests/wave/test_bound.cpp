#include <gtest/gtest.h>

#include "wave/bound.hpp"
#include "wave_state.hpp"

namespace tidmor {
namespace {

using wave_test::plane_beach;

// 0.5 cos(-1.57f): the phase offset 1.5700000524520874 is not a quarter
// period, so the wave starts at a small positive elevation. With 1.57 as a
// double it would be 0.000398163355 instead.
constexpr double ETA_I_AT_ZERO = 0.00039813712933127647;

// Seaward end at rest in a depth of 4 (c_d = 2 exactly), flat at node 1.
std::unique_ptr<Model> seaward_at_rest() {
    auto m = plane_beach();
    m->WAVE_INI.H_OLD[2] = 4.0;
    m->BEACH_PROFILE.SLOPE_ND[1] = 0.0;
    return m;
}

TEST(SeawardBoundary, AtRestOnlyTheIncidentWaveEnters) {
    auto m = seaward_at_rest();
    BOUND(*m);
    EXPECT_NEAR(m->WAVE.U_ND[1], ETA_I_AT_ZERO / 2.0, 1e-19);
    EXPECT_NEAR(m->WAVE.H_ND[1], 4.0 + ETA_I_AT_ZERO, 1e-15);
}

TEST(SeawardBoundary, IncidentWaveRisesLikeASine) {
    auto m = seaward_at_rest();
    m->TIME_RELATED.TIME = 2.5;  // a quarter period
    BOUND(*m);
    EXPECT_NEAR(m->WAVE.H_ND[1] - 4.0, 0.49999984151685821, 1e-15);
    // Three quarters: 6.283185 falls short of 2 pi, so the trough is not the
    // mirror of the crest (with 2 pi it would be -0.49999984148680112).
    m->TIME_RELATED.TIME = 7.5;
    BOUND(*m);
    EXPECT_NEAR(m->WAVE.H_ND[1] - 4.0, -0.49999984157696385, 1e-15);
}

// u1 = 1/2, c1 = 2, u2 = 1/4, c2 = 3/2, lambda = 1/2, SLOPE_ND[1] DT = 0.025:
// b1 = 3.5, b2 = 2.75, b = 3.5 - 0.5 (-1.5)(-0.75) + 0.025 = 2.9625, and
// eta_R = 0.5 * 2 * b - 4 = -1.0375.
TEST(SeawardBoundary, OutgoingInvariantCarriesTheSlopeTerm) {
    auto m = plane_beach();
    m->DIFFX.DX_ND = 0.5;
    m->TIME_RELATED.DT = 0.25;
    m->WAVE_INI.U_OLD[1] = 0.5;
    m->WAVE_INI.H_OLD[1] = 4.0;
    m->WAVE_INI.U_OLD[2] = 0.25;
    m->WAVE_INI.H_OLD[2] = 2.25;
    m->BEACH_PROFILE.SLOPE_ND[1] = 0.1;
    BOUND(*m);
    EXPECT_NEAR(m->WAVE.U_ND[1], 0.51894906856466564, 1e-15);
    EXPECT_NEAR(m->WAVE.H_ND[1], 2.9628981371293313, 1e-15);
}

// Shoreline at node 10 with sentinels at nodes 10 and 11 of both levels.
std::unique_ptr<Model> shoreline(double h8, double h9, double u8, double u9) {
    auto m = plane_beach(10, 40);
    m->WAVE.H_ND[8] = h8;
    m->WAVE.H_ND[9] = h9;
    m->WAVE.U_ND[8] = u8;
    m->WAVE.U_ND[9] = u9;
    for (int i = 10; i <= 11; ++i) {
        m->WAVE.U_ND[i] = 7.0;
        m->WAVE.H_ND[i] = 7.0;
        m->WAVE_INI.U_OLD[i] = 7.0;
        m->WAVE_INI.H_OLD[i] = 7.0;
    }
    return m;
}

void expect_sentinel(const Model& m, int i, bool new_level, bool old_level) {
    if (new_level) {
        EXPECT_EQ(m.WAVE.U_ND[i], 7.0) << "node " << i;
        EXPECT_EQ(m.WAVE.H_ND[i], 7.0) << "node " << i;
    }
    if (old_level) {
        EXPECT_EQ(m.WAVE_INI.U_OLD[i], 7.0) << "node " << i;
        EXPECT_EQ(m.WAVE_INI.H_OLD[i], 7.0) << "node " << i;
    }
}

TEST(Shoreline, FallingDepthRetreatsOneNodeAndClearsBothLevels) {
    auto m = shoreline(0.3, 0.1, 0.2, 0.1);  // h_e = -0.1
    BOUND(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 9);
    EXPECT_EQ(m->WAVE.U_ND[10], 0.0);
    EXPECT_EQ(m->WAVE.H_ND[10], 0.0);
    EXPECT_EQ(m->WAVE_INI.U_OLD[10], 0.0);
    EXPECT_EQ(m->WAVE_INI.H_OLD[10], 0.0);
    EXPECT_EQ(m->WAVE.H_ND[9], 0.1);
    expect_sentinel(*m, 11, true, true);
}

TEST(Shoreline, ZeroExtrapolatedVelocityNeverAdvances) {
    auto m = shoreline(0.5, 0.75, 0.75, 0.5);  // h_e = 1, h_a = 1.25, u_e = 0.25, u_a = 0
    BOUND(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 10);
    EXPECT_EQ(m->WAVE.H_ND[10], 1.0);
    EXPECT_EQ(m->WAVE.U_ND[10], 0.25);
    expect_sentinel(*m, 10, false, true);
    expect_sentinel(*m, 11, true, true);
}

TEST(Shoreline, LandwardFlowAdvancesOneNode) {
    auto m = shoreline(0.5, 0.75, 0.25, 0.5);  // u_e = 0.75, u_a = 1
    BOUND(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 11);
    EXPECT_EQ(m->WAVE.H_ND[10], 1.0);
    EXPECT_EQ(m->WAVE.U_ND[10], 0.75);
    EXPECT_EQ(m->WAVE.H_ND[11], 1.25);
    EXPECT_EQ(m->WAVE.U_ND[11], 1.0);
    expect_sentinel(*m, 10, false, true);
    expect_sentinel(*m, 11, false, true);
}

TEST(Shoreline, AdvanceNeedsDepthAboveCutOff) {
    auto m = shoreline(0.75, 0.5, 0.25, 0.5);  // h_e = 0.25, h_a = 0 = H_CUT
    m->CUT_OFF.H_CUT = 0.0;
    BOUND(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 10);
    EXPECT_EQ(m->WAVE.H_ND[10], 0.25);
    EXPECT_EQ(m->WAVE.U_ND[10], 0.75);
    expect_sentinel(*m, 11, true, true);
}

TEST(Shoreline, DepthEqualToCutOffWritesNothing) {
    auto m = shoreline(0.75, 0.5, 0.25, 0.5);  // h_e = 0.25
    m->CUT_OFF.H_CUT = 0.25;
    BOUND(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 10);
    expect_sentinel(*m, 10, true, true);
    expect_sentinel(*m, 11, true, true);
}

}  // namespace
}  // namespace tidmor
