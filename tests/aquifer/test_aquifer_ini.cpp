// The generated aquifer mesh and the input checks on it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer/aquifer_ini_mesh.hpp"
#include "aquifer/well_clearance.hpp"
#include "aquifer_ini_fixture.hpp"
#include "common/constants.hpp"
#include "common/run_failure.hpp"

namespace tidmor {
namespace {

using MeshTest = AquiferIniFixture;

void expect_node(const Model& m, int j, int code, double x, double z, double phi) {
    const auto& n = m.NODE_PROPERTIES;
    EXPECT_EQ(n.KODE_BND[j], code) << "node " << j;
    EXPECT_DOUBLE_EQ(n.X_BND[j], x) << "node " << j;
    EXPECT_DOUBLE_EQ(n.Z_BND[j], z) << "node " << j;
    EXPECT_DOUBLE_EQ(n.PHI_BND[j], phi) << "node " << j;
    EXPECT_EQ(n.Q_BND[j], 0.0) << "node " << j;
}

TEST_F(MeshTest, WorkedSeepageFaceMesh) {
    // XS = 10, NA = 11, XC = 15, NF = int(85/2 - 1) = 41, NL = 2 -> 3 with
    // DZ = 0.75, NB = int(100/2 - 1) = 49.
    beach(1.0, 0.1, 1.0, 1.5, 100.0);
    generate();
    EXPECT_EQ(m.CONFIG_BOUND.N_BND, 106);
    EXPECT_EQ(m.CONFIG_BOUND.N_FACE, 13);
    EXPECT_EQ(m.CONFIG_BOUND.N_FREE, 41);
    for (int j = 1; j <= 11; ++j) expect_node(m, j, 1, j - 1.0, 0.1 * (j - 1.0), 1.0);
    const double x_seep = 10.0 + SEEPAGE_OFFSET;
    expect_node(m, 12, 4, x_seep, 0.1 * x_seep, 0.1 * x_seep);
    EXPECT_NE(m.NODE_PROPERTIES.X_BND[12], 10.1);  // the offset is the single-precision 0.1
    expect_node(m, 13, 2, 15.0, 1.5, 1.5);
    expect_node(m, 14, 3, 17.0, 1.5, 1.5);
    expect_node(m, 54, 3, 97.0, 1.5, 1.5);
    expect_node(m, 55, 1, 100.0, 1.5, 1.5);
    expect_node(m, 56, 1, 100.0, 0.75, 1.5);
    expect_node(m, 57, 1, 100.0, 0.0, 1.5);
    expect_node(m, 58, 2, 98.0, 0.0, 1.5);
    expect_node(m, 106, 2, 2.0, 0.0, 1.5);
}

TEST_F(MeshTest, LowLandwardWaterTableGetsThreeLandwardNodes) {
    // H_LAND = 0.8 < 2 L: NL = int(2.6) = 2 -> 3, spacing 0.4. Case B:
    // NA = 21, NF = int((30 - 10)/1 - 1) = 19.
    beach(0.5, 0.1, 1.0, 0.8, 30.0);
    generate();
    const int top = 21 + 19 + 1;
    expect_node(m, top, 1, 30.0, 0.8, 0.8);
    expect_node(m, top + 1, 1, 30.0, 0.4, 0.8);
    expect_node(m, top + 2, 1, 30.0, 0.0, 0.8);
    expect_node(m, top + 3, 2, 29.0, 0.0, 0.8);
    // The water table falls straight from the still water level:
    // z = 1 - k 0.2 / 20, sampled from 2 L landward of the last face node.
    for (int k = 1; k <= 19; ++k) {
        const double z = 1.0 - k * 0.2 / 20;
        expect_node(m, 21 + k, 3, 10.0 + k * 1.0, z, z);
    }
}

TEST_F(MeshTest, WaterTableAtSeaLevelTakesTheCaseWithoutSeepageFace) {
    // NA = 11, NF = int(20/2 - 1) = 9, NL = 3 (DZ = 0.5), NB = 14.
    beach(1.0, 0.1, 1.0, 1.0, 30.0);
    generate();
    EXPECT_EQ(m.CONFIG_BOUND.N_BND, 37);
    EXPECT_EQ(m.CONFIG_BOUND.N_FACE, 11);
    EXPECT_EQ(m.CONFIG_BOUND.N_FREE, 9);
    expect_node(m, 11, 1, 10.0, 1.0, 1.0);
    for (int k = 1; k <= 9; ++k) expect_node(m, 11 + k, 3, 10.0 + 2 * k, 1.0, 1.0);
    expect_node(m, 21, 1, 30.0, 1.0, 1.0);
    expect_node(m, 22, 1, 30.0, 0.5, 1.0);
    for (int j = 1; j <= 37; ++j) EXPECT_NE(m.NODE_PROPERTIES.KODE_BND[j], 4) << "node " << j;
}

TEST_F(MeshTest, PolygonInteriorTest) {
    beach(1.0, 0.1, 1.0, 1.5, 100.0);
    generate();
    const auto& nodes = m.NODE_PROPERTIES;
    const int n = m.CONFIG_BOUND.N_BND;
    EXPECT_TRUE(strictly_inside(nodes, n, 50.0, 0.5));
    EXPECT_TRUE(strictly_inside(nodes, n, 5.0, 0.25));   // under the face
    EXPECT_FALSE(strictly_inside(nodes, n, 5.0, 0.75));  // above the face
    EXPECT_FALSE(strictly_inside(nodes, n, 50.0, 2.0));  // above the water table
    EXPECT_FALSE(strictly_inside(nodes, n, 50.0, 0.0));  // on the bottom
    EXPECT_FALSE(strictly_inside(nodes, n, 98.0, 0.0));  // at a node
    EXPECT_FALSE(strictly_inside(nodes, n, 100.0, 1.0)); // on the landward side
    EXPECT_FALSE(strictly_inside(nodes, n, 101.0, 1.0));
}

struct RejectionCase {
    const char* name;
    double l_elem, tan_beta, d_sea, h_land, x_land;
    const char* message_part;
};

TEST_F(MeshTest, CheckRejectsMeshesTheModelCannotHold) {
    const RejectionCase cases[] = {
        {"element at the merge distance", 0.1, 0.1, 1.0, 1.5, 100.0, "L_ELEM = 0.1 m is not above 0.1 m"},
        {"element not a number", std::nan(""), 0.1, 1.0, 1.5, 100.0, "L_ELEM = nan"},
        {"too many nodes", 0.2, 0.1, 1.0, 1.5, 200.0, "boundary nodes exceed the 999"},
        {"domain too short", 1.0, 0.1, 1.0, 1.5, 14.0, "-1 water-table nodes: X_LAND = 14"},
        {"count overflows", 0.5, 0.1, 1.0, 1.5, 1e12, "X_LAND/(2 L_ELEM) - 1 (bottom nodes) = 999999999999 does not fit an integer"},
        {"flat beach", 0.5, 0.0, 1.0, 1.5, 30.0, "D_SEA/TAN_BETA/L_ELEM + 1 (submerged face nodes) = inf"},
        {"element longer than the submerged face", 1.0, 0.1, 0.05, 0.04, 30.0,
         "L_ELEM = 1 m is longer than the submerged beach face, D_SEA/TAN_BETA = 0.5 m; L_ELEM must lie above "
         "0.1 m and at most 0.5 m"},
        {"element beyond the landward side", 500.0, 0.1, 1.0, 1.2, 25.0,
         "L_ELEM = 500 m is longer than the submerged beach face, D_SEA/TAN_BETA = 10 m"},
        {"water table at the bottom", 0.5, 0.1, 1.0, 0.0, 30.0, "H_LAND = 0 m: the landward water table must stand"},
        {"water table below the bottom", 0.5, 0.1, 1.0, -1.0, 30.0, "H_LAND = -1 m"},
    };
    for (const RejectionCase& c : cases) {
        beach(c.l_elem, c.tan_beta, c.d_sea, c.h_land, c.x_land);
        try {
            check_aquifer_mesh(m, "beach.dat");
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const RunFailure& failure) {
            const std::string what = failure.what();
            EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE) << c.name;
            EXPECT_NE(what.find(c.message_part), std::string::npos) << c.name << ": " << what;
            EXPECT_NE(what.find("\"beach.dat\""), std::string::npos) << c.name << ": " << what;
        }
    }
}

TEST_F(MeshTest, CheckAcceptsTheLimitsOfAValidMesh) {
    beach(double(0.1f) * 1.0000001, 0.1, 1.0, 1.5, 30.0);  // just above the merge distance
    EXPECT_NO_THROW(check_aquifer_mesh(m, "beach.dat"));
    beach(1.0, 0.1, 1.0, 1.5, 16.0);  // NF = int(-0.5) = 0: no water-table node
    EXPECT_NO_THROW(check_aquifer_mesh(m, "beach.dat"));
    beach(1.0, 0.1, 1.0, 1.5, 100.0);
    m.WELL.Q_WELL = 0.0;  // no well: its position is not looked at
    m.WELL.X_WELL = -5.0;
    EXPECT_NO_THROW(check_aquifer_mesh(m, "beach.dat"));
}

TEST_F(MeshTest, AWellOneElementInsideRunsWithoutWarning) {
    beach(0.5, 0.1, 1.0, 1.5, 100.0);
    m.WELL.Q_WELL = 2.0;
    m.WELL.X_WELL = 50.0;
    m.WELL.Z_WELL = 0.75;  // 0.75 m below the water table and above the bottom
    EXPECT_EQ(check_aquifer_mesh(m, "beach.dat"), "");
    m.WELL.Z_WELL = 0.5;  // exactly one element above the bottom
    EXPECT_EQ(check_aquifer_mesh(m, "beach.dat"), "");
}

TEST_F(MeshTest, AWellBetweenAQuarterAndOneElementInsideRunsWithAWarning) {
    beach(0.5, 0.1, 1.0, 1.5, 100.0);
    m.WELL.Q_WELL = 2.0;
    m.WELL.X_WELL = 50.0;
    m.WELL.Z_WELL = 0.25;  // half an element above the bottom
    EXPECT_EQ(check_aquifer_mesh(m, "beach.dat"),
              "the well at X_WELL = 50, Z_WELL = 0.25 lies 0.25 m from the bottom (the element from (51, 0) to "
              "(50, 0)), less than one element length (L_ELEM = 0.5 m): the elements of that boundary cannot "
              "resolve the well's flow there; its face flow and heads are rough near the well (an L_ELEM of at "
              "most 0.25 m would resolve it)");
    m.WELL.Z_WELL = 0.125 + 1e-12;  // a quarter element and a hair
    EXPECT_NE(check_aquifer_mesh(m, "beach.dat").find("less than one element length"), std::string::npos);
    m.WELL.Z_WELL = 0.125;  // a quarter element exactly
    EXPECT_NE(check_aquifer_mesh(m, "beach.dat").find("less than one element length"), std::string::npos);
    m.WELL.X_WELL = 100.0 - 0.3;  // 0.3 m inside the landward side
    m.WELL.Z_WELL = 0.75;
    const std::string landward = check_aquifer_mesh(m, "beach.dat");
    EXPECT_NE(landward.find("lies 0.29999999999999716 m from the landward side"), std::string::npos) << landward;
}

TEST_F(MeshTest, AWellCloserThanAQuarterElementIsRefused) {
    beach(0.5, 0.1, 1.0, 1.5, 100.0);
    m.WELL.Q_WELL = 2.0;
    // A hair less than a quarter element above the bottom; 1 nm inside the
    // landward side; 1.2 mm below the exit point (15, 1.5), nearest to the
    // face of slope 0.1 below it.
    const double close[][3] = {{50.0, 0.125 - 1e-12, 0.125 - 1e-12},
                               {100.0 - 1e-9, 0.75, 1e-9},
                               {15.0, 1.5 - 0.0012, 0.0012 / std::sqrt(1.01)}};
    for (const auto& w : close) {
        m.WELL.X_WELL = w[0];
        m.WELL.Z_WELL = w[1];
        try {
            check_aquifer_mesh(m, "beach.dat");
            ADD_FAILURE() << "well at " << w[0] << ", " << w[1] << " accepted";
        } catch (const RunFailure& failure) {
            EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
            const std::string text = failure.what();
            EXPECT_NE(text.find("closer than a quarter of an element length, L_ELEM/4 = 0.125 m: the boundary "
                                "elements cannot resolve the well's flow there; move the well at least 0.125 m "
                                "inside, or make L_ELEM at most"),
                      std::string::npos)
                << text;
            generate();
            EXPECT_NEAR(distance_to_boundary(m.NODE_PROPERTIES, m.CONFIG_BOUND.N_BND, w[0], w[1]), w[2], 1e-9);
        }
    }
    m.WELL.X_WELL = 50.0;
    m.WELL.Z_WELL = 0.1;
    try {
        check_aquifer_mesh(m, "beach.dat");
        ADD_FAILURE() << "accepted";
    } catch (const RunFailure& failure) {
        EXPECT_STREQ(failure.what(),
                     "rejected input: aquifer mesh: the well at X_WELL = 50, Z_WELL = 0.1 lies 0.1 m from the bottom "
                     "(the element from (51, 0) to (50, 0)), closer than a quarter of an element length, L_ELEM/4 = "
                     "0.125 m: the boundary elements cannot resolve the well's flow there; move the well at least "
                     "0.125 m inside, or make L_ELEM at most 0.4 m (file \"beach.dat\")");
    }
}

TEST_F(MeshTest, CheckRejectsAWellOutsideTheAquifer) {
    beach(1.0, 0.1, 1.0, 1.5, 100.0);
    m.WELL.Q_WELL = 2.0;
    const double outside[][2] = {{50.0, 1.6}, {50.0, 0.0}, {98.0, 0.0}, {120.0, 0.5}, {5.0, 0.9}};
    for (const auto& w : outside) {
        m.WELL.X_WELL = w[0];
        m.WELL.Z_WELL = w[1];
        try {
            check_aquifer_mesh(m, "beach.dat");
            ADD_FAILURE() << "well at " << w[0] << ", " << w[1] << " accepted";
        } catch (const RunFailure& failure) {
            EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
            EXPECT_NE(std::string(failure.what()).find("does not lie strictly inside"), std::string::npos)
                << failure.what();
        }
    }
}

}  // namespace
}  // namespace tidmor
