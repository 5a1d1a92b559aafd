// G and H of the current boundary polygon.
#include <cmath>
#include <cstdint>

#include "aquifer/boundary_elements.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"

namespace tidmor {

namespace {

// Connectivity and lengths of the elements.
Array1<std::int32_t, BOUNDARY_NODES> NODE1_EL;
Array1<std::int32_t, BOUNDARY_NODES> NODE2_EL;
BoundaryArray LEN_EL;

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
void MATRIX(Model& m) {
    const int n = boundary_node_count(m);
    const auto& x_bnd = m.NODE_PROPERTIES.X_BND;
    const auto& z_bnd = m.NODE_PROPERTIES.Z_BND;
    const auto& xi_gauss = m.GAUSS.XI_GAUSS;
    const auto& w_gauss = m.GAUSS.W_GAUSS;
    Matrix1000& g_coef = m.COE_MATRIX.G_COEF;
    Matrix1000& h_coef = m.COE_MATRIX.H_COEF;
    const double four_pi = 4.0 * PI_SINGLE;

    for (int e = 1; e <= n; ++e) {
        NODE1_EL[e] = e;
        NODE2_EL[e] = e == n ? 1 : e + 1;
        const double dx = x_bnd[NODE2_EL[e]] - x_bnd[NODE1_EL[e]];
        const double dz = z_bnd[NODE2_EL[e]] - z_bnd[NODE1_EL[e]];
        LEN_EL[e] = std::sqrt(dx * dx + dz * dz);
    }

    for (int i = 1; i <= n; ++i) {
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
}

}  // namespace tidmor
