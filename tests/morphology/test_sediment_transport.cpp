#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.hpp"
#include "common/run_failure.hpp"
#include "morphology/sediment_transport.hpp"

namespace tidmor {
namespace {

// A wet strip of ten nodes, 1 m deep, on a bed of slope 1/4 with
// TAN_PHI = 3/4: the denominators are exactly 1 (onshore) and 1/2
// (offshore), so with unit efficiencies and DT_S = 1 the sums are u_c^3
// and 2 u_c^3.
std::unique_ptr<Model> strip() {
    auto m = make_model();
    m->WAVE_CONSI.N_SHORE = 10;
    m->SED_TRANS.EFF_ON = 1.0;
    m->SED_TRANS.EFF_OFF = 1.0;
    m->SED_TRANS.TAN_PHI = 0.75;
    m->WAVE_CONSD.F_FRIC = 2.0;
    m->TIME_RELATED.DT_S = 1.0;
    for (int i = 1; i <= 20; ++i) {
        m->BEACH_PROFILE.SLOPE[i] = 0.25;
        m->WAVE.H_DIM[i] = 1.0;
    }
    return m;
}

TEST(SedimentTransport, PlainEnergeticsRateWithoutExchange) {
    auto m = strip();
    m->SED_TRANS.EFF_ON = 0.75;
    m->SED_TRANS.EFF_OFF = 0.5;
    m->TIME_RELATED.DT_S = 2.0;
    m->WAVE.U_DIM[4] = 1.5;
    m->WAVE.U_DIM[5] = -1.5;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[4], 0.75 * 3.375 * 2.0);           // 5.0625
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[5], 0.5 * -3.375 * 2.0 / 0.5);    // -6.75
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[4], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[5], 0.0);
    SEDIMENT_TRANSPORT(*m);  // the sums accumulate
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[4], 10.125);
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[5], -13.5);
}

TEST(SedimentTransport, NoFrictionAndNoExchangeGivesFactorOne) {
    auto m = strip();
    m->WAVE_CONSD.F_FRIC = 0.0;
    m->WAVE.U_DIM[3] = 1.0;
    m->WAVE.U_DIM[6] = 0.00001;  // below the floor of the exchange velocity
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[3], 1.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[6], 0.00001 * 0.00001 * 0.00001);
}

TEST(SedimentTransport, VelocityAboveTwoMovesAsMuchAsTwo) {
    auto m = strip();
    m->WAVE.U_DIM[3] = 3.0;
    m->WAVE.U_DIM[4] = 2.0;
    m->WAVE.U_DIM[5] = -3.0;
    m->WAVE.U_DIM[6] = -2.0;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[3], 8.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[4], 8.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[5], -16.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[6], -16.0);
}

TEST(SedimentTransport, StillWaterAndThinWaterMoveNothing) {
    auto m = strip();
    m->WAVE.U_DIM[2] = 0.0;
    m->WAVE.U_DIM[3] = 1.0;
    m->WAVE.H_DIM[3] = 0.0199;
    m->WAVE.U_DIM[4] = -1.0;
    m->WAVE.H_DIM[4] = double(0.02f) - 1e-12;
    m->WAVE.U_DIM[5] = 1.0;
    m->WAVE.H_DIM[5] = double(0.02f);  // the single-precision limit itself is wet enough
    m->WAVE.U_DIM[6] = 1.0;
    m->WAVE.H_DIM[6] = 0.02;           // above the widened limit 0.019999999552965164
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[2], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[2], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[3], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_OFF[4], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[5], 1.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[6], 1.0);
}

TEST(SedimentTransport, OnlyWetNodesAreSummed) {
    auto m = strip();
    for (int i = 1; i <= 20; ++i) m->WAVE.U_DIM[i] = 1.0;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[10], 1.0);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[11], 0.0);
    m->WAVE_CONSI.N_SHORE = 0;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[1], 1.0);
}

// A steep slope at node 1 shows which nodes enter each mean: node 2 uses
// nodes 2..4 (not node 1), node 1 uses 1..3, node 3 uses 1..5.
TEST(SedimentTransport, ThreeNodeMeanAtTheSeawardEnd) {
    auto m = strip();
    m->BEACH_PROFILE.SLOPE[1] = 10.0;
    for (int i = 1; i <= 10; ++i) m->WAVE.U_DIM[i] = 1.0;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_DOUBLE_EQ(m->BEACH_PROFILE.QS_ON[1], 1.0 / (0.75 + 3.5));
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[2], 1.0);
    EXPECT_DOUBLE_EQ(m->BEACH_PROFILE.QS_ON[3], 1.0 / (0.75 + 2.2));
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[4], 1.0);
}

TEST(SedimentTransport, FiveNodeMeanReachesTwoNodesLandward) {
    auto m = strip();
    m->BEACH_PROFILE.SLOPE[8] = 5.25;  // mean over 4..8 becomes 1.25
    m->WAVE.U_DIM[6] = 1.0;
    m->WAVE.U_DIM[5] = 0.0;
    SEDIMENT_TRANSPORT(*m);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[6], 0.5);
}

// With |u| = 1 and F_FRIC = 2 the exchange parameter equals INFIL.
double factor_at(double phi) {
    auto m = strip();
    m->WAVE.U_DIM[5] = 1.0;
    m->INFILTRATION.INFIL[5] = phi;
    SEDIMENT_TRANSPORT(*m);
    return m->BEACH_PROFILE.QS_ON[5];
}

TEST(SedimentTransport, BoundaryLayerFactorThresholdsAndCap) {
    EXPECT_EQ(factor_at(0.0), 1.0);
    EXPECT_EQ(factor_at(EXCHANGE_NEGLIGIBLE), 1.0);
    EXPECT_EQ(factor_at(-EXCHANGE_NEGLIGIBLE), 1.0);
    EXPECT_EQ(factor_at(1e-7), 1.0);  // 1e-7 lies below its widened single-precision form
    const double above = factor_at(2e-7);
    EXPECT_LT(above, 1.0);
    EXPECT_NEAR(above, 1.0 - 1e-7, 1e-8);  // e^phi - 1 keeps few digits here
    EXPECT_NEAR(factor_at(1.0), 0.58197670686932642, 1e-15);  // 1/(e - 1)
    EXPECT_NEAR(factor_at(-5.0), 5.0339182745315, 1e-12);     // 5/(1 - e^-5)
    EXPECT_GT(factor_at(99.0), 0.0);
    EXPECT_EQ(factor_at(100.0), 0.0);
    EXPECT_EQ(factor_at(1e300), 0.0);
    EXPECT_EQ(factor_at(-9.0), -9.0 / (std::exp(-9.0) - 1.0));  // 9.0011..., below the cap
    EXPECT_EQ(factor_at(-10.0), 10.0);
    EXPECT_EQ(factor_at(-50.0), 10.0);
}

TEST(SedimentTransport, ExchangeUsesTheUnlimitedVelocity) {
    auto m = strip();
    m->WAVE.U_DIM[5] = 3.0;
    m->INFILTRATION.INFIL[5] = 3.0;  // phi = 2*3/(3*2) = 1, not 2*3/(2*2)
    SEDIMENT_TRANSPORT(*m);
    EXPECT_NEAR(m->BEACH_PROFILE.QS_ON[5], 8.0 * 0.58197670686932642, 1e-14);
}

TEST(SedimentTransport, SlowFlowUsesTheVelocityFloorInTheExchange) {
    auto m = strip();
    m->WAVE.U_DIM[5] = 0.00005;
    m->INFILTRATION.INFIL[5] = 2.0 * EXCHANGE_MIN_VELOCITY;  // phi = 2 with v = 0.0001, 4 with v = |u|
    SEDIMENT_TRANSPORT(*m);
    const double u3 = 0.00005 * 0.00005 * 0.00005;
    EXPECT_NEAR(m->BEACH_PROFILE.QS_ON[5] / u3, 2.0 / (std::exp(2.0) - 1.0), 1e-12);
}

TEST(SedimentTransport, SlopeAtFrictionAngleStopsTheRun) {
    auto m = strip();
    for (int i = 1; i <= 20; ++i) m->BEACH_PROFILE.SLOPE[i] = 0.75;
    m->WAVE.U_DIM[3] = -1.0;
    m->TIME_RELATED.TIME = 12.5;
    try {
        SEDIMENT_TRANSPORT(*m);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_STREQ(e.what(), "run stopped: QS_OFF at node 3 is not finite (-inf) at TIME = 12.5 s");
    }
}

TEST(SedimentTransport, UpslopeAtFrictionAngleStopsTheRun) {
    auto m = strip();
    for (int i = 1; i <= 20; ++i) m->BEACH_PROFILE.SLOPE[i] = -0.75;
    m->WAVE.U_DIM[7] = 0.5;
    EXPECT_THROW(SEDIMENT_TRANSPORT(*m), RunFailure);
    EXPECT_EQ(m->BEACH_PROFILE.QS_ON[6], 0.0);
}

TEST(SedimentTransport, ShorelineAtTheGridEndIsRejected) {
    auto m = strip();
    m->WAVE_CONSI.N_SHORE = GRID_NODES - 2;
    EXPECT_NO_THROW(SEDIMENT_TRANSPORT(*m));
    m->WAVE_CONSI.N_SHORE = GRID_NODES - 1;
    try {
        SEDIMENT_TRANSPORT(*m);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_NE(std::string(e.what()).find("N_SHORE = 3999"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace tidmor
