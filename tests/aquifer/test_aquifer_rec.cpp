#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "aquifer/aquifer_rec.hpp"
#include "common/run_failure.hpp"
#include "test_aquifer_rec_mesh.hpp"

namespace tidmor {
namespace {

using testing::reference_beach;

// The reference beach with a bed of slope 1/8 per metre (0.25 per grid
// node) and a swash whose depth falls from 0.7 m at node 1 to 0 at node 8.
std::unique_ptr<Model> swash(int n_shore) {
    auto m = reference_beach();
    for (int g = 1; g <= 30; ++g) {
        m->BEACH_PROFILE.Z_BED[g] = 0.25 * (g - 1);
        m->WAVE.H_DIM[g] = g <= 8 ? 0.1 * (8 - g) : 0.0;
    }
    m->WAVE_CONSI.N_SHORE = n_shore;
    return m;
}

void expect_copied(const Model& m, int node, int ref) {
    SCOPED_TRACE("node " + std::to_string(node) + " from reference node " + std::to_string(ref));
    EXPECT_EQ(m.NODE_PROPERTIES.X_BND[node], m.FINAL_INI.X_BND0[ref]);
    EXPECT_EQ(m.NODE_PROPERTIES.Z_BND[node], m.FINAL_INI.Z_BND0[ref]);
    EXPECT_EQ(m.NODE_PROPERTIES.PHI_BND[node], m.FINAL_INI.PHI_BND0[ref]);
    EXPECT_EQ(m.NODE_PROPERTIES.Q_BND[node], m.FINAL_INI.Q_BND0[ref]);
    EXPECT_EQ(m.NODE_PROPERTIES.KODE_BND[node], m.FINAL_INI.KODE_BND0[ref]);
}

TEST(AquiferRec, ShorelineAtTheEndOfTheReferenceFaceKeepsTheReferenceMesh) {
    Units units;
    auto m = swash(6);  // x_s = 10 = X_BND0(N_FACE0)
    m->FINAL_INI.Q_BND0[3] = 0.125;
    AQUIFER_REC(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, 27);
    EXPECT_EQ(m->CONFIG_BOUND.N_FACE, 11);
    EXPECT_EQ(m->CONFIG_BOUND.N_FREE, 4);
    const auto& nd = m->NODE_PROPERTIES;
    for (int i = 1; i <= 11; ++i) {
        EXPECT_EQ(nd.X_BND[i], i - 1.0);
        EXPECT_EQ(nd.KODE_BND[i], 1) << "face node " << i;
    }
    EXPECT_EQ(nd.Q_BND[3], 0.125);
    // x = 1 lies halfway between grid nodes 1 and 2.
    EXPECT_EQ(nd.Z_BND[2], 0.125);
    EXPECT_DOUBLE_EQ(nd.PHI_BND[2], 0.125 + 0.65);
    EXPECT_DOUBLE_EQ(nd.PHI_BND[11], 1.25 + 0.2);
    for (int j = 12; j <= 27; ++j) expect_copied(*m, j, j);
}

TEST(AquiferRec, FaceNodesEitherSideOfTheShoreline) {
    Units units;
    auto m = swash(3);  // x_s = 4
    m->BEACH_PROFILE.Z_BED[4] = 1.0;  // a kink under face node 6 (x = 5)
    m->WAVE.H_DIM[1] = 1.0;
    m->WAVE.H_DIM[2] = 0.5;
    m->WAVE.H_DIM[3] = 0.25;
    AQUIFER_REC(*m, units);
    const auto& nd = m->NODE_PROPERTIES;
    EXPECT_EQ(nd.KODE_BND[4], 1);
    EXPECT_EQ(nd.PHI_BND[4], 0.375 + 0.375);  // x = 3: bed 0.375, depth 0.375
    EXPECT_EQ(nd.KODE_BND[5], 1);            // exactly at the shoreline
    EXPECT_EQ(nd.Z_BND[5], 0.5);
    EXPECT_EQ(nd.PHI_BND[5], 0.75);
    EXPECT_EQ(nd.KODE_BND[6], 4);            // just landward of it
    EXPECT_EQ(nd.Z_BND[6], 0.75);
    EXPECT_EQ(nd.PHI_BND[6], 0.75);
    for (int i = 6; i <= 11; ++i) {
        EXPECT_EQ(nd.KODE_BND[i], 4) << "face node " << i;
        EXPECT_EQ(nd.PHI_BND[i], nd.Z_BND[i]) << "face node " << i;
    }
}

// x_s = 14: uniform nodes at 0, 2, .., 12, the midpoint at 13, the
// shoreline node 9 at 14 on a bed of 1.75. Reference water-table node 12
// stands above that bed and passes, node 13 lies right under the shoreline
// (infinite slope) and is dropped, so node 12 goes with it: j0 = 14.
TEST(AquiferRec, ExtendedFaceCountsNodesAndLift) {
    Units units;
    auto m = swash(8);
    m->FINAL_INI.Z_BND0[12] = 1.8;
    m->FINAL_INI.PHI_BND0[12] = 1.8;
    std::ostringstream console;
    units.console = &console;
    AQUIFER_REC(*m, units);
    EXPECT_EQ(console.str(), "");
    const auto& cb = m->CONFIG_BOUND;
    const auto& nd = m->NODE_PROPERTIES;
    EXPECT_EQ(cb.N_FACE, 9);
    EXPECT_EQ(cb.N_FREE, 2);
    EXPECT_EQ(cb.N_BND, 23);
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(nd.X_BND[i], 2.0 * (i - 1));
        EXPECT_DOUBLE_EQ(nd.Z_BND[i], 0.25 * (i - 1));
        EXPECT_DOUBLE_EQ(nd.PHI_BND[i], 0.25 * (i - 1) + 0.1 * (8 - i));
        EXPECT_EQ(nd.KODE_BND[i], 1);
    }
    EXPECT_EQ(nd.X_BND[8], 13.0);
    EXPECT_EQ(nd.Z_BND[8], 1.625);
    EXPECT_DOUBLE_EQ(nd.PHI_BND[8], 1.675);
    EXPECT_EQ(nd.KODE_BND[8], 1);
    EXPECT_EQ(nd.X_BND[9], 14.0);
    EXPECT_EQ(nd.Z_BND[9], 1.75);
    EXPECT_EQ(nd.PHI_BND[9], 1.75);
    EXPECT_EQ(nd.KODE_BND[9], 1);
    // Water table from reference node 14 on, lifted by d = 1.75 - 1 with a
    // decay rate a = sqrt(0.4 / (2 * 0.05)) = 2 (to single precision).
    EXPECT_EQ(nd.X_BND[10], 16.0);
    EXPECT_NEAR(nd.Z_BND[10], 1.0 + 0.75 * std::exp(-4.0), 1e-7);
    EXPECT_NEAR(nd.Z_BND[11], 1.0 + 0.75 * std::exp(-8.0), 1e-7);
    EXPECT_EQ(nd.PHI_BND[10], nd.Z_BND[10]);
    EXPECT_EQ(nd.PHI_BND[11], nd.Z_BND[11]);
    EXPECT_EQ(nd.KODE_BND[10], 1);
    for (int t = 12; t <= 23; ++t) expect_copied(*m, t, t + 4);
}

TEST(AquiferRec, SteepDropBehindTheShorelineIsOverrun) {
    Units units;
    auto m = swash(8);
    m->FINAL_INI.X_BND0[14] = 14.05;  // 0.75 m below the shoreline bed, 0.05 m landward: slope 15
    AQUIFER_REC(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_FREE, 1);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, 22);
    EXPECT_EQ(m->NODE_PROPERTIES.X_BND[10], 18.0);
}

TEST(AquiferRec, EveryWaterTableNodeOverrun) {
    Units units;
    auto m = swash(11);  // x_s = 20, bed 2.5 above the whole water table
    for (int g = 1; g <= 11; ++g) m->WAVE.H_DIM[g] = 0.1 * (11 - g);
    AQUIFER_REC(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_FACE, 12);
    EXPECT_EQ(m->CONFIG_BOUND.N_FREE, 0);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, 24);
    for (int t = 13; t <= 24; ++t) expect_copied(*m, t, t + 3);
}

TEST(AquiferRec, NoLiftWhenTheShorelineBedIsBelowTheWaterTable) {
    Units units;
    auto m = swash(8);
    m->BEACH_PROFILE.Z_BED[8] = 0.9;
    AQUIFER_REC(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_FREE, 4);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, 25);
    for (int t = 10; t <= 25; ++t) expect_copied(*m, t, t + 2);
}

TEST(AquiferRec, NegativeDepthOnTheExtendedFaceIsReported) {
    Units units;
    auto m = swash(8);
    m->WAVE.H_DIM[2] = 0.5;
    m->WAVE.H_DIM[3] = -0.25;
    std::ostringstream console;
    units.console = &console;
    AQUIFER_REC(*m, units);
    EXPECT_EQ(console.str(), "   0.250000000000000       0.500000000000000                3\n");
    EXPECT_EQ(m->NODE_PROPERTIES.PHI_BND[3], 0.25);
}

TEST(AquiferRec, SameWaveStateGivesTheSameNodes) {
    Units units;
    auto first = swash(3);
    AQUIFER_REC(*first, units);
    auto m = swash(3);
    AQUIFER_REC(*m, units);
    m->WAVE_CONSI.N_SHORE = 8;
    AQUIFER_REC(*m, units);
    AQUIFER_REC(*m, units);
    m->WAVE_CONSI.N_SHORE = 3;
    AQUIFER_REC(*m, units);
    EXPECT_EQ(m->CONFIG_BOUND.N_BND, first->CONFIG_BOUND.N_BND);
    EXPECT_EQ(m->CONFIG_BOUND.N_FACE, first->CONFIG_BOUND.N_FACE);
    EXPECT_EQ(m->CONFIG_BOUND.N_FREE, first->CONFIG_BOUND.N_FREE);
    for (int j = 1; j <= first->CONFIG_BOUND.N_BND; ++j) {
        EXPECT_EQ(m->NODE_PROPERTIES.X_BND[j], first->NODE_PROPERTIES.X_BND[j]) << j;
        EXPECT_EQ(m->NODE_PROPERTIES.Z_BND[j], first->NODE_PROPERTIES.Z_BND[j]) << j;
        EXPECT_EQ(m->NODE_PROPERTIES.PHI_BND[j], first->NODE_PROPERTIES.PHI_BND[j]) << j;
        EXPECT_EQ(m->NODE_PROPERTIES.Q_BND[j], first->NODE_PROPERTIES.Q_BND[j]) << j;
        EXPECT_EQ(m->NODE_PROPERTIES.KODE_BND[j], first->NODE_PROPERTIES.KODE_BND[j]) << j;
    }
}

std::string failure_of(Model& m) {
    Units units;
    try {
        AQUIFER_REC(m, units);
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        return e.what();
    }
    return "no failure";
}

TEST(AquiferRec, ExtendedFaceWithoutUniformNodeStopsTheRun) {
    auto m = swash(8);
    m->L_ELEMENT.L_ELEM = 10.0;
    EXPECT_EQ(failure_of(*m),
              "run stopped: extended aquifer face for the shoreline at x = 14 m has no uniform node: "
              "x / (2 L_ELEM) = 0.7 with L_ELEM = 10 m");
}

TEST(AquiferRec, ExtendedFaceBeyondTheSystemStopsTheRun) {
    auto m = swash(8);
    m->FINAL_INI.Z_BND0[12] = 1.8;
    m->L_ELEMENT.L_ELEM = 0.001;
    EXPECT_EQ(failure_of(*m),
              "run stopped: extended aquifer face for the shoreline at x = 14 m needs at least 7002 boundary "
              "nodes, more than 999");
    m->L_ELEMENT.L_ELEM = 7.0 / 990.5;  // 990 uniform nodes, 992 face nodes
    EXPECT_EQ(failure_of(*m),
              "run stopped: extended aquifer face for the shoreline at x = 14 m needs 1006 boundary nodes, "
              "more than 999");
}

TEST(AquiferRec, DryGridStopsTheRun) {
    auto m = swash(0);
    EXPECT_EQ(failure_of(*m),
              "run stopped: aquifer boundary rebuild needs a wet shoreline node on the grid: N_SHORE = 0, "
              "N_GRID = 30");
}

}  // namespace
}  // namespace tidmor
