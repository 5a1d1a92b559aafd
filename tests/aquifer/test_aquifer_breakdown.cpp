// Aquifer states the run cannot go on from: a water table through the
// bottom or out of the domain, non-finite values, a diverging relaxation,
// and input that makes the first rebuilt face impossible.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <limits>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer/aquifer_state_check.hpp"
#include "aquifer_ini_fixture.hpp"
#include "common/stop_request.hpp"
#include "common/run_failure.hpp"

namespace tidmor {
namespace {

using BreakdownTest = AquiferIniFixture;

// The generated mesh of a level water table at 1 m over a 20 m aquifer:
// face nodes 1..NA, water-table nodes after them.
void level_mesh(BreakdownTest& t) {
    t.beach(0.5, 0.1, 1.0, 1.0, 20.0);
    t.generate();
}

TEST_F(BreakdownTest, GeneratedMeshIsSound) {
    level_mesh(*this);
    EXPECT_EQ(aquifer_breakdown(m), "");
    EXPECT_NO_THROW(check_aquifer_state(m, "aquifer initialisation, sweep 1"));
}

TEST_F(BreakdownTest, WaterTableBelowTheBottomOrOutsideIsNamed) {
    level_mesh(*this);
    const int node = m.CONFIG_BOUND.N_FACE + 3;
    m.NODE_PROPERTIES.Z_BND[node] = -4166.0;
    EXPECT_EQ(aquifer_breakdown(m), "water-table node " + std::to_string(node) +
                                        " at z = -4166 m lies below the aquifer bottom (z = 0)");
    m.NODE_PROPERTIES.Z_BND[node] = 0.5;
    m.NODE_PROPERTIES.X_BND[node] = -5047.0;
    EXPECT_EQ(aquifer_breakdown(m), "water-table node " + std::to_string(node) +
                                        " at x = -5047 m lies outside the aquifer (0 <= x <= X_LAND = 20 m)");
    m.NODE_PROPERTIES.X_BND[node] = 20.5;
    EXPECT_NE(aquifer_breakdown(m).find("x = 20.5 m lies outside"), std::string::npos);
    // The bottom nodes lie at z = 0 and the landward side at x = X_LAND: both allowed.
    m.NODE_PROPERTIES.X_BND[node] = 20.0;
    m.NODE_PROPERTIES.Z_BND[node] = 0.0;
    EXPECT_EQ(aquifer_breakdown(m), "");
}

TEST_F(BreakdownTest, NonFiniteHeadStopsWithStatusTwoAndTheLikelyCause) {
    level_mesh(*this);
    m.NODE_PROPERTIES.PHI_BND[7] = std::numeric_limits<double>::quiet_NaN();
    m.WELL.Q_WELL = 0.01;
    m.CONSTS.K_HYD = 1e-9;
    try {
        check_aquifer_state(m, "step 12, TIME = 3 s");
        FAIL() << "a NaN head was accepted";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_NUMERICAL);
        EXPECT_EQ(std::string(failure.what()),
                  "run stopped: the aquifer broke down (step 12, TIME = 3 s): boundary node 7 has x = 3, z = 0.30000000000000004, "
                  "head nan, normal derivative 0: not all finite; likely cause: Q_WELL/K_HYD = 0.01 m too large for "
                  "this aquifer, or the well too close to the boundary; reduce Q_WELL, move the well or raise K_HYD");
    }
}

TEST_F(BreakdownTest, RelaxationSweepsStopOnARecordedSignal) {
    beach(0.5, 0.1, 1.0, 1.0, 20.0);
    request_interrupt(SIGTERM);
    try {
        AQUIFER_INI(m, units);
        FAIL() << "the relaxation ignored the signal";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_SIGTERM);
        EXPECT_EQ(std::string(failure.what()).rfind("run interrupted by SIGTERM during the aquifer initialisation "
                                                    "(sweep 1, before model time 0)",
                                                    0),
                  0u)
            << failure.what();
    }
    request_interrupt(0);
    EXPECT_EQ(console.str(), "");  // stopped before the first sweep's line
}

TEST(RelaxationDivergence, GrowthOrSizeStopsASweepSequence) {
    // A settling relaxation: movements shrink, or grow a little before they do.
    EXPECT_FALSE(relaxation_diverges(0.34, 0.0, 20.0));    // first sweep: nothing to compare with
    EXPECT_FALSE(relaxation_diverges(0.6, 0.34, 20.0));
    EXPECT_FALSE(relaxation_diverges(340.0 * 0.999, 0.34, 1000.0));
    // Three orders of magnitude above the smallest movement so far.
    EXPECT_TRUE(relaxation_diverges(340.1, 0.34, 1000.0));
    // More than the aquifer is large, in one sweep, also in the first.
    EXPECT_TRUE(relaxation_diverges(20.5, 0.0, 20.0));
    EXPECT_TRUE(relaxation_diverges(88091.0, 0.34, 20.0));
}

TEST_F(BreakdownTest, InitialShorelineNeedingAFaceWithoutUniformNodeIsRejected) {
    // No seepage face: the beach face ends at the last submerged node,
    // (NA - 1) L = 1 m (XS = 1.5 m, NA = 2), and a shoreline between 1 m
    // and 2 L = 2 m would be re-meshed with no node every 2 L from x = 0.
    beach(1.0, 0.1, 0.15, 0.15, 30.0);
    m.WAVE_CONSI.N_SHORE = 1;
    m.CROSS_DIS.X_NODE[1] = 1.4;
    try {
        check_aquifer_mesh(m, "beach.dat");
        FAIL() << "accepted";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        EXPECT_NE(std::string(failure.what()).find("initial shoreline at x = 1.4 m lies beyond the aquifer's beach "
                                                   "face (x = 1 m) but closer than 2 L_ELEM = 2 m"),
                  std::string::npos)
            << failure.what();
    }
    m.CROSS_DIS.X_NODE[1] = 1.0;  // on the face's last node: the reference face is used
    EXPECT_NO_THROW(check_aquifer_mesh(m, "beach.dat"));
    m.CROSS_DIS.X_NODE[1] = 2.0;  // one uniform node
    EXPECT_NO_THROW(check_aquifer_mesh(m, "beach.dat"));
}

}  // namespace
}  // namespace tidmor
