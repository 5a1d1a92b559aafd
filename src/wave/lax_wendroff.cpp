// Single-step Lax-Wendroff scheme for  dU/dt + dF/dx + G = 0  with
//   U = (h, m),  m = u h,  F = (m, u^2 h + h^2/2),
//   G = (-W, theta h + f |u| u + S |W| u),  S = 1 where water enters the bed,
// A = dF/dU = [[0, 1], [h - u^2, 2u]]. The second-order term is built from
// half-node products A (flux difference + source), the time derivative of the
// source enters through R, T1, T2, and a damping term made of the jumps of
// the characteristic speeds u + c and u - c keeps the scheme free of
// oscillations at bores. Every right-hand side is of the old time level.
#include "wave/lax_wendroff.hpp"

#include <cmath>

namespace tidmor {

namespace {


double entering_bed(double w) { return w < 0.0 ? 1.0 : 0.0; }

void node_quantities(const Model& m, LaxWendroffWork& work, int n) {
    const auto& old = m.WAVE_INI;
    const double f = m.WAVE_CONSD.F_FRIC_ND;
    for (int i = 1; i <= n; ++i) {
        const double u = old.U_OLD[i];
        const double h = old.H_OLD[i];
        const double theta = m.BEACH_PROFILE.SLOPE_ND[i];
        const double w = m.INFILTRATION.INFIL_ND[i];
        const double s = entering_bed(w);
        work.F1[i] = u * h;
        work.F2[i] = (u * u) * h + 0.5 * (h * h);
        work.G1[i] = -w;
        work.G2[i] = theta * h + f * std::fabs(u) * u + s * std::fabs(w) * u;
        work.A21[i] = h - u * u;
        work.A22[i] = 2.0 * u;
    }
}

void half_node_products(const Model& m, LaxWendroffWork& work, int n) {
    const double dx = m.DIFFX.DX_ND;
    // The first row of A is (0, 1) at every node, and so is its mean.
    const double a11_bar = 0.0;
    const double a12_bar = 1.0;
    for (int i = 1; i <= n - 1; ++i) {
        const double a21_bar = 0.5 * (work.A21[i] + work.A21[i + 1]);
        const double a22_bar = 0.5 * (work.A22[i] + work.A22[i + 1]);
        const double phi1 = (work.F1[i + 1] - work.F1[i]) + 0.5 * dx * (work.G1[i] + work.G1[i + 1]);
        const double phi2 = (work.F2[i + 1] - work.F2[i]) + 0.5 * dx * (work.G2[i] + work.G2[i + 1]);
        work.A21_BAR[i] = a21_bar;
        work.A22_BAR[i] = a22_bar;
        work.P1[i] = a11_bar * phi1 + a12_bar * phi2;
        work.P2[i] = a21_bar * phi1 + a22_bar * phi2;
    }
}

// R is the time derivative of the friction term f |u| u, with du/dt taken
// from the momentum and mass equations; T1, T2 are dx times the time
// derivatives of the two source components.
void source_rates(const Model& m, LaxWendroffWork& work, int n) {
    const auto& old = m.WAVE_INI;
    const auto& infil = m.INFILTRATION;
    const double dx = m.DIFFX.DX_ND;
    const double f = m.WAVE_CONSD.F_FRIC_ND;
    for (int i = 2; i <= n - 1; ++i) {
        const double u = old.U_OLD[i];
        const double h = old.H_OLD[i];
        const double theta = m.BEACH_PROFILE.SLOPE_ND[i];
        const double w = infil.INFIL_ND[i];
        const double s = entering_bed(w);
        const double dh = old.H_OLD[i + 1] - old.H_OLD[i - 1];
        const double dm = old.U_OLD[i + 1] * old.H_OLD[i + 1] - old.U_OLD[i - 1] * old.H_OLD[i - 1];
        const double bracket = (u * u - h) * dh / (2.0 * dx) - u * dm / (2.0 * dx) - theta * h -
                               f * std::fabs(u) * u - s * std::fabs(w) * u - w * u;
        work.R[i] = (2.0 * f * std::fabs(u) / h) * bracket;
        work.T1[i] = dx * infil.INFIL_RATE[i];
        work.T2[i] = dx * work.R[i] - 0.5 * theta * dm + s * dx * u * infil.INFIL_ABS_RATE[i];
    }
}

// Q = a+ (projection on the u + c eigenvector of A_bar) + a- (projection on
// the u - c one), written as alpha I + beta A_bar.
void damping_matrices(const Model& m, LaxWendroffWork& work, int n) {
    const auto& old = m.WAVE_INI;
    const double damp1 = m.DAMPING.DAMP1;
    const double damp2 = m.DAMPING.DAMP2;
    for (int k = 1; k <= n - 1; ++k) {
        const double u_k = old.U_OLD[k];
        const double u_k1 = old.U_OLD[k + 1];
        const double c_k = std::sqrt(old.H_OLD[k]);
        const double c_k1 = std::sqrt(old.H_OLD[k + 1]);
        const double a_plus = damp1 * std::fabs((u_k1 + c_k1) - (u_k + c_k));
        const double a_minus = damp2 * std::fabs((u_k1 - c_k1) - (u_k - c_k));
        const double alpha =
            ((u_k + c_k + u_k1 + c_k1) * a_minus - (u_k - c_k + u_k1 - c_k1) * a_plus) / (2.0 * (c_k + c_k1));
        const double beta = (a_plus - a_minus) / (c_k + c_k1);
        work.Q11[k] = alpha;
        work.Q12[k] = beta;
        work.Q21[k] = beta * work.A21_BAR[k];
        work.Q22[k] = alpha + beta * work.A22_BAR[k];
    }
}

void update(Model& m, const LaxWendroffWork& work, int n) {
    const auto& old = m.WAVE_INI;
    const double dx = m.DIFFX.DX_ND;
    const double lambda = m.TIME_RELATED.DT / dx;
    for (int j = 2; j <= n - 1; ++j) {
        const double h = old.H_OLD[j];
        const double mj = old.U_OLD[j] * old.H_OLD[j];
        const double dh_plus = old.H_OLD[j + 1] - h;
        const double dm_plus = old.U_OLD[j + 1] * old.H_OLD[j + 1] - mj;
        const double dh_minus = h - old.H_OLD[j - 1];
        const double dm_minus = mj - old.U_OLD[j - 1] * old.H_OLD[j - 1];
        // half node j+½ is entry j, j-½ is entry j-1
        const int p = j;
        const int q = j - 1;
        const double d1 = (lambda / 2.0) * (work.Q11[p] * dh_plus + work.Q12[p] * dm_plus -
                                            work.Q11[q] * dh_minus - work.Q12[q] * dm_minus);
        const double d2 = (lambda / 2.0) * (work.Q21[p] * dh_plus + work.Q22[p] * dm_plus -
                                            work.Q21[q] * dh_minus - work.Q22[q] * dm_minus);
        const double h_new = h - lambda * (0.5 * (work.F1[j + 1] - work.F1[j - 1]) + dx * work.G1[j]) +
                             (lambda * lambda / 2.0) * (work.P1[p] - work.P1[q] - dx * work.T1[j]) + d1;
        const double m_new = mj - lambda * (0.5 * (work.F2[j + 1] - work.F2[j - 1]) + dx * work.G2[j]) +
                             (lambda * lambda / 2.0) * (work.P2[p] - work.P2[q] - dx * work.T2[j]) + d2;
        m.WAVE.H_ND[j] = h_new;
        m.WAVE.U_ND[j] = m_new / h_new;
    }
}

}  // namespace

void advance_interior(Model& m) {
    const int n = m.WAVE_CONSI.N_SHORE;
    LaxWendroffWork& work = m.work.lax_wendroff;
    node_quantities(m, work, n);
    half_node_products(m, work, n);
    source_rates(m, work, n);
    damping_matrices(m, work, n);
    update(m, work, n);
}

}  // namespace tidmor
