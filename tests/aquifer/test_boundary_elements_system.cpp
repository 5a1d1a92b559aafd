// Free-surface geometry, the well, the assembly by node code, the recovery,
// and a mixed boundary-value problem solved end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "aquifer/boundary_elements.hpp"
#include "aquifer/eqsol.hpp"
#include "common/constants.hpp"
#include "common/run_failure.hpp"

namespace tidmor {
namespace {

void set_node(Model& m, int j, double x, double z) {
    m.NODE_PROPERTIES.X_BND[j] = x;
    m.NODE_PROPERTIES.Z_BND[j] = z;
}

TEST(Angle, LevelWaterTableMovingVerticallyHasFactorKDtOverPorosity) {
    auto model = make_model();
    Model& m = *model;
    Units units;
    m.CONSTS.TAN_BETA = 200.0;  // steeper than 100: vertical motion
    m.CONSTS.K_HYD = 1e-3;
    m.TI_ME.DT_AQ = DT_RELAXATION;
    m.SED_TRANS.POROSITY = POROSITY_SAND;
    m.CONFIG_BOUND.N_BND = 6;
    m.CONFIG_BOUND.N_FACE = 1;
    m.CONFIG_BOUND.N_FREE = 3;
    for (int j = 1; j <= 5; ++j) set_node(m, j, 2.0 * j, 1.25);
    ANGLE(m);
    const double expected = 1e-3 * 360.0 / POROSITY_SAND;
    for (int j = 2; j <= 4; ++j) {
        EXPECT_EQ(m.FREE_SURFACE.ANG_MOVE[j], 0.0) << "node " << j;
        EXPECT_EQ(m.FREE_SURFACE.FS_COEF[j], expected) << "node " << j;
    }
    EXPECT_NEAR(expected, 0.9, 1e-7);
    // Only the water-table nodes are touched.
    EXPECT_EQ(m.FREE_SURFACE.FS_COEF[1], 0.0);
    EXPECT_EQ(m.FREE_SURFACE.FS_COEF[5], 0.0);
}

TEST(Angle, NodeMovesAlongTheRayFromTheOrigin) {
    // Node 2 at (3, 4): ray at acos(4/5) from the vertical. Neighbours
    // (2, 4.5) and (4, 3.5): the water table falls at slope 1/2, so
    // ANG_SLOPE = atan(1/2) and ANG_MOVE + ANG_SLOPE = atan(2):
    // FS = 0.8 KT / 0.4 / (1/sqrt 5) = 2 sqrt(5) KT.
    auto model = make_model();
    Model& m = *model;
    Units units;
    m.CONSTS.TAN_BETA = 0.1;
    m.CONSTS.K_HYD = 2e-4;
    m.TI_ME.DT_AQ = 360.0;
    m.SED_TRANS.POROSITY = 0.4;
    m.CONFIG_BOUND.N_BND = 4;
    m.CONFIG_BOUND.N_FACE = 1;
    m.CONFIG_BOUND.N_FREE = 1;
    set_node(m, 1, 2.0, 4.5);
    set_node(m, 2, 3.0, 4.0);
    set_node(m, 3, 4.0, 3.5);
    ANGLE(m);
    EXPECT_NEAR(m.FREE_SURFACE.ANG_MOVE[2], std::acos(0.8), 1e-15);
    EXPECT_NEAR(m.FREE_SURFACE.FS_COEF[2], 2.0 * std::sqrt(5.0) * 2e-4 * 360.0, 1e-14);
}

TEST(Angle, WaterTableWithoutNeighboursStopsTheRun) {
    auto model = make_model();
    Model& m = *model;
    Units units;
    m.CONFIG_BOUND.N_BND = 3;
    m.CONFIG_BOUND.N_FACE = 0;
    m.CONFIG_BOUND.N_FREE = 2;
    EXPECT_THROW(ANGLE(m), RunFailure);
    m.CONFIG_BOUND.N_FACE = 1;  // nodes 2..3, but node 4 does not exist
    EXPECT_THROW(ANGLE(m), RunFailure);
    m.CONFIG_BOUND.N_FREE = 0;  // no water table: nothing to do
    EXPECT_NO_THROW(ANGLE(m));
}

TEST(Trans, WellPartsAreTakenOutOfEveryNode) {
    // Well at (1, 1). Node 2 at (4, 5): r = 5; tangent from node 1 (4, 6) to
    // node 3 (4, 4) is vertical, so cw = |0*4 - 2*3| / 5 / 2 = 0.6.
    // Node 1 uses the one-sided tangent (0, 1) towards node 2: r = sqrt(34),
    // cw = 3/sqrt(34). Node 3 uses node 2 - node 3 = (0, 1): r = sqrt(18),
    // cw = 3/sqrt(18).
    auto model = make_model();
    Model& m = *model;
    Units units;
    m.CONFIG_BOUND.N_BND = 3;
    set_node(m, 1, 4.0, 6.0);
    set_node(m, 2, 4.0, 5.0);
    set_node(m, 3, 4.0, 4.0);
    m.WELL.X_WELL = 1.0;
    m.WELL.Z_WELL = 1.0;
    m.WELL.Q_WELL = 0.5;
    for (int j = 1; j <= 3; ++j) {
        m.NODE_PROPERTIES.PHI_BND[j] = 2.0;
        m.NODE_PROPERTIES.Q_BND[j] = -0.25;
    }
    TRANS(m);
    const double q = 0.5 / TWO_PI_SINGLE;
    const double r[] = {0, std::sqrt(34.0), 5.0, std::sqrt(18.0)};
    const double cw[] = {0, 3.0 / std::sqrt(34.0), 0.6, 3.0 / std::sqrt(18.0)};
    for (int j = 1; j <= 3; ++j) {
        EXPECT_NEAR(m.WELL.PHI_WELL[j], std::log(r[j]) * q, 1e-15) << "node " << j;
        EXPECT_NEAR(m.WELL.DPHI_WELL[j], q / r[j] * cw[j], 1e-15) << "node " << j;
        EXPECT_EQ(m.NODE_PROPERTIES.PHI_BND[j], 2.0 - m.WELL.PHI_WELL[j]) << "node " << j;
        EXPECT_EQ(m.NODE_PROPERTIES.Q_BND[j], -0.25 - m.WELL.DPHI_WELL[j]) << "node " << j;
    }
    add_back_well(m);
    for (int j = 1; j <= 3; ++j) {
        EXPECT_NEAR(m.NODE_PROPERTIES.PHI_BND[j], 2.0, 1e-15) << "node " << j;
        EXPECT_NEAR(m.NODE_PROPERTIES.Q_BND[j], -0.25, 1e-15) << "node " << j;
    }
}

// Four nodes, one of each code, with G(i,j) = 10 i + j and H(i,j) = i - j/4
// (all exact in binary), so each assembled entry can be checked exactly.
struct AssemblyTest : ::testing::Test {
    std::unique_ptr<Model> model = make_model();
    Model& m = *model;
    Units units;
    void SetUp() override {
        m.CONFIG_BOUND.N_BND = 4;
        m.CONSTS.THETA_T = 0.5;
        const int codes[] = {1, 4, 2, 3};
        for (int j = 1; j <= 4; ++j) {
            m.NODE_PROPERTIES.KODE_BND[j] = codes[j - 1];
            m.NODE_PROPERTIES.PHI_BND[j] = 0.5 * j;
            m.NODE_PROPERTIES.Q_BND[j] = -0.25 * j;
            for (int i = 1; i <= 4; ++i) {
                m.COE_MATRIX.G_COEF(i, j) = 10.0 * i + j;
                m.COE_MATRIX.H_COEF(i, j) = i - 0.25 * j;
            }
        }
        m.FREE_SURFACE.FS_COEF[4] = 2.0;
        m.WELL.DPHI_WELL[4] = 0.125;
    }
};

TEST_F(AssemblyTest, CoefficientsAndRightHandSideFollowTheCodes) {
    assemble_boundary_system(m);
    EXPECT_EQ(m.EQUATIONS.N_EQ, 4);
    for (int i = 1; i <= 4; ++i) {
        const auto g = [&](int j) { return 10.0 * i + j; };
        const auto h = [&](int j) { return i - 0.25 * j; };
        EXPECT_EQ(m.EQUATIONS.A_EQ(i, 1), -g(1)) << "row " << i;
        EXPECT_EQ(m.EQUATIONS.A_EQ(i, 2), -g(2)) << "row " << i;
        EXPECT_EQ(m.EQUATIONS.A_EQ(i, 3), h(3)) << "row " << i;
        EXPECT_EQ(m.EQUATIONS.A_EQ(i, 4), -g(4) - h(4) * 2.0 * 0.5) << "row " << i;
        // b = -0.5 h1 - 1.0 h2 + g3 (-0.75) - h4 (2 - 2 (0.5 (-1) + 0.125))
        const double b = -0.5 * h(1) - 1.0 * h(2) + g(3) * -0.75 - h(4) * (2.0 - 2.0 * (0.5 * -1.0 + 0.125));
        EXPECT_EQ(m.EQUATIONS.A_EQ(i, 5), b) << "row " << i;
    }
}

TEST_F(AssemblyTest, UnknownCodesLeaveTheirColumnAsCleared) {
    m.NODE_PROPERTIES.KODE_BND[2] = 7;
    assemble_boundary_system(m);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(m.EQUATIONS.A_EQ(i, 2), 0.0) << "row " << i;
}

TEST_F(AssemblyTest, RecoveryPutsEachUnknownInItsPlace) {
    for (int j = 1; j <= 4; ++j) m.EQUATIONS.X_EQ[j] = 100.0 + j;
    recover_boundary_values(m);
    const auto& nodes = m.NODE_PROPERTIES;
    EXPECT_EQ(nodes.Q_BND[1], 101.0);
    EXPECT_EQ(nodes.PHI_BND[1], 0.5);
    EXPECT_EQ(nodes.Q_BND[2], 102.0);
    EXPECT_EQ(nodes.PHI_BND[3], 103.0);
    EXPECT_EQ(nodes.Q_BND[3], -0.75);
    // Water table: h' = 2 - 2 (0.5 (-1) + 0.5 104 + 0.125), then q = 104.
    EXPECT_EQ(nodes.PHI_BND[4], 2.0 - 2.0 * (-0.5 + 52.0 + 0.125));
    EXPECT_EQ(nodes.Q_BND[4], 104.0);
}

TEST_F(AssemblyTest, SystemsBeyondTheSolverStopTheRun) {
    m.CONFIG_BOUND.N_BND = MAX_EQUATIONS + 1;
    EXPECT_THROW(assemble_boundary_system(m), RunFailure);
    EXPECT_THROW(recover_boundary_values(m), RunFailure);
}

// A mixed problem on a regular polygon inscribed in a circle: the head
// h = x^2 - z^2 + 3 given on the upper half (code 1), its normal derivative
// on the lower half (code 2). The solve must return the other half of the
// data, with an error that falls as the elements get shorter (7.4e-2,
// 2.8e-2, 9.8e-3 for 24, 48, 96 nodes).
double mixed_problem_error(int n) {
    auto model = make_model();
    Model& m = *model;
    Units units;
    std::ostringstream console;
    units.console = &console;
    const double cx = 1.0, cz = 2.0, radius = 1.5;
    m.CONFIG_BOUND.N_BND = n;
    const auto head = [](double x, double z) { return x * x - z * z + 3.0; };
    const auto normal_derivative = [&](double x, double z) {
        return 2.0 * x * (x - cx) / radius - 2.0 * z * (z - cz) / radius;
    };
    for (int j = 1; j <= n; ++j) {
        const double t = -2.0 * M_PI * (j - 1) / n;
        const double x = cx + radius * std::cos(t), z = cz + radius * std::sin(t);
        set_node(m, j, x, z);
        const bool upper = z > cz;
        m.NODE_PROPERTIES.KODE_BND[j] = upper ? 1 : 2;
        m.NODE_PROPERTIES.PHI_BND[j] = upper ? head(x, z) : 0.0;
        m.NODE_PROPERTIES.Q_BND[j] = upper ? 0.0 : normal_derivative(x, z);
    }
    MATRIX(m);
    assemble_boundary_system(m);
    EQSOL(m, units);
    recover_boundary_values(m);
    add_back_well(m);
    double worst = 0.0;
    for (int j = 1; j <= n; ++j) {
        const double x = m.NODE_PROPERTIES.X_BND[j], z = m.NODE_PROPERTIES.Z_BND[j];
        worst = std::fmax(worst, std::fabs(m.NODE_PROPERTIES.PHI_BND[j] - head(x, z)));
        worst = std::fmax(worst, std::fabs(m.NODE_PROPERTIES.Q_BND[j] - normal_derivative(x, z)));
    }
    return worst;
}

TEST(MixedProblem, RecoversTheExactBoundaryValuesAsElementsShorten) {
    const double e24 = mixed_problem_error(24);
    const double e48 = mixed_problem_error(48);
    const double e96 = mixed_problem_error(96);
    EXPECT_LT(e48, 0.5 * e24);
    EXPECT_LT(e96, 0.5 * e48);
    EXPECT_LT(e96, 2e-2);
}

}  // namespace
}  // namespace tidmor
