// G and H of the current boundary polygon.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "aquifer/boundary_elements.hpp"
#include "aquifer/worker_team.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"

namespace tidmor {

namespace {

// Fewer rows than this are not worth waking the threads for.
constexpr int PARALLEL_MIN_NODES = 32;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

// Marks the nodes that moved since the integrals in `k` were taken (all of
// them when the count changed) and makes room for this polygon's.
void compare_with_last(AquiferSolver::KernelIntegrals& k, int n, const BoundaryArray& x, const BoundaryArray& z) {
    const auto nn = static_cast<std::size_t>(n);
    const bool same_count = k.n == n;
    k.node_moved.assign(nn + 1, 1);
    for (int j = 1; j <= n && same_count; ++j)
        k.node_moved[static_cast<std::size_t>(j)] =
            same_bits(x[j], k.x[static_cast<std::size_t>(j - 1)]) && same_bits(z[j], k.z[static_cast<std::size_t>(j - 1)])
                ? 0
                : 1;
    if (!same_count) {
        for (auto* v : {&k.h1, &k.h2, &k.g1, &k.g2}) v->resize(nn * nn);
        k.x.resize(nn);
        k.z.resize(nn);
    }
    for (int j = 1; j <= n; ++j) {
        k.x[static_cast<std::size_t>(j - 1)] = x[j];
        k.z[static_cast<std::size_t>(j - 1)] = z[j];
    }
    k.n = n;
}

}  // namespace

// For collocation node i and element e the kernels are integrated with the
// 15-point rule over xi in [-1, 1], the length element being l/2 dxi:
//   H: the normal flux of the fundamental solution, c / (4 pi r^2), c being
//      l times the outward-normal component of the vector to node i;
//   G: ln(1/r) / (2 pi) times l/2.
// When node i is an end of the element, the shape function that is 1 there
// meets the log singularity; its G entry is the exact integral
//   (1/2 pi) int_0^l (1 - s/l) ln(1/s) ds = l (1.5 - ln l) / (4 pi).
// H needs no such care: c vanishes on the element's own line.
// Each row is computed by its own operations from the nodes alone, so the
// rows are shared among the run's worker threads, in contiguous blocks,
// without changing a bit. With reuse on, the integrals of a pair whose node
// and element have not moved since the last call are the stored results of
// the same operations on the same values: the sums below see the same bits.
void MATRIX(Model& m) {
    const int n = boundary_node_count(m);
    const auto& x_bnd = m.NODE_PROPERTIES.X_BND;
    const auto& z_bnd = m.NODE_PROPERTIES.Z_BND;
    const auto& xi_gauss = m.GAUSS.XI_GAUSS;
    const auto& w_gauss = m.GAUSS.W_GAUSS;
    Matrix1000& g_coef = m.COE_MATRIX.G_COEF;
    Matrix1000& h_coef = m.COE_MATRIX.H_COEF;
    const double four_pi = 4.0 * PI_SINGLE;

    // Connectivity and lengths of the elements.
    Array1<std::int32_t, BOUNDARY_NODES> NODE1_EL;
    Array1<std::int32_t, BOUNDARY_NODES> NODE2_EL;
    BoundaryArray LEN_EL;
    for (int e = 1; e <= n; ++e) {
        NODE1_EL[e] = e;
        NODE2_EL[e] = e == n ? 1 : e + 1;
        const double dx = x_bnd[NODE2_EL[e]] - x_bnd[NODE1_EL[e]];
        const double dz = z_bnd[NODE2_EL[e]] - z_bnd[NODE1_EL[e]];
        LEN_EL[e] = std::sqrt(dx * dx + dz * dz);
    }

    AquiferSolver::KernelIntegrals* kept = m.aquifer_solver.reuse ? &m.aquifer_solver.kernels : nullptr;
    // Without memory for the kept integrals, this call integrates every pair
    // and keeps none.
    try {
        if (kept) compare_with_last(*kept, n, x_bnd, z_bnd);
    } catch (const std::bad_alloc&) {
        *kept = AquiferSolver::KernelIntegrals{};
        kept = nullptr;
    }
    const std::size_t nn = static_cast<std::size_t>(n);

    const int parts = n >= PARALLEL_MIN_NODES ? m.aquifer_solver.team_size() : 1;
    const auto rows = [&](int part) {  // a block of rows per thread
        int first, last;
        part_range(n, part, parts, first, last);
        for (int i = first + 1; i <= last; ++i) {
            for (int j = 1; j <= n; ++j) {
                h_coef(i, j) = 0.0;
                g_coef(i, j) = 0.0;
            }
            const double xi = x_bnd[i];
            const double zi = z_bnd[i];
            double s = 0.0;
            for (int e = 1; e <= n; ++e) {
                const int ja = NODE1_EL[e];
                const int jb = NODE2_EL[e];
                const double x1 = x_bnd[ja], z1 = z_bnd[ja];
                const double x2 = x_bnd[jb], z2 = z_bnd[jb];
                const double l = LEN_EL[e];
                double h1 = 0.0, h2 = 0.0, g1 = 0.0, g2 = 0.0;
                const std::size_t pair = static_cast<std::size_t>(e - 1) * nn + static_cast<std::size_t>(i - 1);
                if (kept && !kept->node_moved[static_cast<std::size_t>(i)] &&
                    !kept->node_moved[static_cast<std::size_t>(ja)] && !kept->node_moved[static_cast<std::size_t>(jb)]) {
                    h1 = kept->h1[pair];
                    h2 = kept->h2[pair];
                    g1 = kept->g1[pair];
                    g2 = kept->g2[pair];
                } else {
                    for (int k = 1; k <= GAUSS_POINTS; ++k) {
                        const double xik = xi_gauss[k];
                        const double w = w_gauss[k];
                        const double x = (x2 - x1) * (1.0 + xik) * 0.5 + x1;
                        const double z = (z2 - z1) * (1.0 + xik) * 0.5 + z1;
                        const double rx = xi - x;
                        const double rz = zi - z;
                        const double r = std::sqrt(rx * rx + rz * rz);
                        const double c = (z1 - z2) * rx + (x2 - x1) * rz;
                        const double hk = c / (r * r * 4.0 * PI_SINGLE) * w;
                        h1 = h1 + (1.0 - xik) * hk * 0.5;
                        h2 = h2 + hk * (1.0 + xik) * 0.5;
                        const double gk = cr_log(1.0 / r) / four_pi * l * w;
                        g1 = g1 + (1.0 - xik) * gk * 0.5;
                        g2 = g2 + gk * (1.0 + xik) * 0.5;
                    }
                    if (kept) {
                        kept->h1[pair] = h1;
                        kept->h2[pair] = h2;
                        kept->g1[pair] = g1;
                        kept->g2[pair] = g2;
                    }
                }
                s = s - h1 - h2;
                if (i == ja) g1 = l * (1.5 - cr_log(l)) / four_pi;
                if (i == jb) g2 = l * (1.5 - cr_log(l)) / four_pi;
                h_coef(i, ja) += h1;
                h_coef(i, jb) += h2;
                g_coef(i, ja) += g1;
                g_coef(i, jb) += g2;
            }
            h_coef(i, i) = s;
        }
    };
    if (parts > 1)
        m.aquifer_solver.team().run(parts, rows);
    else
        rows(0);
}

}  // namespace tidmor
