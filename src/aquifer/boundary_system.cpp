// The boundary system by node code, and the nodal values from its solution.
#include <string>

#include "aquifer/boundary_elements.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

namespace {

int checked_system_size(const Model& m) {
    const int n = m.CONFIG_BOUND.N_BND;
    if (n > MAX_EQUATIONS)
        numerical_failure("aquifer boundary of " + std::to_string(n) + " nodes exceeds the " +
                          std::to_string(MAX_EQUATIONS) + " equations the solver holds");
    return n;
}

}  // namespace

int boundary_node_count(const Model& m) {
    const int n = m.CONFIG_BOUND.N_BND;
    if (n > BOUNDARY_NODES)
        numerical_failure("aquifer boundary of " + std::to_string(n) + " nodes exceeds the " +
                          std::to_string(BOUNDARY_NODES) + " the node arrays hold");
    return n;
}

// Row i is the boundary integral equation of node i, sum_j H(i,j) h(j) =
// sum_j G(i,j) q(j), with the unknown of each node moved to the left:
// q for codes 1 and 4, h for code 2, and for a water-table node the new q'
// with its new head eliminated through the kinematic condition
//   h' = PHI - FS ((1 - THETA) Q + THETA q' + DPHI_WELL).
void assemble_boundary_system(Model& m) {
    const int n = checked_system_size(m);
    const auto& nodes = m.NODE_PROPERTIES;
    const auto& fs_coef = m.FREE_SURFACE.FS_COEF;
    const auto& dphi_well = m.WELL.DPHI_WELL;
    const Matrix1000& g_coef = m.COE_MATRIX.G_COEF;
    const Matrix1000& h_coef = m.COE_MATRIX.H_COEF;
    Matrix1000& a_eq = m.EQUATIONS.A_EQ;
    const double theta = m.CONSTS.THETA_T;
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) {
            switch (nodes.KODE_BND[j]) {
                case 1:
                case 4: a_eq(i, j) = -g_coef(i, j); break;
                case 2: a_eq(i, j) = h_coef(i, j); break;
                case 3: a_eq(i, j) = -g_coef(i, j) - h_coef(i, j) * fs_coef[j] * theta; break;
                default: break;
            }
        }
        double b = 0.0;
        for (int j = 1; j <= n; ++j) {
            switch (nodes.KODE_BND[j]) {
                case 1:
                case 4: b = b - nodes.PHI_BND[j] * h_coef(i, j); break;
                case 3:
                    b = b - h_coef(i, j) * (nodes.PHI_BND[j] -
                                            fs_coef[j] * ((1.0 - theta) * nodes.Q_BND[j] + dphi_well[j]));
                    break;
                case 2: b = b + g_coef(i, j) * nodes.Q_BND[j]; break;
                default: break;
            }
        }
        a_eq(i, n + 1) = b;
    }
    m.EQUATIONS.N_EQ = n;
}

void recover_boundary_values(Model& m) {
    const int n = checked_system_size(m);
    auto& nodes = m.NODE_PROPERTIES;
    const double theta = m.CONSTS.THETA_T;
    for (int j = 1; j <= n; ++j) {
        const double x = m.EQUATIONS.X_EQ[j];
        switch (nodes.KODE_BND[j]) {
            case 1:
            case 4: nodes.Q_BND[j] = x; break;
            case 2: nodes.PHI_BND[j] = x; break;
            case 3:
                nodes.PHI_BND[j] = nodes.PHI_BND[j] - m.FREE_SURFACE.FS_COEF[j] * ((1.0 - theta) * nodes.Q_BND[j] +
                                                                                   theta * x + m.WELL.DPHI_WELL[j]);
                nodes.Q_BND[j] = x;
                break;
            default: break;
        }
    }
}

void add_back_well(Model& m) {
    const int n = boundary_node_count(m);
    auto& nodes = m.NODE_PROPERTIES;
    for (int j = 1; j <= n; ++j) {
        nodes.Q_BND[j] = nodes.Q_BND[j] + m.WELL.DPHI_WELL[j];
        nodes.PHI_BND[j] = nodes.PHI_BND[j] + m.WELL.PHI_WELL[j];
    }
}

}  // namespace tidmor
