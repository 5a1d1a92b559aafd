// The aquifer outline the boundary elements can solve: nodes within the
// aquifer, no crossing elements, values that fit "outg.dat"; and the bed
// below the aquifer bottom, which is only told.
#include <gtest/gtest.h>

#include <cmath>

#include "aquifer/aquifer_geometry_check.hpp"
#include "aquifer/aquifer_ini.hpp"
#include "aquifer_ini_fixture.hpp"
#include "common/run_failure.hpp"
#include "refused_allocations.hpp"

namespace tidmor {
namespace {

using GeometryTest = AquiferIniFixture;

// A level water table at 1 m over a 20 m aquifer, L_ELEM 0.5 m: face
// nodes 1..21 (x = 0..10 m), water-table nodes 22..30 (x = 11..19 m),
// landward 31..33 (z = 1, 0.5, 0), bottom 34..52.
void level_mesh(GeometryTest& t) {
    t.beach(0.5, 0.1, 1.0, 1.0, 20.0);
    t.generate();
}

TEST(SegmentsMeet, CrossingTouchingAndApart) {
    EXPECT_TRUE(segments_meet(0, 0, 2, 2, 0, 2, 2, 0));    // an X
    EXPECT_TRUE(segments_meet(0, 0, 2, 0, 1, 0, 1, 1));    // a T: one end on the other segment
    EXPECT_TRUE(segments_meet(0, 0, 2, 0, 1, 0, 3, 0));    // overlapping in line
    EXPECT_FALSE(segments_meet(0, 0, 2, 0, 3, 0, 4, 0));   // in line, apart
    EXPECT_FALSE(segments_meet(0, 0, 2, 0, 0, 1, 2, 1));   // parallel
    EXPECT_FALSE(segments_meet(0, 0, 2, 2, 1.5, 0, 3, 0.5));  // would cross only if extended
}

TEST_F(GeometryTest, AGeneratedOutlineIsSoundAndCheckedWithoutAllocating) {
    level_mesh(*this);
    std::string fault = "x";
    {
        const testing::RefusedAllocations none(1);
        fault = aquifer_geometry_fault(m, true, 12);
    }
    EXPECT_EQ(fault, "");
}

TEST_F(GeometryTest, AFaceNodeBeyondTheLandwardSideStops) {
    level_mesh(*this);
    m.NODE_PROPERTIES.X_BND[21] = 20.24;
    m.NODE_PROPERTIES.Z_BND[21] = 2.024;
    m.WAVE_CONSD.F_FRIC = 0.0;
    EXPECT_EQ(aquifer_geometry_fault(m, false, 12),
              "beach-face node 21 at x = 20.24 m, z = 2.024 m lies outside the aquifer (0 <= x <= X_LAND = 20 m); "
              "likely cause: the swash runs up beyond the aquifer's landward side (the shoreline at x = 20.24 m); "
              "make X_LAND larger than the run-up (a larger F_FRIC, now 0, shortens it)");
    try {
        geometry_failure(aquifer_geometry_fault(m, false, 12), "step 299, TIME = 7.907418 s");
        FAIL() << "no stop";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_NUMERICAL);
        EXPECT_EQ(std::string(failure.what()).rfind("run stopped: impossible aquifer geometry (step 299, TIME = "
                                                    "7.907418 s): beach-face node 21",
                                                    0),
                  0u)
            << failure.what();
    }
}

TEST_F(GeometryTest, ABedCutThroughTheBottomIsACrossingWhenElementsAreTested) {
    level_mesh(*this);
    // Face node 15 (x = 7 m) sunk below the bottom: its elements cross the
    // bottom element from (8, 0) to (7, 0).
    m.NODE_PROPERTIES.Z_BND[15] = -0.134;
    m.SED_TRANS.EFF_ON = 600.0;
    m.SED_TRANS.EFF_OFF = 0.5;
    EXPECT_EQ(aquifer_geometry_fault(m, false, 12), "");  // a geometry met before: not tested again
    const std::string fault = aquifer_geometry_fault(m, true, 12);
    EXPECT_EQ(fault.rfind("the outline crosses itself: element 14 of the beach face (from (6.5, 0.65) to (7, "
                          "-0.134)) meets element ",
                          0),
              0u)
        << fault;
    EXPECT_NE(fault.find("of the bottom"), std::string::npos) << fault;
    EXPECT_NE(fault.find("likely cause: the bed eroded through the aquifer bottom; transport efficiencies above 1 "
                         "(EFF_ON = 600, EFF_OFF = 0.5) are the usual cause"),
              std::string::npos)
        << fault;
}

TEST_F(GeometryTest, AWaterTableDrawnThroughTheFaceNamesTheWell) {
    level_mesh(*this);
    m.NODE_PROPERTIES.X_BND[23] = 5.0;  // above the face at x = 5 m: the water table folds back through it
    m.NODE_PROPERTIES.Z_BND[23] = 0.9;
    m.WELL.Q_WELL = 0.08;
    const std::string fault = aquifer_geometry_fault(m, true, 13);
    EXPECT_NE(fault.find("the outline crosses itself"), std::string::npos) << fault;
    EXPECT_NE(fault.find("likely cause: the water table drawn through the rest of the outline; Q_WELL/K_HYD = "
                         "0.08 m too large for this aquifer, or the well too close to the boundary; reduce Q_WELL, "
                         "move the well or raise K_HYD"),
              std::string::npos)
        << fault;
}

TEST_F(GeometryTest, HeadsAndDerivativesMustFitTheirFieldOfOutg) {
    level_mesh(*this);
    // Width 12 with 6 decimals holds 99999.999999 and -9999.999999.
    m.NODE_PROPERTIES.Q_BND[31] = 99999.999999;
    m.NODE_PROPERTIES.PHI_BND[32] = -9999.999999;
    EXPECT_EQ(aquifer_geometry_fault(m, false, 12), "");
    m.NODE_PROPERTIES.PHI_BND[32] = -10000.0;
    EXPECT_NE(aquifer_geometry_fault(m, false, 12).find("the head -10000 at landward node 32"), std::string::npos);
    EXPECT_EQ(aquifer_geometry_fault(m, false, 13), "");  // the start-up blocks are one wider
    m.NODE_PROPERTIES.PHI_BND[32] = 1.0;
    // A well 1 nm from the landward side: the derivative at the nearest node.
    m.WELL.Q_WELL = 1e-5 / 1e-3;
    m.WELL.X_WELL = 20.0 - 1e-9;
    m.WELL.Z_WELL = 0.5;
    m.NODE_PROPERTIES.Q_BND[32] = -1.5915494309189535e6;
    EXPECT_EQ(aquifer_geometry_fault(m, false, 12),
              "the normal derivative -1591549.4309189536 at landward node 32 at x = 20 m, z = 0.5 m does not fit "
              "its field of \"outg.dat\" (12 characters, 6 decimals); likely cause: the well 1.000000082740371e-09 "
              "m from the node; Q_WELL/K_HYD = 0.01 m too large for this aquifer, or the well too close to the "
              "boundary; reduce Q_WELL, move the well or raise K_HYD");
}

TEST_F(GeometryTest, ABedBelowTheBottomIsToldOnlyBeyondAMillimetre) {
    level_mesh(*this);
    EXPECT_EQ(face_node_below_bottom(m), 0);
    m.NODE_PROPERTIES.Z_BND[1] = -4e-6;  // the seaward end of an ordinary run
    EXPECT_EQ(face_node_below_bottom(m), 0);
    m.NODE_PROPERTIES.Z_BND[1] = -0.035;
    EXPECT_EQ(face_node_below_bottom(m), 1);
    m.TIME_RELATED.TIME = 8.0424623;
    m.N_CAL.N_STEP = 302;
    m.SED_TRANS.EFF_ON = 600.0;
    m.SED_TRANS.EFF_OFF = 0.5;
    EXPECT_EQ(bed_below_bottom_warning(m, 1),
              "the bed at x = 0 m (beach-face node 1 of the aquifer) has been eroded to z = -0.035 m, below the "
              "aquifer bottom (z = 0), at model time 8.042462 s (step 302); the run goes on with the outline as it "
              "stands, but transport efficiencies above 1 (EFF_ON = 600, EFF_OFF = 0.5) are the usual cause");
}

}  // namespace
}  // namespace tidmor
