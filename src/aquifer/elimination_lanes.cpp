#include "aquifer/elimination_lanes.hpp"

namespace tidmor {

namespace {

// The plain loop: each row other than the pivot row, in increasing order.
void eliminate_step_scalar(const EliminationStep& s, std::size_t first, std::size_t last) {
    for (std::size_t j = first; j < last; ++j) {
        double* column = s.a + j * s.ld;
        if (j == s.pivot) {
            for (std::size_t k = 0; k < s.row; ++k) column[k] = 0.0;
            for (std::size_t k = s.row + 1; k < s.rows; ++k) column[k] = 0.0;
            continue;
        }
        const double pivot_row_value = column[s.row];
        for (std::size_t k = 0; k < s.row; ++k) column[k] = column[k] - s.factor[k] * pivot_row_value;
        for (std::size_t k = s.row + 1; k < s.rows; ++k) column[k] = column[k] - s.factor[k] * pivot_row_value;
    }
}

// The plain loop: column after column, each adding into every row.
void sum_columns_scalar(const ColumnSum& s) {
    for (std::size_t i = 0; i < s.rows; ++i) s.sum[i] = 0.0;
    for (std::size_t j = 0; j < s.count; ++j) {
        const double* column = s.columns + j * s.rows;
        for (std::size_t i = 0; i < s.rows; ++i) s.sum[i] = s.sum[i] - column[i] * s.weight[j];
    }
}

// The plain loop: every row but the pivot row, in increasing order.
void replay_steps_scalar(const double* pivot, const double* factors, std::size_t rows, double* b) {
    for (std::size_t r = 0; r < rows; ++r) {
        b[r] = b[r] / pivot[r];
        const double* f = factors + r * rows;
        for (std::size_t k = 0; k < r; ++k) b[k] = b[k] - f[k] * b[r];
        for (std::size_t k = r + 1; k < rows; ++k) b[k] = b[k] - f[k] * b[r];
    }
}

}  // namespace

void replay_steps(VectorPath path, const double* pivot, const double* factors, std::size_t rows, double* b) {
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return replay_steps_sse2(pivot, factors, rows, b);
        case VectorPath::AVX2: return replay_steps_avx2(pivot, factors, rows, b);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return replay_steps_neon(pivot, factors, rows, b);
#endif
        default: return replay_steps_scalar(pivot, factors, rows, b);
    }
}

void sum_columns(VectorPath path, const ColumnSum& s) {
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return sum_columns_sse2(s);
        case VectorPath::AVX2: return sum_columns_avx2(s);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return sum_columns_neon(s);
#endif
        default: return sum_columns_scalar(s);
    }
}

void eliminate_step(VectorPath path, const EliminationStep& step, std::size_t first, std::size_t last) {
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return eliminate_step_sse2(step, first, last);
        case VectorPath::AVX2: return eliminate_step_avx2(step, first, last);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return eliminate_step_neon(step, first, last);
#endif
        default: return eliminate_step_scalar(step, first, last);
    }
}

}  // namespace tidmor
