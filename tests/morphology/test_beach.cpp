#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/constants.hpp"
#include "common/run_failure.hpp"
#include "morphology/beach.hpp"

namespace tidmor {
namespace {

// A plane beach of slope 0.05 on a grid of M nodes 1 m apart.
std::unique_ptr<Model> profile(int nodes) {
    auto m = make_model();
    m->SED_INT.N_GRID = nodes;
    m->SED_INT.N_RAMP = 7;
    m->DIFFX.DX = 1.0;
    m->SED_TRANS.RHO_S = RHO_SEDIMENT;
    m->SED_TRANS.POROSITY = POROSITY_SAND;
    m->WAVE_CONSD.T_WAVE = 8.0;
    m->WAVE_CONSD.H_WAVE = 1.5;
    m->N_CAL.N_PERIOD = 3.0;
    for (int j = 1; j <= nodes; ++j) {
        m->BEACH_PROFILE.Z_BED[j] = 0.05 * (j - 1);
        m->BEACH_PROFILE.SLOPE[j] = 0.05;
        m->BEACH_PROFILE.SLOPE_ND[j] = 0.3;
    }
    return m;
}

const double RP = RHO_SEDIMENT * POROSITY_SAND;  // 1060.0000157...

TEST(Beach, ConstantTransportLeavesTheBedUnchanged) {
    auto m = profile(101);
    for (int j = 1; j <= 101; ++j) {
        m->BEACH_PROFILE.QS_ON[j] = 5.0;
        m->BEACH_PROFILE.QS_OFF[j] = -1.0;
        m->BEACH_PROFILE.QS_NET_OLD[j] = 2.0;
    }
    BEACH(*m);
    for (int j = 1; j <= 101; ++j) {
        ASSERT_EQ(m->BEACH_PROFILE.QS_NET[j], 3.0) << "node " << j;
        ASSERT_EQ(m->BEACH_PROFILE.DZ_BED[j], 0.0) << "node " << j;
        ASSERT_EQ(m->BEACH_PROFILE.Z_BED[j], 0.05 * (j - 1)) << "node " << j;
    }
    EXPECT_EQ(m->N_CAL.N_PERIOD, 4.0);
    EXPECT_EQ(m->SED_INT.N_RAMP, 0);
}

TEST(Beach, NetTransportEqualToThePreviousPeriodStays) {
    auto m = profile(30);
    for (int j = 1; j <= 30; ++j) {
        m->BEACH_PROFILE.QS_ON[j] = 0.75 * j;
        m->BEACH_PROFILE.QS_OFF[j] = -0.25 * j;
        m->BEACH_PROFILE.QS_NET_OLD[j] = 0.5 * j;
    }
    BEACH(*m);
    for (int j = 1; j <= 30; ++j) EXPECT_EQ(m->BEACH_PROFILE.QS_NET[j], 0.5 * j);
}

TEST(Beach, TransportGrowingLandwardLowersTheBed) {
    auto m = profile(101);
    for (int j = 1; j <= 101; ++j) m->BEACH_PROFILE.QS_ON[j] = 0.002 * j;  // net 0.001 per metre
    BEACH(*m);
    const double dz = -(0.01 / 10.0) / RP;
    for (int j = 1; j <= 91; ++j) EXPECT_NEAR(m->BEACH_PROFILE.DZ_BED[j], dz, 1e-18) << "node " << j;
    // The far end, node 101, has no bed change of its own yet: the last
    // interval tapers toward 0.
    for (int j = 92; j <= 100; ++j) EXPECT_DOUBLE_EQ(m->BEACH_PROFILE.DZ_BED[j], dz - dz * (j - 91) / 10.0);
    EXPECT_EQ(m->BEACH_PROFILE.DZ_BED[101], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.Z_BED[101], 5.0);
}

TEST(Beach, TransportFallingLandwardRaisesTheBed) {
    auto m = profile(101);
    // Backwash carrying less toward the shore: the net transport falls landward.
    for (int j = 1; j <= 101; ++j) m->BEACH_PROFILE.QS_OFF[j] = -0.002 * j;
    BEACH(*m);
    for (int j = 1; j <= 100; ++j) EXPECT_GT(m->BEACH_PROFILE.DZ_BED[j], 0.0) << "node " << j;
}

// M = 35, K = 3: coarse nodes 1, 11, 21; node 31 is only the far end of the
// last interval. QS_NET = (j-1)^2 tells a one-sided from a centred
// difference; node 31 carries the bed change and slope of an earlier update.
TEST(Beach, ThirtyFiveNodes) {
    auto m = profile(35);
    auto& bp = m->BEACH_PROFILE;
    for (int j = 1; j <= 35; ++j) {
        bp.Z_BED[j] = 0.0;
        bp.QS_ON[j] = 2.0 * (j - 1) * (j - 1);
    }
    for (int j = 31; j <= 35; ++j) {
        bp.DZ_BED[j] = 0.25;
        bp.SLOPE[j] = 0.125;
        bp.Z_BED[j] = 1.0 + j;
    }
    BEACH(*m);
    // One-sided at node 1: (100 - 0)/10; centred: (400 - 0)/20 and (900 - 100)/20.
    const double dz1 = -10.0 / RP, dz11 = -20.0 / RP, dz21 = -40.0 / RP;
    EXPECT_EQ(bp.DZ_BED[1], dz1);
    EXPECT_EQ(bp.DZ_BED[11], dz11);
    EXPECT_EQ(bp.DZ_BED[21], dz21);
    EXPECT_EQ(bp.Z_BED[1], dz1);
    EXPECT_EQ(bp.Z_BED[21], dz21);
    // Slopes from the bed after all three coarse changes (node 11 sees the new node 21).
    EXPECT_DOUBLE_EQ(bp.SLOPE[1], (dz11 - dz1) / 10.0);
    EXPECT_DOUBLE_EQ(bp.SLOPE[11], (dz21 - dz1) / 20.0);
    EXPECT_DOUBLE_EQ(bp.SLOPE[21], (32.0 - dz11) / 20.0);
    // Interpolated nodes 2..30, the last interval toward node 31's old values.
    EXPECT_DOUBLE_EQ(bp.DZ_BED[6], 0.5 * (dz1 + dz11));
    EXPECT_DOUBLE_EQ(bp.Z_BED[6], 0.5 * (dz1 + dz11));
    EXPECT_DOUBLE_EQ(bp.DZ_BED[26], 0.5 * (dz21 + 0.25));
    EXPECT_DOUBLE_EQ(bp.DZ_BED[30], dz21 + (0.25 - dz21) * 0.9);
    EXPECT_DOUBLE_EQ(bp.SLOPE[26], 0.5 * (bp.SLOPE[21] + 0.125));
    for (int j = 2; j <= 30; ++j) EXPECT_NE(bp.DZ_BED[j], 0.0) << "node " << j;
    for (int j = 31; j <= 35; ++j) {
        EXPECT_EQ(bp.DZ_BED[j], 0.25) << "node " << j;
        EXPECT_EQ(bp.SLOPE[j], 0.125) << "node " << j;
        EXPECT_EQ(bp.Z_BED[j], 1.0 + j) << "node " << j;
    }
}

TEST(Beach, SlopeHandOverIsTheDimensionlessNewSlope) {
    auto m = profile(35);
    auto& bp = m->BEACH_PROFILE;
    for (int j = 1; j <= 35; ++j) {
        bp.QS_ON[j] = 0.001 * j * j;
        bp.SLOPE_ND[j] = 0.01 * j;
    }
    BEACH(*m);
    const double scale = 8.0 * std::sqrt(GRAVITY / 1.5);
    for (int j = 1; j <= 35; ++j) {
        EXPECT_DOUBLE_EQ(bp.SLOPE_ND_BASE[j] + bp.SLOPE_ND_INC[j], scale * bp.SLOPE[j]) << "node " << j;
        EXPECT_EQ(bp.SLOPE_ND_BASE[j], 0.01 * j);
        EXPECT_EQ(bp.SLOPE_ND[j], 0.01 * j);  // the wave model ramps it in
    }
    EXPECT_EQ(bp.SLOPE_ND_INC[36], 0.0);
}

TEST(Beach, ShortGridChangesOnlyTheNetTransportAndTheRamp) {
    auto m = profile(10);
    for (int j = 1; j <= 10; ++j) m->BEACH_PROFILE.QS_ON[j] = j;
    BEACH(*m);
    for (int j = 1; j <= 10; ++j) {
        EXPECT_EQ(m->BEACH_PROFILE.Z_BED[j], 0.05 * (j - 1));
        EXPECT_EQ(m->BEACH_PROFILE.QS_NET[j], 0.5 * j);
    }
    auto empty = profile(0);
    EXPECT_NO_THROW(BEACH(*empty));
    EXPECT_EQ(empty->N_CAL.N_PERIOD, 4.0);
}

TEST(Beach, ZeroSpacingStopsTheRun) {
    auto m = profile(35);
    m->DIFFX.DX = 0.0;
    m->TIME_RELATED.TIME = 7.5;
    for (int j = 1; j <= 35; ++j) m->BEACH_PROFILE.QS_ON[j] = j;
    try {
        BEACH(*m);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_STREQ(e.what(), "run stopped: Z_BED at node 1 is not finite (-inf) at TIME = 7.5 s");
    }
}

TEST(Beach, GridBeyondTheArraysIsRejected) {
    auto m = profile(10);
    m->SED_INT.N_GRID = GRID_NODES + 1;
    EXPECT_THROW(BEACH(*m), RunFailure);
}

}  // namespace
}  // namespace tidmor
