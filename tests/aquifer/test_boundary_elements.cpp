// The quadrature rule and the boundary-element matrices G and H.
#include <gtest/gtest.h>

#include <cmath>

#include "aquifer/boundary_elements.hpp"
#include "common/constants.hpp"

namespace tidmor {
namespace {

TEST(GaussRule, ValuesAreFloatsInTheStoredOrder) {
    auto model = make_model();
    const auto& xi = model->GAUSS.XI_GAUSS;
    const auto& w = model->GAUSS.W_GAUSS;
    for (int k = 1; k <= GAUSS_POINTS; ++k) {
        EXPECT_EQ(xi[k], double(float(xi[k]))) << "abscissa " << k;
        EXPECT_EQ(w[k], double(float(w[k]))) << "weight " << k;
    }
    for (int k = 1; k <= 13; k += 2) {
        EXPECT_GT(xi[k], 0.0);
        EXPECT_EQ(xi[k + 1], -xi[k]) << "pair " << k;
        EXPECT_EQ(w[k + 1], w[k]) << "pair " << k;
        if (k > 1) {
            EXPECT_LT(xi[k], xi[k - 2]) << "decreasing at " << k;
        }
    }
    EXPECT_EQ(xi[15], 0.0);
    EXPECT_NEAR(xi[1], 0.98799253, 5e-9);
    EXPECT_NEAR(w[1], 0.03075324, 5e-9);
    EXPECT_NEAR(w[15], 0.20257825, 5e-9);
}

TEST(GaussRule, IntegratesPolynomialsUpToDegree29) {
    auto model = make_model();
    const auto& xi = model->GAUSS.XI_GAUSS;
    const auto& w = model->GAUSS.W_GAUSS;
    for (int degree = 0; degree <= 29; ++degree) {
        double sum = 0.0;
        for (int k = 1; k <= GAUSS_POINTS; ++k) sum += w[k] * std::pow(xi[k], degree);
        const double exact = degree % 2 == 1 ? 0.0 : 2.0 / (degree + 1);
        EXPECT_NEAR(sum, exact, 1e-7) << "x^" << degree;
    }
}

// A regular polygon of n nodes on the circle of radius R about (cx, cz),
// numbered clockwise (x right, z up), so that the disc lies to the right.
void circle(Model& m, int n, double radius, double cx = 5.0, double cz = 3.0) {
    m.CONFIG_BOUND.N_BND = n;
    for (int j = 1; j <= n; ++j) {
        const double t = -2.0 * M_PI * (j - 1) / n;
        m.NODE_PROPERTIES.X_BND[j] = cx + radius * std::cos(t);
        m.NODE_PROPERTIES.Z_BND[j] = cz + radius * std::sin(t);
    }
}

// Square of side 2 (corners (0,0), (0,2), (2,2), (2,0), clockwise) with one
// node at the middle of each side: eight elements of length 1.
void unit_element_square(Model& m) {
    const double x[] = {0, 0, 0, 1, 2, 2, 2, 1};
    const double z[] = {0, 1, 2, 2, 2, 1, 0, 0};
    m.CONFIG_BOUND.N_BND = 8;
    for (int j = 1; j <= 8; ++j) {
        m.NODE_PROPERTIES.X_BND[j] = x[j - 1];
        m.NODE_PROPERTIES.Z_BND[j] = z[j - 1];
    }
}

TEST(Matrix, RowsOfHSumToZero) {
    auto model = make_model();
    Model& m = *model;
    circle(m, 37, 2.5);
    MATRIX(m);
    for (int i = 1; i <= 37; ++i) {
        double sum = 0.0;
        for (int j = 1; j <= 37; ++j) sum += m.COE_MATRIX.H_COEF(i, j);
        EXPECT_NEAR(sum, 0.0, 1e-12) << "row " << i;
        // The diagonal is the corner term: the interior angle of the
        // polygon over 2 pi, 1/2 - 1/n at a vertex of a regular n-gon.
        EXPECT_NEAR(m.COE_MATRIX.H_COEF(i, i), 0.5 - 1.0 / 37, 1e-6) << "row " << i;
    }
}

TEST(Matrix, SingularEntriesOfGAreTheAnalyticIntegrals) {
    auto model = make_model();
    Model& m = *model;
    unit_element_square(m);
    MATRIX(m);
    const double four_pi = 4.0 * PI_SINGLE;
    ASSERT_EQ(four_pi, 12.566370964050293);
    const double unit = 1.5 / four_pi;  // l (1.5 - ln l) / (4 pi) for l = 1
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(m.COE_MATRIX.G_COEF(i, i), 0.0 + unit + unit) << "node " << i;

    // The square of side 4: elements of length 2.
    for (int j = 1; j <= 8; ++j) {
        m.NODE_PROPERTIES.X_BND[j] *= 2.0;
        m.NODE_PROPERTIES.Z_BND[j] *= 2.0;
    }
    MATRIX(m);
    const double two = 2.0 * (1.5 - std::log(2.0)) / four_pi;
    EXPECT_NEAR(two, (3.0 - 2.0 * std::log(2.0)) / four_pi, 1e-16);
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(m.COE_MATRIX.G_COEF(i, i), 0.0 + two + two) << "node " << i;
}

TEST(Matrix, SingularEntryAddsBothElementsInElementOrder) {
    // Node 1 sits between element 3 (length 2, closing the triangle) and
    // element 1 (length 1); it collects element 1 first, then element 3.
    auto model = make_model();
    Model& m = *model;
    m.CONFIG_BOUND.N_BND = 3;
    const double x[] = {0, 0, std::sqrt(3.0)};
    const double z[] = {0, 1, 1};
    for (int j = 1; j <= 3; ++j) {
        m.NODE_PROPERTIES.X_BND[j] = x[j - 1];
        m.NODE_PROPERTIES.Z_BND[j] = z[j - 1];
    }
    MATRIX(m);
    const double four_pi = 4.0 * PI_SINGLE;
    const double len3 = std::sqrt(x[2] * x[2] + 1.0);
    EXPECT_NEAR(len3, 2.0, 1e-15);
    const double expected = 0.0 + 1.5 / four_pi + len3 * (1.5 - std::log(len3)) / four_pi;
    EXPECT_EQ(m.COE_MATRIX.G_COEF(1, 1), expected);
}

// Harmonic heads with their exact outward normal derivative on the circle.
struct Harmonic {
    const char* name;
    double (*h)(double, double);
    double (*hx)(double, double);
    double (*hz)(double, double);
};
const Harmonic HARMONICS[] = {
    {"x", [](double x, double) { return x; }, [](double, double) { return 1.0; }, [](double, double) { return 0.0; }},
    {"z", [](double, double z) { return z; }, [](double, double) { return 0.0; }, [](double, double) { return 1.0; }},
    {"x^2 - z^2", [](double x, double z) { return x * x - z * z; }, [](double x, double) { return 2 * x; },
     [](double, double z) { return -2 * z; }},
    {"xz", [](double x, double z) { return x * z; }, [](double, double z) { return z; },
     [](double x, double) { return x; }},
};

double worst_residual(Model& m, const Harmonic& f, double cx, double cz, double radius) {
    const int n = m.CONFIG_BOUND.N_BND;
    double worst = 0.0;
    for (int i = 1; i <= n; ++i) {
        double r = 0.0;
        for (int j = 1; j <= n; ++j) {
            const double x = m.NODE_PROPERTIES.X_BND[j], z = m.NODE_PROPERTIES.Z_BND[j];
            const double nx = (x - cx) / radius, nz = (z - cz) / radius;
            const double q = f.hx(x, z) * nx + f.hz(x, z) * nz;
            r += m.COE_MATRIX.H_COEF(i, j) * f.h(x, z) - m.COE_MATRIX.G_COEF(i, j) * q;
        }
        worst = std::fmax(worst, std::fabs(r));
    }
    return worst;
}

// The polygon is a second-order approximation of the circle on which q is
// exact: the residual falls about fourfold per halving of the elements
// (x: 3.4e-3, 1.0e-3, 2.8e-4, 7.3e-5 for 16 to 128 nodes).
TEST(Matrix, HarmonicHeadsSatisfyTheBoundaryEquation) {
    auto model = make_model();
    Model& m = *model;
    for (const Harmonic& f : HARMONICS) {
        double previous = 0.0;
        for (int n : {16, 32, 64, 128}) {
            circle(m, n, 1.5, 0.5, 2.0);
            MATRIX(m);
            const double residual = worst_residual(m, f, 0.5, 2.0, 1.5);
            if (n == 128) {
                EXPECT_LT(residual, 2e-3) << f.name;
            }
            if (previous > 0.0) {
                EXPECT_LT(residual, 0.5 * previous) << f.name << " with " << n << " nodes";
            }
            previous = residual;
        }
    }
}

}  // namespace
}  // namespace tidmor
