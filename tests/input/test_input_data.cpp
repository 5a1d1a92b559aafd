// Derived values, the initial plane beach and the rejected input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "input/input_text.hpp"

namespace tidmor {
namespace {

using testing::at_line;
using testing::read_input;
using testing::rejection;
using testing::with_group;

const double G = double(9.81f);

// 17 significant digits: reads back as the same double.
std::string exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// H_WAVE = T_WAVE = TAN_BETA = 1 and DX_ND = 0.01: DX = 0.01 sqrt(g), and
// the quotient of the shoreline node is D_SEA / DX.
const double UNIT_DX = std::sqrt(1.0 * G) * (1.0 * 0.01);

std::string unit_scaled(double d_sea, int i_infil) {
    return "1 1\n1 0.001 " + exact(d_sea) + " 1 30\n0 0 0\n10 100\n" + std::to_string(i_infil) +
           " 0\n0.01 0.1 0.1 0.63\n0.01 0.01 0.5\n0.5\n";
}

TEST(InputData, ValuesOfEachGroup) {
    const auto m = read_input(testing::plane_beach_text());
    EXPECT_EQ(m->WAVE_CONSD.H_WAVE, 0.5);
    EXPECT_EQ(m->WAVE_CONSD.T_WAVE, 8.0);
    EXPECT_EQ(m->CONSTS.H_LAND, 1.2);
    EXPECT_EQ(m->CONSTS.X_LAND, 30.0);
    EXPECT_EQ(m->WELL.X_WELL, 10.0);
    EXPECT_EQ(m->WELL.Z_WELL, 0.5);
    EXPECT_EQ(m->TIME_RELATED.T_MAX, 100.0);
    EXPECT_EQ(m->N_CAL.N_OUT, 100.0);
    EXPECT_EQ(m->INDEX_INFIL.I_INFIL, 0);
    EXPECT_EQ(m->INDEX_INFIL.I_MORPH, 1);
    EXPECT_EQ(m->WAVE_CONSD.F_FRIC, 0.01);
    EXPECT_EQ(m->SED_TRANS.EFF_ON, 0.1);
    EXPECT_EQ(m->SED_TRANS.EFF_OFF, 0.1);
    EXPECT_EQ(m->SED_TRANS.TAN_PHI, 0.63);
    EXPECT_EQ(m->DIFFX.DX_ND, 0.01);
    EXPECT_EQ(m->CUT_OFF.H_CUT, 0.01);
    EXPECT_EQ(m->L_ELEMENT.L_ELEM, 0.5);
    EXPECT_EQ(m->DAMPING.DAMP1, 0.5);
}

TEST(InputData, FixedConstantsAndDerivedScalars) {
    const auto m = read_input(testing::plane_beach_text());
    EXPECT_EQ(m->SED_TRANS.POROSITY, 0.4000000059604645);
    EXPECT_EQ(m->SED_TRANS.RHO_S, 2650.0);
    EXPECT_EQ(m->CONSTS.THETA_T, 0.5);
    EXPECT_EQ(m->CAPILLARY.H_CAP, 0.10000000149011612);
    EXPECT_EQ(m->DAMPING.DAMP2, 0.5);

    const double dx = std::sqrt(0.5 * G) * (8.0 * 0.01);
    EXPECT_EQ(m->DIFFX.DX, dx);
    EXPECT_EQ(m->WAVE_CONSI.N_SHORE, 56);
    EXPECT_EQ(m->SED_INT.N_GRID, 140);
    EXPECT_EQ(m->WAVE_CONSD.D_SEA_ND, 1.0 / 0.5);
    EXPECT_EQ(m->WELL.Q_WELL, 0.002 / 0.001);
    const double s = std::sqrt(G / 0.5);
    EXPECT_EQ(m->WAVE_CONSD.F_FRIC_ND, ((0.01 * 0.5) * 8.0) * s);
    EXPECT_EQ(m->TIME_RELATED.DT, (0.01 * 0.4000000059604645) / std::sqrt(2.0));
    EXPECT_EQ(m->N_CAL.N_PERIOD, 0.0);
    EXPECT_EQ(m->SED_INT.N_RAMP, 0);
    EXPECT_EQ(m->RUNUP.N_UP, 0);
    EXPECT_EQ(m->RUNUP.N_DOWN, 140);
}

TEST(InputData, StillWaterOnThePlaneBeach) {
    const auto m = read_input(testing::plane_beach_text());
    const double dx = m->DIFFX.DX;
    const double c = (8.0 * 0.1) * std::sqrt(G / 0.5);
    for (int i = 1; i <= 56; ++i) {
        const double d = 1.0 - (dx * (i - 1)) * 0.1;
        ASSERT_EQ(m->WAVE_INI.H_OLD[i], d / 0.5) << "wet node " << i;
        ASSERT_EQ(m->WAVE.H_DIM[i], d) << "wet node " << i;
        ASSERT_GT(d, 0.0) << "wet node " << i;
    }
    for (int j = 1; j <= 140; ++j) {
        ASSERT_EQ(m->BEACH_PROFILE.SLOPE[j], 0.1) << "node " << j;
        ASSERT_EQ(m->BEACH_PROFILE.SLOPE_ND[j], c) << "node " << j;
        ASSERT_EQ(m->BEACH_PROFILE.SLOPE_ND_BASE[j], c) << "node " << j;
        ASSERT_EQ(m->CROSS_DIS.X_NODE[j], dx * (j - 1)) << "node " << j;
        ASSERT_EQ(m->BEACH_PROFILE.Z_BED[j], 0.1 * (dx * (j - 1))) << "node " << j;
        ASSERT_EQ(m->WAVE_INI.U_OLD[j], 0.0);
        ASSERT_EQ(m->WAVE.U_DIM[j], 0.0);
    }
    // Dry nodes hold no water, and nothing beyond the grid is set.
    EXPECT_EQ(m->WAVE.H_DIM[57], 0.0);
    EXPECT_EQ(m->WAVE_INI.H_OLD[140], 0.0);
    EXPECT_EQ(m->CROSS_DIS.X_NODE[141], 0.0);
    EXPECT_EQ(m->BEACH_PROFILE.SLOPE[141], 0.0);
}

TEST(InputData, GridSpacingToTheBit) {
    const auto m = read_input(unit_scaled(1.0, 0));
    EXPECT_EQ(m->DIFFX.DX, 0.01 * std::sqrt(9.8100004196167));
}

TEST(InputData, ShorelineNodeTruncatesJustBelowAWholeNumber) {
    const double d_sea = std::nextafter(10 * UNIT_DX, 0.0);
    ASSERT_LT(d_sea / UNIT_DX, 10.0);
    EXPECT_EQ(read_input(unit_scaled(d_sea, 0))->WAVE_CONSI.N_SHORE, 9);
    EXPECT_EQ(read_input(unit_scaled(10.5 * UNIT_DX, 0))->WAVE_CONSI.N_SHORE, 10);
}

TEST(InputData, GridExtentFromTheShoreline) {
    const struct {
        int ns, n_grid;
    } cases[] = {{6, 15}, {7, 17}, {400, 1000}, {1600, 4000}};
    for (const auto& c : cases) {
        const auto m = read_input(unit_scaled((c.ns + 0.5) * UNIT_DX, 0));
        EXPECT_EQ(m->WAVE_CONSI.N_SHORE, c.ns);
        EXPECT_EQ(m->SED_INT.N_GRID, c.n_grid);
        EXPECT_EQ(m->RUNUP.N_DOWN, c.n_grid);
    }
    EXPECT_EQ(read_input(unit_scaled(400.5 * UNIT_DX, 1))->SED_INT.N_GRID, 1000);
}

TEST(InputData, SwitchOtherThanOneIsOff) {
    // With the aquifer off its conductivity is not checked, and a grid
    // longer than the aquifer arrays is allowed.
    auto lines = testing::plane_beach_lines();
    lines[1] = "0.1 0.0 1.0 1.2 30.0";
    lines[4] = "2 0";
    const auto m = read_input(testing::text_of(lines));
    EXPECT_EQ(m->INDEX_INFIL.I_INFIL, 2);
    EXPECT_EQ(read_input(unit_scaled(500.5 * UNIT_DX, 2))->SED_INT.N_GRID, 1250);
}

TEST(InputData, SnapshotIntervalIsAReal) {
    EXPECT_EQ(read_input(with_group(4, "100.0 100"))->N_CAL.N_OUT, 100.0);
    EXPECT_EQ(read_input(with_group(4, "100.0 100.0"))->N_CAL.N_OUT, 100.0);
    EXPECT_EQ(read_input(with_group(4, "100.0 2.5"))->N_CAL.N_OUT, 2.5);
}

TEST(InputRejection, ScalesThatMustBePositive) {
    const struct {
        int group;
        const char* text;
        const char* expected;
    } cases[] = {
        {1, "0 8.0", "group 1: H_WAVE = 0 must be greater than 0"},
        {1, "0.5 -8.0", "group 1: T_WAVE = -8 must be greater than 0"},
        {2, "-0.1 0.001 1.0 1.2 30.0", "group 2: TAN_BETA = -0.1 must be greater than 0"},
        {2, "0.1 0.001 0 1.2 30.0", "group 2: D_SEA = 0 must be greater than 0"},
        {4, "100.0 0", "group 4: N_OUT = 0 must be greater than 0 (snapshots are written every N_OUT steps)"},
        {4, "100.0 -2.5", "group 4: N_OUT = -2.5 must be greater than 0 (snapshots are written every N_OUT steps)"},
        {7, "0 0.01 0.5", "group 7: DX_ND = 0 must be greater than 0"},
        {7, "0.01 -0.01 0.5", "group 7: H_CUT = -0.01 must be greater than 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rejection(with_group(c.group, c.text)),
                  "rejected input: " + std::string(c.expected) + " " + at_line(c.group));
}

TEST(InputRejection, ConductivityWithTheAquiferOn) {
    auto lines = testing::plane_beach_lines();
    lines[1] = "0.1 0.0 1.0 1.2 30.0";
    lines[4] = "1 1";
    EXPECT_EQ(rejection(testing::text_of(lines)), "rejected input: group 2: K_HYD = 0 must be greater than 0 when the aquifer model is "
                               "on (I_INFIL = 1) " +
                                   at_line(2));
}

TEST(InputRejection, TooFewWetNodes) {
    EXPECT_EQ(rejection(unit_scaled(5.5 * UNIT_DX, 0)),
              "rejected input: initial wet region NS = trunc((D_SEA / TAN_BETA) / DX) = 5 nodes, fewer than the 6 "
              "the wave scheme needs (input data file \"beach.dat\")");
    EXPECT_NE(rejection(unit_scaled(0.5 * UNIT_DX, 0)).find("NS = trunc((D_SEA / TAN_BETA) / DX) = 0 nodes"),
              std::string::npos);
}

TEST(InputRejection, GridBeyondTheArrays) {
    EXPECT_EQ(rejection(unit_scaled(1601.5 * UNIT_DX, 0)),
              "rejected input: N_GRID = 2 * NS + NS / 2 = 4002 (NS = 1601) exceeds the 4000 nodes of the grid arrays "
              "(input data file \"beach.dat\")");
    EXPECT_EQ(rejection(unit_scaled(401.5 * UNIT_DX, 1)),
              "rejected input: N_GRID = 2 * NS + NS / 2 = 1002 (NS = 401) exceeds the 1000 grid nodes the aquifer "
              "model holds (I_INFIL = 1) (input data file \"beach.dat\")");
}

TEST(InputRejection, QuotientsBeyondTheIntegerRange) {
    EXPECT_EQ(rejection(unit_scaled(1e12, 0)),
              "rejected input: initial shoreline node (D_SEA / TAN_BETA) / DX = 31927542157864.594 is beyond the "
              "32-bit integer range (input data file \"beach.dat\")");
    EXPECT_NE(rejection(with_group(2, "1e-300 0.001 1e300 1.2 30.0")).find("DX = inf is beyond"), std::string::npos);
    // 2^31 nodes exactly is already out of range.
    EXPECT_NE(rejection(unit_scaled(2147483648.0 * UNIT_DX, 0)).find("beyond the 32-bit integer range"),
              std::string::npos);
}

TEST(InputRejection, GridSpacingOutOfRange) {
    auto lines = testing::plane_beach_lines();
    lines[0] = "1e-300 1e-300";
    lines[6] = "1e-300 0.01 0.5";
    EXPECT_EQ(rejection(testing::text_of(lines)),
              "rejected input: DX = sqrt(H_WAVE * g) * (T_WAVE * DX_ND) = 0 must be finite and greater than 0 "
              "(input data file \"beach.dat\")");
    lines[0] = "1e300 1e300";
    lines[6] = "1e300 0.01 0.5";
    EXPECT_NE(rejection(testing::text_of(lines)).find("DX = sqrt(H_WAVE * g) * (T_WAVE * DX_ND) = inf must"),
              std::string::npos);
}

}  // namespace
}  // namespace tidmor
