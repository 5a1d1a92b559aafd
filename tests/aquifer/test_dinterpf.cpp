#include <gtest/gtest.h>

#include "aquifer/dinterpf.hpp"

namespace tidmor {
namespace {

using Table = Array1<double, 4>;

Table table(double a, double b, double c = 0.0, double d = 0.0) {
    Table t;
    t[1] = a;
    t[2] = b;
    t[3] = c;
    t[4] = d;
    return t;
}

TEST(Dinterpf, FirstSegmentAndItsSeawardContinuation) {
    const Table xs = table(0.0, 1.0), ys = table(1.0, 3.0);
    EXPECT_EQ(DINTERPF(0.0, xs, ys, 2), 1.0);
    EXPECT_EQ(DINTERPF(-1.0, xs, ys, 2), -1.0);
    EXPECT_EQ(DINTERPF(0.25, xs, ys, 2), 1.5);
    EXPECT_EQ(DINTERPF(1.0, xs, ys, 2), 3.0);
}

TEST(Dinterpf, InteriorAbscissaBelongsToTheSegmentEndingThere) {
    // On segment (1, 2) the value at 0.67 rounds to 0.7999999999999999; on
    // segment (2, 3) it would be YS(2) = 0.8 exactly.
    const Table xs = table(0.0, 0.67, 2.0), ys = table(0.0, 0.8, 5.0);
    EXPECT_EQ(DINTERPF(0.67, xs, ys, 3), 0.7999999999999999);
    EXPECT_EQ(DINTERPF(2.0, xs, ys, 3), 5.0);
}

TEST(Dinterpf, SlopeIsFormedBeforeTheProduct) {
    // (x - xa)*((yb - ya)/(xb - xa)) = 0.43333333333333324, whereas
    // (x - xa)*(yb - ya)/(xb - xa) would give 0.4333333333333333.
    const Table xs = table(1.0, 4.0), ys = table(0.0, 1.0);
    EXPECT_EQ(DINTERPF(2.3, xs, ys, 2), 0.43333333333333324);
}

TEST(Dinterpf, BeyondTheLastAbscissaContinuesTheLastSegment) {
    const Table xs = table(0.0, 1.0, 3.0, 99.0), ys = table(0.0, 10.0, 0.0, 99.0);
    EXPECT_EQ(DINTERPF(5.0, xs, ys, 3), -10.0);  // entry 4 is not part of the table
    EXPECT_EQ(DINTERPF(2.0, xs, ys, 3), 5.0);
}

TEST(Dinterpf, OnePointTableIsConstant) {
    const Table xs = table(2.0, 99.0), ys = table(7.0, 99.0);
    EXPECT_EQ(DINTERPF(-5.0, xs, ys, 1), 7.0);
    EXPECT_EQ(DINTERPF(50.0, xs, ys, 1), 7.0);
}

TEST(Dinterpf, EmptyOrOversizedTableStopsTheRun) {
    const Table xs = table(0.0, 1.0), ys = table(0.0, 1.0);
    try {
        DINTERPF(0.5, xs, ys, 0);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_EQ(e.status(), EXIT_NUMERICAL);
        EXPECT_STREQ(e.what(), "run stopped: table lookup with 0 points (arrays hold 4)");
    }
    EXPECT_THROW(DINTERPF(0.5, xs, ys, -3), RunFailure);
    EXPECT_THROW(DINTERPF(0.5, xs, ys, 5), RunFailure);
}

}  // namespace
}  // namespace tidmor
