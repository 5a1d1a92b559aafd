// The kernel integrals in the lanes of every instruction set this machine
// runs have the bits of the one-pair loop, for groups of every length
// around the lane widths and element lists with gaps (kept pairs skipped).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "aquifer/kernel_lanes.hpp"
#include "common/elementary.hpp"

namespace tidmor {
namespace {

std::uint64_t bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

struct Polygon {
    std::vector<double> gauss_x, gauss_z, minus_dz, dx, length, xi, w;
    KernelElements elements() const {
        return {gauss_x.data(), gauss_z.data(), minus_dz.data(), dx.data(), length.data(), xi.data(), w.data()};
    }
};

// Random elements of 0.05 to 2 m, their Gauss points as the solver places them.
Polygon random_polygon(int count, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> at(-20.0, 20.0), step(-1.4, 1.4);
    Polygon p;
    for (int k = 0; k < GAUSS_POINTS; ++k) {
        p.xi.push_back(GAUSS_ABSCISSAE[static_cast<std::size_t>(k)]);
        p.w.push_back(GAUSS_WEIGHTS[static_cast<std::size_t>(k)]);
    }
    for (int e = 0; e < count; ++e) {
        const double x1 = at(rng), z1 = at(rng) * 0.2;
        const double x2 = x1 + step(rng), z2 = z1 + step(rng) * 0.3;
        p.minus_dz.push_back(z1 - z2);
        p.dx.push_back(x2 - x1);
        p.length.push_back(std::sqrt((x2 - x1) * (x2 - x1) + (z2 - z1) * (z2 - z1)));
        for (int k = 0; k < GAUSS_POINTS; ++k) {
            p.gauss_x.push_back((x2 - x1) * (1.0 + p.xi[static_cast<std::size_t>(k)]) * 0.5 + x1);
            p.gauss_z.push_back((z2 - z1) * (1.0 + p.xi[static_cast<std::size_t>(k)]) * 0.5 + z1);
        }
    }
    return p;
}

// The one-pair loop the lanes must reproduce.
void one_pair(const Polygon& p, int e, double xi, double zi, double out[4]) {
    const double four_pi = 4.0 * PI_SINGLE;
    double h1 = 0.0, h2 = 0.0, g1 = 0.0, g2 = 0.0;
    for (int k = 0; k < GAUSS_POINTS; ++k) {
        const std::size_t at = static_cast<std::size_t>(e * GAUSS_POINTS + k);
        const double xik = p.xi[static_cast<std::size_t>(k)], w = p.w[static_cast<std::size_t>(k)];
        const double rx = xi - p.gauss_x[at];
        const double rz = zi - p.gauss_z[at];
        const double r = std::sqrt(rx * rx + rz * rz);
        const double c = p.minus_dz[static_cast<std::size_t>(e)] * rx + p.dx[static_cast<std::size_t>(e)] * rz;
        const double hk = c / (r * r * 4.0 * PI_SINGLE) * w;
        h1 = h1 + (1.0 - xik) * hk * 0.5;
        h2 = h2 + hk * (1.0 + xik) * 0.5;
        const double gk = cr_log(1.0 / r) / four_pi * p.length[static_cast<std::size_t>(e)] * w;
        g1 = g1 + (1.0 - xik) * gk * 0.5;
        g2 = g2 + gk * (1.0 + xik) * 0.5;
    }
    out[0] = h1;
    out[1] = h2;
    out[2] = g1;
    out[3] = g2;
}

TEST(KernelLanes, EveryPathGivesTheBitsOfTheOnePairLoop) {
    std::mt19937_64 rng(1210);
    const int n = 13;
    int compared = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const Polygon p = random_polygon(n, rng);
        const KernelElements el = p.elements();
        std::uniform_real_distribution<double> at(-20.0, 20.0);
        const double xi = at(rng), zi = at(rng) * 0.2;
        // Every element but a few (the kept ones), so that groups and tails vary.
        std::vector<std::int32_t> listed;
        for (int e = 0; e < n; ++e)
            if (rng() % 4 != 0 || trial < 2) listed.push_back(e);
        for (VectorPath path : vector_paths_here()) {
            std::vector<double> h1(n, -7.0), h2(n, -7.0), g1(n, -7.0), g2(n, -7.0);
            integrate_kernels(path, el, xi, zi, listed.data(), static_cast<int>(listed.size()),
                              KernelRow{h1.data(), h2.data(), g1.data(), g2.data()});
            std::size_t next = 0;
            for (int e = 0; e < n; ++e) {
                const auto u = static_cast<std::size_t>(e);
                if (next < listed.size() && listed[next] == e) {
                    ++next;
                    double expected[4];
                    one_pair(p, e, xi, zi, expected);
                    ASSERT_EQ(bits(h1[u]), bits(expected[0])) << vector_path_name(path) << " element " << e;
                    ASSERT_EQ(bits(h2[u]), bits(expected[1])) << vector_path_name(path) << " element " << e;
                    ASSERT_EQ(bits(g1[u]), bits(expected[2])) << vector_path_name(path) << " element " << e;
                    ASSERT_EQ(bits(g2[u]), bits(expected[3])) << vector_path_name(path) << " element " << e;
                    ++compared;
                } else {
                    EXPECT_EQ(h1[u], -7.0) << "an element not listed was written";
                }
            }
        }
    }
    EXPECT_GT(compared, 40 * 9);
}

}  // namespace
}  // namespace tidmor
