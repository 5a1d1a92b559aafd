#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "common/run_failure.hpp"
#include "wave/slope_ramp.hpp"
#include "wave/wave_model.hpp"
#include "wave_state.hpp"

namespace tidmor {
namespace {

using wave_test::plane_beach;

// SLOPE_ND_INC = 2.5 makes every ramp step an exact 1/8.
TEST(SlopeRamp, MovesByOneTwentiethAndEndsExactlyAtTheTwentiethCall) {
    auto m = plane_beach(20, 30);
    for (int j = 1; j <= 30; ++j) {
        m->BEACH_PROFILE.SLOPE_ND_BASE[j] = 0.1;
        m->BEACH_PROFILE.SLOPE_ND_INC[j] = 2.5;
    }
    m->BEACH_PROFILE.SLOPE_ND[31] = -1.0;
    for (int call = 1; call <= 20; ++call) {
        slope_ramp(*m);
        EXPECT_EQ(m->SED_INT.N_RAMP, call);
        EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[1], 0.1 + 0.125 * call) << "call " << call;
        EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[30], 0.1 + 0.125 * call) << "call " << call;
    }
    EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[1], 0.1 + 2.5);
    EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[31], -1.0);  // beyond N_GRID

    m->BEACH_PROFILE.SLOPE_ND_BASE[1] = 7.0;  // from the 21st call on: left alone
    for (int call = 21; call <= 25; ++call) slope_ramp(*m);
    EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[1], 0.1 + 2.5);
    EXPECT_EQ(m->SED_INT.N_RAMP, 21);

    m->SED_INT.N_RAMP = 0;  // a profile update restarts the ramp
    slope_ramp(*m);
    EXPECT_EQ(m->BEACH_PROFILE.SLOPE_ND[1], 7.0 + 0.125);
}

// Node 1 at the new level, by hand: c1 = 2, c2 = sqrt(3.875), lambda = 1/2,
// b = 4 + (2 c2 - 4) + 0.5 * 0.125, eta_R = b - 4, eta_I = 0.5 cos(-1.57f);
// u1 = (eta_I - eta_R)/2 = 0.000447100061712883, h1 = 4 + eta_I + eta_R.
// The fastest node is node 1: s_max = u1 + sqrt(h1) = 2.00042261844568470,
// DT = 0.4f * 0.25 / s_max (0.0499894367709656 with 0.4 as a double).
constexpr double FIRST_U1 = 0.00044710006171288331;
constexpr double FIRST_H1 = 3.9999020741352368;
constexpr double FIRST_DT = 0.049989437515866256;

TEST(WaveModel, StillWaterStepOnPlaneSlope) {
    auto m = plane_beach();
    WAVE_MODEL(*m);
    EXPECT_EQ(m->SED_INT.N_RAMP, 1);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 20);
    for (int j = 2; j <= 20; ++j) {
        EXPECT_EQ(m->WAVE_INI.H_OLD[j], 4.0 - 0.125 * (j - 1)) << "node " << j;
        EXPECT_EQ(m->WAVE_INI.U_OLD[j], 0.0) << "node " << j;
        EXPECT_EQ(m->WAVE.H_DIM[j], m->WAVE_INI.H_OLD[j]) << "node " << j;
    }
    EXPECT_NEAR(m->WAVE_INI.U_OLD[1], FIRST_U1, 1e-16);
    EXPECT_NEAR(m->WAVE_INI.H_OLD[1], FIRST_H1, 1e-15);
    EXPECT_NEAR(m->TIME_RELATED.DT, FIRST_DT, 1e-17);
    EXPECT_EQ(m->RUNUP.N_UP, 20);
    EXPECT_EQ(m->RUNUP.N_DOWN, 20);  // node 21 has never been wet
}

TEST(WaveModel, CutOffLeavingSixNodesGoesOn) {
    auto m = plane_beach();
    m->CUT_OFF.H_CUT = 3.3;  // node 7 holds 3.25
    WAVE_MODEL(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 6);
    for (int i = 7; i <= 20; ++i) {
        EXPECT_EQ(m->WAVE.H_ND[i], 0.0) << "node " << i;
        EXPECT_EQ(m->WAVE_INI.H_OLD[i], 0.0) << "node " << i;
    }
    EXPECT_EQ(m->WAVE_INI.H_OLD[6], 3.375);
}

std::string failure_of(Model& m) {
    try {
        WAVE_MODEL(m);
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        return e.what();
    }
    ADD_FAILURE() << "no failure";
    return "";
}

TEST(WaveModel, CutOffLeavingFiveNodesStopsTheRun) {
    auto m = plane_beach();
    m->CUT_OFF.H_CUT = 3.5;  // node 6 holds 3.375
    m->TIME_RELATED.TIME = 40.0;
    m->N_CAL.N_STEP = 7;
    const std::string what = failure_of(*m);
    EXPECT_NE(what.find("fewer than 6 wet nodes before the tail check (N_SHORE = 5)"), std::string::npos) << what;
    EXPECT_NE(what.find("at node 5 (TIME = 40 s, step 7)"), std::string::npos) << what;
}

TEST(WaveModel, TooFewWetNodesOnEntryStopTheRun) {
    auto m = plane_beach(5, 40);
    const std::string what = failure_of(*m);
    EXPECT_NE(what.find("fewer than 6 wet nodes at the start of the wave step"), std::string::npos) << what;
    EXPECT_EQ(m->SED_INT.N_RAMP, 0);  // stopped before anything moved
}

TEST(WaveModel, NonFiniteDepthStopsTheRunAtTheFirstNodeItReaches) {
    auto m = plane_beach();
    m->WAVE_INI.H_OLD[10] = std::numeric_limits<double>::quiet_NaN();
    const std::string what = failure_of(*m);
    EXPECT_NE(what.find("not finite"), std::string::npos) << what;
    EXPECT_NE(what.find("at node 9 "), std::string::npos) << what;
}

// Uprush: u = 1/2 everywhere on the still-water slope wets node 21.
std::unique_ptr<Model> uprush(int n_grid) {
    auto m = plane_beach(20, n_grid);
    for (int j = 1; j <= 20; ++j) m->WAVE_INI.U_OLD[j] = 0.5;
    return m;
}

TEST(WaveModel, UprushAdvancesTheShorelineOnBothLevels) {
    auto m = uprush(40);
    WAVE_MODEL(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 21);
    EXPECT_GT(m->WAVE_INI.H_OLD[21], m->CUT_OFF.H_CUT);
    EXPECT_GT(m->WAVE_INI.U_OLD[21], 0.0);
    EXPECT_EQ(m->WAVE.H_DIM[21], m->WAVE_INI.H_OLD[21]);
    EXPECT_EQ(m->RUNUP.N_UP, 21);
}

TEST(WaveModel, SwashReachingTheGridEndStopsTheRun) {
    auto m = uprush(22);
    m->TIME_RELATED.TIME = 1.5;
    m->N_CAL.N_STEP = 12;
    const std::string what = failure_of(*m);
    EXPECT_NE(what.find("the swash reached the landward end of the grid (N_SHORE = 21 > N_GRID - 2 = 20)"),
              std::string::npos)
        << what;
    EXPECT_NE(what.find("at node 21 (TIME = 1.5 s, step 12)"), std::string::npos) << what;

    auto entry = plane_beach(20, 21);
    EXPECT_NE(failure_of(*entry).find("landward end of the grid"), std::string::npos);
}

// The closing step evaluates the period's extremes, then counts its own
// shoreline for the next period.
TEST(WaveModel, PeriodClosingStepEvaluatesTheSwash) {
    auto m = plane_beach();
    m->RUNUP.N_UP = 25;
    m->RUNUP.N_DOWN = 12;
    for (int j = 12; j <= 25; ++j) m->BEACH_PROFILE.SLOPE[j] = 0.0625;
    m->SED_TRANS.T_CYCLE = 10.5;
    WAVE_MODEL(*m);
    EXPECT_EQ(m->RUNUP.X_UP, 24.0);
    EXPECT_EQ(m->RUNUP.X_DOWN, 11.0);
    EXPECT_EQ(m->RUNUP.SLOPE_SWASH, 0.0625);
    EXPECT_EQ(m->RUNUP.N_UP, 20);
    EXPECT_EQ(m->RUNUP.N_DOWN, 20);
}

}  // namespace
}  // namespace tidmor
