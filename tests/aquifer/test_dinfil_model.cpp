#include <gtest/gtest.h>

#include <cmath>

#include "aquifer/dinfil_model.hpp"
#include "test_aquifer_rec_mesh.hpp"

namespace tidmor {
namespace {

using testing::reference_beach;

std::unique_ptr<Model> beach_step() {
    auto m = reference_beach();
    m->WAVE_CONSD.T_WAVE = 8.0;
    m->WAVE_CONSD.H_WAVE = 0.5;
    m->TIME_RELATED.DT = 0.01;
    return m;
}

// The swash stands 0.2 m above the still-water level on the wet face.
void raise_swash(Model& m) {
    for (int g = 1; g <= 6; ++g) m.WAVE.H_DIM[g] = m.WAVE.H_DIM[g] + 0.2;
}

TEST(DinfilModel, StillWaterOnALevelWaterTableGivesNoFlow) {
    Units units;
    auto m = beach_step();
    DINFIL_MODEL(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, 27);
    for (int k = 1; k <= 30; ++k) {
        EXPECT_NEAR(m->INFILTRATION.INFIL[k], 0.0, 1e-15) << "grid node " << k;
        EXPECT_NEAR(m->INFILTRATION.INFIL_ND[k], 0.0, 1e-13) << "grid node " << k;
    }
    // The heads solved for on the impermeable bottom are the common level.
    for (int j = 19; j <= 27; ++j) EXPECT_NEAR(m->NODE_PROPERTIES.PHI_BND[j], 1.0, 1e-12) << "node " << j;
}

TEST(DinfilModel, RaisedSwashDrivesWaterIntoTheFace) {
    Units units;
    auto m = beach_step();
    raise_swash(*m);
    DINFIL_MODEL(*m, units);
    const auto& inf = m->INFILTRATION;
    double total = 0.0;
    for (int k = 1; k <= 6; ++k) total += inf.INFIL[k];
    EXPECT_LT(total, 0.0);
    EXPECT_LT(inf.INFIL[5], 0.0);
    // Grid node 6 is exactly at the last face node: -K_HYD times its derivative.
    EXPECT_DOUBLE_EQ(inf.INFIL[6], -0.001 * m->NODE_PROPERTIES.Q_BND[11]);
    EXPECT_NE(inf.INFIL[6], 0.0);
    for (int k = 7; k <= 30; ++k) {
        EXPECT_EQ(inf.INFIL[k], 0.0) << "grid node " << k;
        EXPECT_EQ(inf.INFIL_ND[k], 0.0) << "grid node " << k;
    }
    // Grid node 2 (x = 2) is face node 3: its value up to the rounding of the segment.
    EXPECT_DOUBLE_EQ(inf.INFIL[2], -0.001 * m->NODE_PROPERTIES.Q_BND[3]);
    // Grid node 3 (x = 4) is face node 5.
    EXPECT_DOUBLE_EQ(inf.INFIL[3], -0.001 * m->NODE_PROPERTIES.Q_BND[5]);
}

TEST(DinfilModel, FirstRatesAreTheValueOverTheStep) {
    Units units;
    auto m = beach_step();
    raise_swash(*m);
    DINFIL_MODEL(*m, units);
    const auto& inf = m->INFILTRATION;
    for (int k = 1; k <= 30; ++k) {
        EXPECT_EQ(inf.INFIL_ND[k], 8.0 * inf.INFIL[k] / 0.5) << k;
        EXPECT_EQ(inf.INFIL_RATE[k], inf.INFIL_ND[k] / 0.01) << k;
        EXPECT_EQ(inf.INFIL_ABS_RATE[k], std::fabs(inf.INFIL_ND[k]) / 0.01) << k;
    }
}

TEST(DinfilModel, OnlyTheDimensionlessValueCarriesToTheNextCall) {
    Units units;
    auto m = beach_step();
    raise_swash(*m);
    DINFIL_MODEL(*m, units);
    const auto first = m->INFILTRATION;
    m->TIME_RELATED.DT = 0.02;
    DINFIL_MODEL(*m, units);  // same swash: the same solution, no change to rate
    for (int k = 1; k <= 30; ++k) {
        EXPECT_EQ(m->INFILTRATION.INFIL[k], first.INFIL[k]) << k;
        EXPECT_EQ(m->INFILTRATION.INFIL_RATE[k], 0.0) << k;
        EXPECT_EQ(m->INFILTRATION.INFIL_ABS_RATE[k], 0.0) << k;
    }
    // Back to still water: the flow vanishes and the rates undo the last value.
    for (int g = 1; g <= 6; ++g) m->WAVE.H_DIM[g] = m->WAVE.H_DIM[g] - 0.2;
    DINFIL_MODEL(*m, units);
    for (int k = 1; k <= 6; ++k) {
        const double scale = std::fabs(first.INFIL_ND[k]) / 0.02;
        EXPECT_NEAR(m->INFILTRATION.INFIL_RATE[k], -first.INFIL_ND[k] / 0.02, 1e-9 * scale) << k;
        EXPECT_NEAR(m->INFILTRATION.INFIL_ABS_RATE[k], -std::fabs(first.INFIL_ND[k]) / 0.02, 1e-9 * scale) << k;
    }
}

TEST(DinfilModel, ExtendedFaceSamplesUpToTheShoreline) {
    Units units;
    auto m = beach_step();
    // Sea level 1.7 m, shoreline at grid node 9 (x = 16): 8 uniform face
    // nodes, the midpoint and the shoreline node 10.
    for (int g = 1; g <= 9; ++g) m->WAVE.H_DIM[g] = 1.7 - 0.2 * (g - 1);
    m->WAVE_CONSI.N_SHORE = 9;
    DINFIL_MODEL(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_FACE, 10);
    EXPECT_EQ(m->NODE_PROPERTIES.X_BND[10], 16.0);
    const auto& inf = m->INFILTRATION;
    for (int k = 1; k <= 9; ++k) EXPECT_TRUE(std::isfinite(inf.INFIL[k])) << k;
    EXPECT_LT(inf.INFIL[4], 0.0);  // the raised sea enters the beach
    for (int k = 10; k <= 30; ++k) EXPECT_EQ(inf.INFIL[k], 0.0) << k;
}

TEST(DinfilModel, NoWellLeavesTheWellPartsZero) {
    Units units;
    auto m = beach_step();
    raise_swash(*m);
    m->WELL.Q_WELL = 0.0;
    m->WELL.X_WELL = 10.0;
    m->WELL.Z_WELL = 0.5;
    DINFIL_MODEL(*m, units);
    for (int j = 1; j <= 27; ++j) {
        EXPECT_EQ(m->WELL.PHI_WELL[j], 0.0);
        EXPECT_EQ(m->WELL.DPHI_WELL[j], 0.0);
    }
}

TEST(DinfilModel, PumpingWellDrawsWaterThroughTheFace) {
    Units units;
    auto still = beach_step();
    DINFIL_MODEL(*still, units);
    auto m = beach_step();
    m->WELL.Q_WELL = 0.01;
    m->WELL.X_WELL = 12.0;
    m->WELL.Z_WELL = 0.4;
    DINFIL_MODEL(*m, units);
    EXPECT_NE(m->WELL.PHI_WELL[5], 0.0);
    double total = 0.0, still_total = 0.0;
    for (int k = 1; k <= 6; ++k) {
        total += m->INFILTRATION.INFIL[k];
        still_total += still->INFILTRATION.INFIL[k];
    }
    EXPECT_LT(total, 0.0);
    EXPECT_GT(std::fabs(total), 1e6 * std::fabs(still_total));
}

}  // namespace
}  // namespace tidmor
