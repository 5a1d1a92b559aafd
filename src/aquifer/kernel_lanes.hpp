#pragma once
// The 15-point integrals of the kernels for one collocation node and many
// elements, several elements at once in the lanes of one instruction set:
// each lane takes one element and runs its sums over the points in order,
// with the operations of the one-pair formula (no fused multiply-add), so
// each integral has the bits of the plain loop whatever the path.
//
// For node (xi, zi) and element e with Gauss points (x_k, z_k):
//   r   = sqrt((xi - x_k)^2 + (zi - z_k)^2)
//   c   = (z1 - z2)(xi - x_k) + (x2 - x1)(zi - z_k)
//   h_k = c / (r r 4 pi) w_k,      H1 += (1 - xi_k) h_k / 2,  H2 += h_k (1 + xi_k) / 2
//   g_k = ln(1/r) / (4 pi) l w_k,  G1 += (1 - xi_k) g_k / 2,  G2 += g_k (1 + xi_k) / 2
// the logs taken in one correctly rounded batch per group of elements.
#include <cstddef>
#include <cstdint>

#include "aquifer/gauss_legendre15.hpp"
#include "common/constants.hpp"
#include "common/elementary_batch.hpp"
#include "common/vector_path.hpp"

namespace tidmor {

// What the integrals read of the elements of one polygon, element e at e-1.
struct KernelElements {
    const double* gauss_x;   // Gauss points, (e-1)*GAUSS_POINTS + k-1
    const double* gauss_z;
    const double* minus_dz;  // z1 - z2
    const double* dx;        // x2 - x1
    const double* length;
    const double* xi_gauss;  // abscissae and weights, k-1
    const double* w_gauss;
};

// The four integrals of each pair, element e at e-1.
struct KernelRow {
    double* h1;
    double* h2;
    double* g1;
    double* g2;
};

// The integrals of node (xi, zi) with the `count` elements listed (0-based)
// in `elements`, written at those elements in `row`.
void integrate_kernels(VectorPath path, const KernelElements& el, double xi, double zi,
                       const std::int32_t* elements, int count, const KernelRow& row);

// The loop over groups of LANES::WIDTH elements with the operations of one
// instruction set (register type, width, gather by element, broadcast, add,
// subtract, multiply, divide, square root, store). The last group repeats
// its last element in the lanes left over; their results are dropped.
template <class LANES>
void integrate_kernels_in_lanes(VectorPath path, const KernelElements& el, double xi, double zi,
                                const std::int32_t* elements, int count, const KernelRow& row) {
    using L = LANES;
    constexpr int W = L::WIDTH;
    const double four_pi = 4.0 * PI_SINGLE;
    const auto node_x = L::broadcast(xi), node_z = L::broadcast(zi);
    const auto one = L::broadcast(1.0), half = L::broadcast(0.5);
    const auto four = L::broadcast(4.0), pi = L::broadcast(PI_SINGLE), four_pis = L::broadcast(four_pi);
    for (int start = 0; start < count; start += W) {
        const int here = count - start < W ? count - start : W;
        std::int32_t e[W], at[W];
        for (int l = 0; l < W; ++l) {
            e[l] = elements[start + (l < here ? l : here - 1)];
            at[l] = e[l] * GAUSS_POINTS;
        }
        const auto minus_dz = L::gather(el.minus_dz, e), dx = L::gather(el.dx, e);
        auto h1 = L::broadcast(0.0), h2 = L::broadcast(0.0);
        double log_inv_r[GAUSS_POINTS * W];
        for (int k = 0; k < GAUSS_POINTS; ++k) {
            const auto xik = L::broadcast(el.xi_gauss[k]);
            const auto w = L::broadcast(el.w_gauss[k]);
            const auto rx = L::subtract(node_x, L::gather(el.gauss_x + k, at));
            const auto rz = L::subtract(node_z, L::gather(el.gauss_z + k, at));
            const auto r = L::square_root(L::add(L::multiply(rx, rx), L::multiply(rz, rz)));
            const auto c = L::add(L::multiply(minus_dz, rx), L::multiply(dx, rz));
            const auto hk = L::multiply(L::divide(c, L::multiply(L::multiply(L::multiply(r, r), four), pi)), w);
            h1 = L::add(h1, L::multiply(L::multiply(L::subtract(one, xik), hk), half));
            h2 = L::add(h2, L::multiply(L::multiply(hk, L::add(one, xik)), half));
            L::store(log_inv_r + k * W, L::divide(one, r));
        }
        cr_log_batch(path, log_inv_r, log_inv_r, GAUSS_POINTS * W);
        const auto l_el = L::gather(el.length, e);
        auto g1 = L::broadcast(0.0), g2 = L::broadcast(0.0);
        for (int k = 0; k < GAUSS_POINTS; ++k) {
            const auto xik = L::broadcast(el.xi_gauss[k]);
            const auto w = L::broadcast(el.w_gauss[k]);
            const auto gk = L::multiply(L::multiply(L::divide(L::load(log_inv_r + k * W), four_pis), l_el), w);
            g1 = L::add(g1, L::multiply(L::multiply(L::subtract(one, xik), gk), half));
            g2 = L::add(g2, L::multiply(L::multiply(gk, L::add(one, xik)), half));
        }
        double out[4][W];
        L::store(out[0], h1);
        L::store(out[1], h2);
        L::store(out[2], g1);
        L::store(out[3], g2);
        for (int l = 0; l < here; ++l) {
            row.h1[e[l]] = out[0][l];
            row.h2[e[l]] = out[1][l];
            row.g1[e[l]] = out[2][l];
            row.g2[e[l]] = out[3][l];
        }
    }
}

void integrate_kernels_sse2(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row);
void integrate_kernels_avx2(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row);
void integrate_kernels_neon(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row);

}  // namespace tidmor
