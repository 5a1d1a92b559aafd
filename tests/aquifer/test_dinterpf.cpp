#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

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

// The cursor only shortens the search: ordered tables, unordered ones,
// repeated abscissae and not-a-number entries, looked up along runs that
// mostly climb, sometimes fall back, repeat a point or ask for NaN, give
// the bits of a search from the table's start every time.
TEST(Dinterpf, ACursorGivesTheSameBitsAsASearchFromTheStart) {
    using Big = Array1<double, 64>;
    std::mt19937_64 rng(18);
    std::uniform_real_distribution<double> u(-1.0, 11.0);
    std::uniform_int_distribution<int> pick(0, 19);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    int looked_up = 0;
    for (int t = 0; t < 200; ++t) {
        const int n = 1 + t % 64;
        Big xs, ys;
        for (int i = 1; i <= n; ++i) {
            xs[i] = t % 4 == 0 ? u(rng) : 10.0 * (i - 1) / n;  // one table in four unordered
            if (t % 4 == 1 && pick(rng) == 0 && i > 1) xs[i] = xs[i - 1];
            if (t % 8 == 2 && pick(rng) == 0) xs[i] = nan;
            ys[i] = u(rng);
        }
        TableCursor cursor;
        double x = -0.5;
        for (int q = 0; q < 300; ++q) {
            const int kind = pick(rng);
            x = kind == 0 ? x - 2.0 * u(rng) : kind == 1 ? x : kind == 2 ? nan : (x != x ? 0.0 : x) + 0.05 * u(rng);
            const double a = DINTERPF(x, xs, ys, n, cursor);
            const double b = DINTERPF(x, xs, ys, n);
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "table " << t << " lookup " << q << " at " << x;
            ++looked_up;
        }
    }
    EXPECT_EQ(looked_up, 60000);
}

}  // namespace
}  // namespace tidmor
