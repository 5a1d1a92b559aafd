#pragma once
// One step of the Gauss-Jordan elimination on a block of columns, in the
// lanes of one instruction set. For every column j of [first, last) other
// than the pivot column, every row k other than the pivot row receives
//   A(k, j) = A(k, j) - f_k * A(row, j)
// (one multiply and one subtract, never fused); the pivot column becomes
// exact zeros outside the pivot row. The lanes run down a column, each lane
// one row; the pivot row goes through the lanes with the others and its
// saved value is written back, so every entry ends with the bits of the
// scalar loop. All indices 0-based; the pivot column may lie outside the
// block (another thread's block has it).
#include <cstddef>

#include "common/vector_path.hpp"

namespace tidmor {

struct EliminationStep {
    double* a;              // column-major block
    std::size_t ld;         // its leading dimension
    std::size_t rows;       // rows 0..rows-1 take part
    std::size_t row;        // the pivot row, already divided by its pivot
    std::size_t pivot;      // the pivot column
    const double* factor;   // multiplier of each row (the pivot column before this step)
};

void eliminate_step(VectorPath path, const EliminationStep& step, std::size_t first, std::size_t last);

// The loop over the columns of a block with the operations of one
// instruction set: LANES provides the register type and its width, load,
// store, broadcast, multiply and subtract. Instantiated in the file of that
// instruction set.
template <class LANES>
void eliminate_columns_in_lanes(const EliminationStep& s, std::size_t first, std::size_t last) {
    constexpr std::size_t W = LANES::WIDTH;
    const std::size_t full = s.rows - s.rows % W;
    for (std::size_t j = first; j < last; ++j) {
        double* column = s.a + j * s.ld;
        if (j == s.pivot) {
            const double kept = column[s.row];
            for (std::size_t k = 0; k < s.rows; ++k) column[k] = 0.0;
            column[s.row] = kept;
            continue;
        }
        const double pivot_row_value = column[s.row];
        const auto value = LANES::broadcast(pivot_row_value);
        std::size_t k = 0;
        for (; k < full; k += W)
            LANES::store(column + k, LANES::subtract(LANES::load(column + k),
                                                     LANES::multiply(LANES::load(s.factor + k), value)));
        for (; k < s.rows; ++k) column[k] = column[k] - s.factor[k] * pivot_row_value;
        column[s.row] = pivot_row_value;
    }
}

// The right-hand side of a recorded system, the columns' multiples summed:
//   sum(i) = 0, then for each column j in increasing order
//   sum(i) = sum(i) - column_j(i) * weight_j
// (a column that adds c * q has the weight -q: b + c*q and b - c*(-q) are
// the same IEEE operations). The lanes run down the rows, several
// registers at a time, each holding the sums of its rows over all columns.
struct ColumnSum {
    const double* columns;  // column-major, leading dimension `rows`
    std::size_t rows, count;
    const double* weight;   // one per column
    double* sum;            // one per row
};

void sum_columns(VectorPath path, const ColumnSum& s);

template <class LANES>
void sum_columns_in_lanes(const ColumnSum& s) {
    constexpr std::size_t W = LANES::WIDTH;
    const auto zero = LANES::broadcast(0.0);
    std::size_t i = 0;
    for (; i + 4 * W <= s.rows; i += 4 * W) {
        auto s0 = zero, s1 = zero, s2 = zero, s3 = zero;
        for (std::size_t j = 0; j < s.count; ++j) {
            const double* c = s.columns + j * s.rows + i;
            const auto w = LANES::broadcast(s.weight[j]);
            s0 = LANES::subtract(s0, LANES::multiply(LANES::load(c), w));
            s1 = LANES::subtract(s1, LANES::multiply(LANES::load(c + W), w));
            s2 = LANES::subtract(s2, LANES::multiply(LANES::load(c + 2 * W), w));
            s3 = LANES::subtract(s3, LANES::multiply(LANES::load(c + 3 * W), w));
        }
        LANES::store(s.sum + i, s0);
        LANES::store(s.sum + i + W, s1);
        LANES::store(s.sum + i + 2 * W, s2);
        LANES::store(s.sum + i + 3 * W, s3);
    }
    for (; i + W <= s.rows; i += W) {
        auto s0 = zero;
        for (std::size_t j = 0; j < s.count; ++j)
            s0 = LANES::subtract(s0, LANES::multiply(LANES::load(s.columns + j * s.rows + i), LANES::broadcast(s.weight[j])));
        LANES::store(s.sum + i, s0);
    }
    for (; i < s.rows; ++i) {
        double t = 0.0;
        for (std::size_t j = 0; j < s.count; ++j) t = t - s.columns[j * s.rows + i] * s.weight[j];
        s.sum[i] = t;
    }
}

// A recorded elimination pushed through one right-hand side b: for each row
// r in order, b(r) = b(r) / pivot(r), then b(k) = b(k) - f_r(k) * b(r) for
// every other row k, f_r being step r's multipliers (factors + r * rows):
// the operations elimination step r gives column N+1. As in the step, the
// pivot row goes through the lanes and its value is put back.
void replay_steps(VectorPath path, const double* pivot, const double* factors, std::size_t rows, double* b);

template <class LANES>
void replay_steps_in_lanes(const double* pivot, const double* factors, std::size_t rows, double* b) {
    constexpr std::size_t W = LANES::WIDTH;
    const std::size_t full = rows - rows % W;
    for (std::size_t r = 0; r < rows; ++r) {
        const double v = b[r] / pivot[r];
        const double* f = factors + r * rows;
        const auto value = LANES::broadcast(v);
        std::size_t k = 0;
        for (; k < full; k += W)
            LANES::store(b + k, LANES::subtract(LANES::load(b + k), LANES::multiply(LANES::load(f + k), value)));
        for (; k < rows; ++k) b[k] = b[k] - f[k] * v;
        b[r] = v;
    }
}

void eliminate_step_sse2(const EliminationStep& step, std::size_t first, std::size_t last);
void eliminate_step_avx2(const EliminationStep& step, std::size_t first, std::size_t last);
void eliminate_step_neon(const EliminationStep& step, std::size_t first, std::size_t last);
void sum_columns_sse2(const ColumnSum& s);
void sum_columns_avx2(const ColumnSum& s);
void sum_columns_neon(const ColumnSum& s);
void replay_steps_sse2(const double* pivot, const double* factors, std::size_t rows, double* b);
void replay_steps_avx2(const double* pivot, const double* factors, std::size_t rows, double* b);
void replay_steps_neon(const double* pivot, const double* factors, std::size_t rows, double* b);

}  // namespace tidmor
