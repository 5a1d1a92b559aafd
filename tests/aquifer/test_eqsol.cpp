// The aquifer equation solver: hand-solved systems, the pivot rule, the stop
// on a singular system, and bit-identity with a literal row-by-row
// Gauss-Jordan elimination.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "aquifer/eqsol.hpp"
#include "common/run_failure.hpp"

namespace tidmor {
namespace {

// Row-by-row Gauss-Jordan exactly as the method is stated: the reference the
// column-ordered solver must reproduce to the last bit.
void literal_gauss_jordan(Matrix1000& a, int n, BoundaryArray& x, int pivots[]) {
    for (int i = 1; i <= n; ++i) {
        int p = 1;
        double v = a(i, 1);
        for (int j = 2; j <= n; ++j)
            if (std::fabs(a(i, j)) > std::fabs(v)) {
                p = j;
                v = a(i, j);
            }
        pivots[i] = p;
        ASSERT_NE(v, 0.0);
        for (int j = 1; j <= n + 1; ++j) a(i, j) = a(i, j) / v;
        for (int k = 1; k <= n; ++k) {
            if (k == i) continue;
            const double f = a(k, p);
            for (int j = 1; j <= n + 1; ++j) {
                if (j == p)
                    a(k, j) = 0.0;
                else
                    a(k, j) = a(k, j) - f * a(i, j);
            }
        }
    }
    for (int i = 1; i <= n; ++i) x[pivots[i]] = a(i, n + 1);
}

struct SolverTest : ::testing::Test {
    std::unique_ptr<Model> model = make_model();
    Model& m = *model;
    Units units;
    std::ostringstream console;
    void SetUp() override { units.console = &console; }
    void set_system(int n) { m.EQUATIONS.N_EQ = n; }
    double& a(int i, int j) { return m.EQUATIONS.A_EQ(i, j); }
};

TEST_F(SolverTest, OneEquationIsTheQuotient) {
    set_system(1);
    a(1, 1) = 3.0;
    a(1, 2) = 1.0;
    EQSOL(m, units);
    EXPECT_EQ(m.EQUATIONS.X_EQ[1], 1.0 / 3.0);
    EXPECT_EQ(eqsol_pivot_columns(m)[1], 1);
    EXPECT_EQ(console.str(), "");
}

TEST_F(SolverTest, TieOfMagnitudesKeepsTheLowestColumn) {
    // 2 x = -2 y + ... rows: (-2, 2 | 4), (1, 1 | 2): x = 0, y = 2 after the
    // first row pivots on column 1.
    set_system(2);
    a(1, 1) = -2.0;
    a(1, 2) = 2.0;
    a(1, 3) = 4.0;
    a(2, 1) = 1.0;
    a(2, 2) = 1.0;
    a(2, 3) = 2.0;
    EQSOL(m, units);
    EXPECT_EQ(eqsol_pivot_columns(m)[1], 1);
    EXPECT_EQ(eqsol_pivot_columns(m)[2], 2);
    EXPECT_EQ(m.EQUATIONS.X_EQ[1], 0.0);
    EXPECT_EQ(m.EQUATIONS.X_EQ[2], 2.0);
    // The pivot column of the first row holds exact zeros in the other rows.
    EXPECT_EQ(a(2, 1), 0.0);
    EXPECT_FALSE(std::signbit(a(2, 1)));
}

TEST_F(SolverTest, PermutedIdentityIsSolvedExactlyThroughItsPermutation) {
    const int perm[] = {0, 3, 1, 4, 2, 5};  // row i has its 1 in column perm[i]
    set_system(5);
    for (int i = 1; i <= 5; ++i) {
        a(i, perm[i]) = 1.0;
        a(i, 6) = 10.0 * i + 0.25;
    }
    EQSOL(m, units);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(eqsol_pivot_columns(m)[i], perm[i]) << "row " << i;
        EXPECT_EQ(m.EQUATIONS.X_EQ[perm[i]], 10.0 * i + 0.25) << "row " << i;
    }
}

TEST_F(SolverTest, NoEquationsChangesNothing) {
    m.EQUATIONS.X_EQ[1] = 7.5;
    a(1, 1) = 2.0;
    set_system(0);
    EQSOL(m, units);
    EXPECT_EQ(m.EQUATIONS.X_EQ[1], 7.5);
    EXPECT_EQ(a(1, 1), 2.0);
    EXPECT_EQ(console.str(), "");
}

void expect_singular_stop(Model& m, Units& units, std::ostringstream& console, const std::string& where) {
    m.EQUATIONS.X_EQ[1] = -1.0;
    try {
        EQSOL(m, units);
        FAIL() << "a singular system must stop the run";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_NUMERICAL);
        EXPECT_NE(std::string(failure.what()).find(where), std::string::npos) << failure.what();
    }
    EXPECT_EQ(console.str(),
              " IT DOES NOT LOOK LIKE HAVING A UNIQUE SOLUTION.\n"
              " THE NUMBER OF THE EQUATION IS LESS THAN THE\n"
              " NUMBER OF THE UNKNOWN.\n"
              " CHECK THE MATRIX FOR SATURATED-FLOW!!!\n");
    EXPECT_EQ(m.EQUATIONS.X_EQ[1], -1.0);
}

TEST_F(SolverTest, DependentRowStopsTheRunEvenWithAZeroRightHandSide) {
    // Row 3 = row 1 + row 2, right-hand sides all zero.
    set_system(3);
    const double rows[3][3] = {{1, 2, 0}, {0, 1, 3}, {1, 3, 3}};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) a(i, j) = rows[i - 1][j - 1];
    expect_singular_stop(m, units, console, "zero pivot in row 3 of 3");
}

TEST_F(SolverTest, NotANumberPivotStopsTheRun) {
    set_system(2);
    a(1, 1) = std::nan("");
    a(1, 2) = 1.0;
    a(2, 2) = 1.0;
    expect_singular_stop(m, units, console, "zero pivot in row 1 of 2");
}

TEST_F(SolverTest, AMultiplierThatIsNotFiniteFillsEarlierPivotColumnsAsWritten) {
    // Step 2 takes the multiplier inf for row 3, and the update as written
    // makes inf * 0 = NaN in column 1, the pivot column of step 1. Row 3's
    // pivot search then starts from that NaN, finds nothing larger and
    // stops; had column 1 been left as zeros, it would have gone on with
    // the -inf of column 3.
    set_system(3);
    a(1, 1) = 1.0;
    a(1, 4) = 1.0;
    a(2, 2) = 1.0;
    a(2, 3) = 1.0;
    a(2, 4) = 1.0;
    a(3, 2) = std::numeric_limits<double>::infinity();
    a(3, 3) = 1.0;
    a(3, 4) = 1.0;
    expect_singular_stop(m, units, console, "zero pivot in row 3 of 3");
}

TEST_F(SolverTest, TooManyEquationsStopTheRun) {
    set_system(MAX_EQUATIONS + 1);
    try {
        EQSOL(m, units);
        FAIL();
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_NUMERICAL);
        EXPECT_NE(std::string(failure.what()).find("1000 equations"), std::string::npos) << failure.what();
    }
}

// Random systems, diagonally weighted so that they are well conditioned,
// with a sprinkling of exact zeros, ties and negative zeros so that the
// special values take the same path in both eliminations.
void fill_random(Matrix1000& a, int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, 19);
    for (int j = 1; j <= n + 1; ++j)
        for (int i = 1; i <= n; ++i) {
            const int kind = pick(rng);
            a(i, j) = kind == 0 ? 0.0 : kind == 1 ? -0.0 : kind == 2 ? 0.5 : kind == 3 ? -0.5 : u(rng);
        }
    // Shuffle a dominant entry into each row so the pivots wander over the columns.
    std::vector<int> cols(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) cols[static_cast<std::size_t>(j)] = j + 1;
    std::shuffle(cols.begin(), cols.end(), rng);
    for (int i = 1; i <= n; ++i) a(i, cols[static_cast<std::size_t>(i - 1)]) += 4.0 * (u(rng) < 0 ? -1 : 1);
}

TEST_F(SolverTest, RandomSystemsAreBitIdenticalToTheLiteralElimination) {
    std::mt19937_64 rng(20240611);
    auto reference = make_model();
    static int pivots[BOUNDARY_NODES + 1];
    for (int n : {1, 2, 3, 5, 8, 17, 64, 131, 250}) {
        fill_random(m.EQUATIONS.A_EQ, n, rng);
        reference->EQUATIONS.A_EQ = m.EQUATIONS.A_EQ;
        set_system(n);
        EQSOL(m, units);
        literal_gauss_jordan(reference->EQUATIONS.A_EQ, n, reference->EQUATIONS.X_EQ, pivots);
        for (int i = 1; i <= n; ++i) ASSERT_EQ(eqsol_pivot_columns(m)[i], pivots[i]) << "n " << n << " row " << i;
        for (int j = 1; j <= n; ++j)
            ASSERT_EQ(std::memcmp(&m.EQUATIONS.X_EQ[j], &reference->EQUATIONS.X_EQ[j], sizeof(double)), 0)
                << "n " << n << " unknown " << j << ": " << m.EQUATIONS.X_EQ[j] << " vs "
                << reference->EQUATIONS.X_EQ[j];
        // The right-hand side to the bit; each pivot column 1 in its row and
        // zeros elsewhere (of either sign: its later updates are left out).
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(std::memcmp(&m.EQUATIONS.A_EQ(i, n + 1), &reference->EQUATIONS.A_EQ(i, n + 1), sizeof(double)), 0)
                << "n " << n << " reduced right-hand side " << i;
        for (int r = 1; r <= n; ++r)
            for (int i = 1; i <= n; ++i) {
                const int j = pivots[r];
                ASSERT_EQ(m.EQUATIONS.A_EQ(i, j), i == r ? 1.0 : 0.0) << "n " << n << " reduced entry (" << i << ", " << j << ")";
                ASSERT_EQ(reference->EQUATIONS.A_EQ(i, j), i == r ? 1.0 : 0.0);
            }
    }
}

TEST_F(SolverTest, RandomSystemsLeaveASmallResidual) {
    std::mt19937_64 rng(7);
    auto original = make_model();
    for (int n : {4, 40, 300}) {
        fill_random(m.EQUATIONS.A_EQ, n, rng);
        original->EQUATIONS.A_EQ = m.EQUATIONS.A_EQ;
        set_system(n);
        EQSOL(m, units);
        const Matrix1000& a0 = original->EQUATIONS.A_EQ;
        for (int i = 1; i <= n; ++i) {
            double r = -a0(i, n + 1);
            for (int j = 1; j <= n; ++j) r += a0(i, j) * m.EQUATIONS.X_EQ[j];
            ASSERT_LT(std::fabs(r), 1e-11) << "n " << n << " residual of row " << i;
        }
    }
}

}  // namespace
}  // namespace tidmor
