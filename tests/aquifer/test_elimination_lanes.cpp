// The elimination step in the lanes of every instruction set this machine
// runs gives the bits of the plain loop: column blocks of every length
// around the lane widths, the pivot row at the start, inside and in the
// tail, a pivot column inside the block, and entries that are zeros of
// both signs, subnormal, infinite or not a number; and so do the sums of
// columns that form the right-hand side of a recorded system.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "aquifer/elimination_lanes.hpp"

namespace tidmor {
namespace {

std::uint64_t bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The same bits, or both NaN: two NaNs may differ in sign and payload with
// the order of a subtraction's operands in registers, and no run keeps one.
bool same_result(double a, double b) { return std::isnan(b) ? std::isnan(a) : bits(a) == bits(b); }

double awkward(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    switch (rng() % 16) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return 0x1p-1070;
        case 3: return std::numeric_limits<double>::infinity();
        case 4: return std::numeric_limits<double>::quiet_NaN();
        case 5: return 0x1.fffffffffffffp1023;
        default: return u(rng);
    }
}

TEST(EliminationLanes, EveryPathGivesTheBitsOfThePlainLoop) {
    std::mt19937_64 rng(20261210);
    const std::size_t ld = 23;
    int compared = 0;
    for (std::size_t rows = 1; rows <= ld; ++rows) {
        for (std::size_t row : {std::size_t{0}, rows / 2, rows - 1}) {
            std::vector<double> start(ld * 9), factor(rows);
            for (double& v : start) v = awkward(rng);
            for (double& f : factor) f = awkward(rng);
            // Sometimes in neither block: a column the other threads have.
            const std::size_t pivot = rows % 3 == 0 ? 9 : 1 + rows % 7;
            std::vector<double> plain = start;
            eliminate_step(VectorPath::SCALAR, EliminationStep{plain.data(), ld, rows, row, pivot, factor.data()}, 0, 9);
            for (VectorPath path : vector_paths_here()) {
                std::vector<double> lanes = start;
                // Two blocks, as two threads would take them.
                const EliminationStep step{lanes.data(), ld, rows, row, pivot, factor.data()};
                eliminate_step(path, step, 0, 4);
                eliminate_step(path, step, 4, 9);
                for (std::size_t k = 0; k < lanes.size(); ++k)
                    ASSERT_EQ(bits(lanes[k]), bits(plain[k]))
                        << vector_path_name(path) << ": rows " << rows << ", row " << row << ", entry " << k;
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 3 * 23);
}

TEST(EliminationLanes, PivotColumnBecomesZerosOutsideItsRow) {
    const std::size_t rows = 7;
    for (VectorPath path : vector_paths_here()) {
        std::vector<double> a(rows * 2, 3.0), factor(rows, 0.5);
        a[rows + 4] = -1.25;
        eliminate_step(path, EliminationStep{a.data(), rows, rows, 4, 1, factor.data()}, 1, 2);
        for (std::size_t k = 0; k < rows; ++k)
            EXPECT_EQ(bits(a[rows + k]), bits(k == 4 ? -1.25 : 0.0)) << vector_path_name(path) << " row " << k;
        for (std::size_t k = 0; k < rows; ++k) EXPECT_EQ(a[k], 3.0) << "column outside the block";
    }
}

// The right-hand side of a recorded system in the form the full solve
// writes it, b + G*Q for a column of given flux and b - PHI*H for one of
// given head, against the columns' sum with weights -Q and PHI: rows
// around every block of registers, values of every awkward kind.
TEST(EliminationLanes, ColumnSumsGiveTheBitsOfTheRightHandSideAsWritten) {
    std::mt19937_64 rng(20261211);
    int compared = 0;
    for (std::size_t rows = 1; rows <= 37; ++rows) {
        std::vector<double> columns(rows * rows), value(rows), weight(rows), plain(rows, 0.0);
        std::vector<bool> flux(rows);
        for (double& c : columns) c = awkward(rng);
        for (std::size_t j = 0; j < rows; ++j) {
            value[j] = awkward(rng);
            flux[j] = rng() % 2 == 0;
            weight[j] = flux[j] ? -value[j] : value[j];
        }
        for (std::size_t j = 0; j < rows; ++j)
            for (std::size_t i = 0; i < rows; ++i)
                plain[i] = flux[j] ? plain[i] + columns[j * rows + i] * value[j] : plain[i] - value[j] * columns[j * rows + i];
        for (VectorPath path : vector_paths_here()) {
            std::vector<double> sum(rows, 7.0);
            sum_columns(path, ColumnSum{columns.data(), rows, rows, weight.data(), sum.data()});
            for (std::size_t i = 0; i < rows; ++i)
                ASSERT_TRUE(same_result(sum[i], plain[i])) << vector_path_name(path) << ": rows " << rows << ", row " << i;
            ++compared;
        }
    }
    EXPECT_GE(compared, 37);
}

// A recorded elimination pushed through a right-hand side: every path
// against the plain loop that skips the pivot row.
TEST(EliminationLanes, ReplayedStepsGiveTheBitsOfThePlainLoop) {
    std::mt19937_64 rng(20261212);
    for (std::size_t rows = 1; rows <= 23; ++rows) {
        std::vector<double> pivot(rows), factors(rows * rows), start(rows);
        for (double& v : pivot) v = awkward(rng);
        for (double& v : factors) v = awkward(rng);
        for (double& v : start) v = awkward(rng);
        // Each step's multiplier of its own row is 1, as the scaled pivot row gives it.
        for (std::size_t r = 0; r < rows; ++r) factors[r * rows + r] = 1.0;
        std::vector<double> plain = start;
        for (std::size_t r = 0; r < rows; ++r) {
            plain[r] = plain[r] / pivot[r];
            for (std::size_t k = 0; k < rows; ++k)
                if (k != r) plain[k] = plain[k] - factors[r * rows + k] * plain[r];
        }
        for (VectorPath path : vector_paths_here()) {
            std::vector<double> b = start;
            replay_steps(path, pivot.data(), factors.data(), rows, b.data());
            for (std::size_t k = 0; k < rows; ++k)
                ASSERT_TRUE(same_result(b[k], plain[k])) << vector_path_name(path) << ": rows " << rows << ", row " << k;
        }
    }
}

}  // namespace
}  // namespace tidmor
