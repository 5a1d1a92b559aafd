#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "common/run_failure.hpp"
#include "wave/final_pass.hpp"
#include "wave/swash_statistics.hpp"
#include "wave/wet_dry.hpp"
#include "wave_state.hpp"

namespace tidmor {
namespace {

using wave_test::plane_beach;

// Both levels set on nodes 1..21 (node 21 dry but with a sentinel).
std::unique_ptr<Model> wet_strip() {
    auto m = plane_beach(20, 40);
    for (int i = 1; i <= 21; ++i) {
        m->WAVE.U_ND[i] = 0.25;
        m->WAVE_INI.U_OLD[i] = 0.25;
    }
    m->WAVE.H_ND[21] = 9.0;
    return m;
}

void expect_dry_from(const Model& m, int first, int last) {
    EXPECT_EQ(m.WAVE_CONSI.N_SHORE, first - 1);
    for (int i = first; i <= last; ++i) {
        EXPECT_EQ(m.WAVE.U_ND[i], 0.0) << "node " << i;
        EXPECT_EQ(m.WAVE.H_ND[i], 0.0) << "node " << i;
        EXPECT_EQ(m.WAVE_INI.U_OLD[i], 0.0) << "node " << i;
        EXPECT_EQ(m.WAVE_INI.H_OLD[i], 0.0) << "node " << i;
    }
    EXPECT_NE(m.WAVE.H_ND[first - 1], 0.0);
    EXPECT_EQ(m.WAVE.H_ND[last + 1], 9.0);  // nothing beyond the old shoreline
}

TEST(CutOffScan, FirstShallowNodeDriesEverythingLandward) {
    auto m = wet_strip();
    m->WAVE.H_ND[12] = 0.01;
    m->WAVE.H_ND[15] = 0.01;
    cut_off_scan(*m);
    expect_dry_from(*m, 12, 20);
}

TEST(CutOffScan, DepthEqualToCutOffStaysWet) {
    auto m = wet_strip();
    m->WAVE.H_ND[12] = m->CUT_OFF.H_CUT;
    cut_off_scan(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 20);
}

TEST(CutOffScan, ShallowSeawardNodeDriesTheWholeGrid) {
    auto m = wet_strip();
    m->WAVE.H_ND[1] = 0.0;
    cut_off_scan(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 0);
    EXPECT_EQ(m->WAVE.H_ND[20], 0.0);
}

TEST(TailCheck, DepthNotFallingAtNodeNMinus3MovesTheShorelineThere) {
    auto m = wet_strip();
    m->WAVE.H_ND[18] = m->WAVE.H_ND[17];  // 15 > 16 > 17, but 17 <= 18
    tail_check(*m);
    expect_dry_from(*m, 18, 20);
}

TEST(TailCheck, OnlyTheLastSixNodesAreLookedAt) {
    auto m = wet_strip();
    m->WAVE.H_ND[14] = 3.5;  // rises from node 13 to 14: outside the six
    tail_check(*m);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 20);
    m->WAVE.H_ND[15] = 3.5;  // node 15 = N - 5 no longer above node 16
    m->WAVE.H_ND[16] = 3.5;
    tail_check(*m);
    expect_dry_from(*m, 16, 20);
}

TEST(TailCheck, FewerThanSixWetNodesStopTheRun) {
    auto m = wet_strip();
    m->WAVE_CONSI.N_SHORE = 5;
    m->TIME_RELATED.TIME = 12.5;
    m->N_CAL.N_STEP = 250;
    try {
        tail_check(*m);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_EQ(std::string(e.what()),
                  "run stopped: fewer than 6 wet nodes before the tail check (N_SHORE = 5): the swash stencils "
                  "need at least 6; the shoreline is at node 5 (TIME = 12.5 s, step 250)");
    }
}

TEST(WetRegion, ShorelineMustStayTwoNodesInsideTheGrid) {
    auto m = wet_strip();
    m->SED_INT.N_GRID = 22;
    EXPECT_NO_THROW(require_inside_grid(*m));
    m->SED_INT.N_GRID = 21;
    try {
        require_inside_grid(*m);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_NE(std::string(e.what()).find("the swash reached the landward end of the grid"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("at node 20 (TIME = 0 s, step 0)"), std::string::npos) << e.what();
    }
}

// Swash statistics: shoreline history 12 -> 14 -> 13 within a period.
TEST(SwashStatistics, RunUpNodeNeverDecreasesBetweenEvaluations) {
    auto m = wet_strip();
    m->SED_TRANS.T_CYCLE = 3.0;
    for (int n : {12, 14, 13}) {
        m->WAVE_CONSI.N_SHORE = n;
        swash_statistics(*m);
    }
    EXPECT_EQ(m->RUNUP.N_UP, 14);
    EXPECT_EQ(m->RUNUP.X_UP, 0.0);  // not evaluated yet
}

TEST(SwashStatistics, PeriodCloseEvaluatesAndCountsThisShorelineForTheNext) {
    auto m = wet_strip();
    m->DIFFX.DX = 2.0;
    m->RUNUP.N_UP = 14;
    m->RUNUP.N_DOWN = 11;
    const double slopes[] = {0.5, 0.25, 0.125, 0.125};  // nodes 11..14
    for (int j = 11; j <= 14; ++j) m->BEACH_PROFILE.SLOPE[j] = slopes[j - 11];
    m->BEACH_PROFILE.SLOPE[10] = 100.0;
    m->BEACH_PROFILE.SLOPE[15] = 100.0;
    m->SED_TRANS.T_CYCLE = m->WAVE_CONSD.T_WAVE;  // closes: >=
    m->WAVE_CONSI.N_SHORE = 12;
    swash_statistics(*m);
    EXPECT_EQ(m->RUNUP.X_UP, 26.0);
    EXPECT_EQ(m->RUNUP.X_DOWN, 20.0);
    EXPECT_EQ(m->RUNUP.SLOPE_SWASH, 0.25);
    EXPECT_EQ(m->RUNUP.N_UP, 12);
    EXPECT_EQ(m->RUNUP.N_DOWN, 40);
}

TEST(SwashStatistics, PeriodWithoutRunDownNodeGivesZeroSlope) {
    for (int n_down : {40, 15}) {  // count -25 and 0
        auto m = wet_strip();
        m->RUNUP.N_UP = 14;
        m->RUNUP.N_DOWN = n_down;
        m->RUNUP.SLOPE_SWASH = 5.0;
        m->BEACH_PROFILE.SLOPE[14] = 0.5;
        m->SED_TRANS.T_CYCLE = 11.0;
        swash_statistics(*m);
        EXPECT_EQ(m->RUNUP.SLOPE_SWASH, 0.0) << "N_DOWN " << n_down;
        EXPECT_FALSE(std::signbit(m->RUNUP.SLOPE_SWASH)) << "N_DOWN " << n_down;
    }
}

TEST(FinalPass, CopiesLevelsAndWritesDimensionalValues) {
    auto m = wet_strip();
    m->WAVE_CONSD.H_WAVE = 0.5;
    m->WAVE.U_ND[3] = -2.0;
    m->WAVE_INI.U_OLD[3] = 0.0;
    final_pass(*m);
    EXPECT_EQ(m->WAVE_INI.U_OLD[3], -2.0);
    EXPECT_EQ(m->WAVE_INI.H_OLD[3], 3.75);
    EXPECT_EQ(m->WAVE.H_DIM[3], 1.875);
    // sqrt(9.81f * 0.5) = 2.2147235064017245 (2.2147234590350102 with 9.81)
    EXPECT_NEAR(m->WAVE.U_DIM[3], -2.0 * 2.2147235064017245, 1e-15);
    EXPECT_EQ(m->WAVE.U_DIM[21], 0.0);  // beyond the shoreline nothing is written
    EXPECT_EQ(m->WAVE_INI.H_OLD[21], 0.0);
}

TEST(FinalPass, ReturnsTheLargestCharacteristicSpeed) {
    auto m = wet_strip();
    m->WAVE.U_ND[7] = -1.5;  // |u| + sqrt(3.25) beats 0.25 + 2 at node 1
    EXPECT_EQ(final_pass(*m), 1.5 + std::sqrt(3.25));
}

TEST(FinalPass, RunDownReadsTheNeighboursDepthOfThePreviousStep) {
    auto m = wet_strip();
    m->WAVE.H_DIM[7] = 0.002;  // 0.002 < 0.002f: counts
    m->WAVE.H_DIM[9] = 0.0;
    final_pass(*m);
    EXPECT_EQ(m->RUNUP.N_DOWN, 6);
}

TEST(FinalPass, RunDownIgnoresTheNewDepthAndNeedsANodeBelowTheLast) {
    auto m = wet_strip();
    m->WAVE.H_DIM[8] = double(0.002f);  // not below the single-precision 0.002
    m->WAVE.H_ND[9] = 0.001;            // new depth: read only in the next step
    final_pass(*m);
    EXPECT_EQ(m->RUNUP.N_DOWN, 20);  // node 21 has never been wet: H_DIM 0
    EXPECT_EQ(m->WAVE.H_DIM[9], 0.001);

    m->RUNUP.N_DOWN = 5;  // only nodes seaward of N_DOWN can lower it
    m->WAVE.H_DIM[6] = 0.0;
    final_pass(*m);
    EXPECT_EQ(m->RUNUP.N_DOWN, 5);
}

TEST(FinalPass, NonFiniteSolutionStopsTheRunAtItsNode) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        auto m = wet_strip();
        m->WAVE.U_ND[7] = bad;
        m->TIME_RELATED.TIME = 3.25;
        m->N_CAL.N_STEP = 65;
        try {
            final_pass(*m);
            FAIL() << "no failure for " << bad;
        } catch (const RunFailure& e) {
            EXPECT_EQ(e.status(), EXIT_NUMERICAL);
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("run stopped: the swash solution is not finite (U_ND = ", 0), 0u) << what;
            EXPECT_NE(what.find(", H_ND = 3.25) at node 7 (TIME = 3.25 s, step 65)"), std::string::npos) << what;
        }
        EXPECT_EQ(m->WAVE_INI.U_OLD[7], 0.25);  // the bad value is not carried on
    }
}

TEST(NextTimeStep, CourantNumberIsTheSinglePrecisionPointFour) {
    auto m = wet_strip();
    next_time_step(*m, 2.0);
    EXPECT_EQ(m->TIME_RELATED.DT, 0.05000000074505806);  // 0.4f * 0.25 / 2
}

TEST(NextTimeStep, NoPositiveSpeedStopsTheRun) {
    auto m = wet_strip();
    try {
        next_time_step(*m, 0.0);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_NE(std::string(e.what()).find("s_max = 0"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("at node 20"), std::string::npos) << e.what();
    }
    EXPECT_EQ(m->TIME_RELATED.DT, 0.125);
}

}  // namespace
}  // namespace tidmor
