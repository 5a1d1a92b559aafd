// The boundary solve of a time step, with reuse of geometries already met.
#include <cstddef>
#include <new>

#include "aquifer/ahead_solver.hpp"
#include "aquifer/boundary_elements.hpp"
#include "aquifer/elimination_lanes.hpp"
#include "aquifer/eqsol.hpp"
#include "aquifer/recorded_solve.hpp"

namespace tidmor {

namespace {

void clear_system(Model& m, int n) {
    auto& a_eq = m.EQUATIONS.A_EQ;
    for (int j = 1; j <= n + 1; ++j)
        for (int i = 1; i <= n; ++i) a_eq(i, j) = 0.0;
}

}  // namespace

void full_solve(Model& m, Units& units, RecordedSystem* record) {
    clear_system(m, m.CONFIG_BOUND.N_BND);
    MATRIX(m);
    if (m.WELL.Q_WELL > 0.0) TRANS(m);
    assemble_boundary_system(m);
    EQSOL(m, units, record);
    recover_boundary_values(m);
    add_back_well(m);
}

bool cacheable_system(const Model& m, int n) {
    if (n < 1 || n > MAX_EQUATIONS) return false;
    for (int j = 1; j <= n; ++j) {
        const int code = m.NODE_PROPERTIES.KODE_BND[j];
        if (code != 1 && code != 2 && code != 4) return false;
    }
    return true;
}

void make_key(const Model& m, int n, BoundarySystemKey& key) {
    const auto& nodes = m.NODE_PROPERTIES;
    const auto nn = static_cast<std::size_t>(n);
    key.n = n;
    key.x.assign(nodes.X_BND.v.begin(), nodes.X_BND.v.begin() + static_cast<std::ptrdiff_t>(nn));
    key.z.assign(nodes.Z_BND.v.begin(), nodes.Z_BND.v.begin() + static_cast<std::ptrdiff_t>(nn));
    key.code2.resize(nn);
    for (int j = 1; j <= n; ++j) key.code2[static_cast<std::size_t>(j - 1)] = nodes.KODE_BND[j] == 2 ? 1 : 0;
    key.well = m.WELL.Q_WELL > 0.0;
    key.q_well = key.well ? m.WELL.Q_WELL : 0.0;
    key.x_well = key.well ? m.WELL.X_WELL : 0.0;
    key.z_well = key.well ? m.WELL.Z_WELL : 0.0;
}

void record_geometry(const Model& m, int n, RecordedSystem& record) {
    const auto nn = static_cast<std::size_t>(n);
    for (int j = 1; j <= n; ++j) {
        const Matrix1000& source = m.NODE_PROPERTIES.KODE_BND[j] == 2 ? m.COE_MATRIX.G_COEF : m.COE_MATRIX.H_COEF;
        double* column = record.coef.data() + static_cast<std::size_t>(j - 1) * nn;
        for (int i = 1; i <= n; ++i) column[i - 1] = source(i, j);
        record.phi_well[static_cast<std::size_t>(j - 1)] = m.WELL.PHI_WELL[j];
        record.dphi_well[static_cast<std::size_t>(j - 1)] = m.WELL.DPHI_WELL[j];
    }
}

namespace {

// A geometry met before: TRANS's subtraction of the well from the stored
// well values, the right-hand side of assemble_boundary_system (for each
// row the same sum over j in increasing order, in the lanes of the run's
// instruction set), and the recorded elimination.
void solve_recorded(Model& m, int n, const RecordedSystem& record) {
    auto& nodes = m.NODE_PROPERTIES;
    const auto nn = static_cast<std::size_t>(n);
    if (m.WELL.Q_WELL > 0.0) {
        for (int j = 1; j <= n; ++j) {
            m.WELL.PHI_WELL[j] = record.phi_well[static_cast<std::size_t>(j - 1)];
            nodes.PHI_BND[j] = nodes.PHI_BND[j] - m.WELL.PHI_WELL[j];
            m.WELL.DPHI_WELL[j] = record.dphi_well[static_cast<std::size_t>(j - 1)];
            nodes.Q_BND[j] = nodes.Q_BND[j] - m.WELL.DPHI_WELL[j];
        }
    }
    // A column of a given flux adds G * Q, one of a given head takes H * PHI
    // away: as weights, -Q and PHI.
    double* weight = m.aquifer_solver.rhs_weight.data();
    for (int j = 1; j <= n; ++j)
        weight[j - 1] = nodes.KODE_BND[j] == 2 ? -nodes.Q_BND[j] : nodes.PHI_BND[j];
    double* b = m.aquifer_solver.rhs.data();
    sum_columns(m.aquifer_solver.vector_path, ColumnSum{record.coef.data(), nn, nn, weight, b});
    m.EQUATIONS.N_EQ = n;
    replay_elimination(record, n, b, m.EQUATIONS.X_EQ, m.aquifer_solver.vector_path);
    recover_boundary_values(m);
    add_back_well(m);
}

}  // namespace

void solve_boundary_system(Model& m, Units& units) {
    AquiferSolver& solver = m.aquifer_solver;
    const int n = m.CONFIG_BOUND.N_BND;
    if (!solver.reuse || !cacheable_system(m, n)) {
        ++solver.plain;
        full_solve(m, units, nullptr);
        return;
    }
    // The cache only saves work: memory it cannot get for a geometry means
    // this geometry is solved without it, to the same bits.
    RecordedSystem& record = solver.record;
    AheadSolver* ahead = solver.ahead_solver();
    try {
        make_key(m, n, solver.probe);
        RecordedSystem* found = nullptr;
        if (ahead) {
            ahead->shoreline_met(m.WAVE_CONSI.N_SHORE);
            ahead->collect(solver.cache);
            found = solver.cache.find(solver.probe);
            if (!found && ahead->wait_for(solver.probe)) {
                ahead->collect(solver.cache);
                found = solver.cache.find(solver.probe);
            }
        } else {
            found = solver.cache.find(solver.probe);
        }
        if (found) {
            if (found->solved_ahead) {
                found->solved_ahead = false;
                ++solver.ahead;
            } else {
                ++solver.hits;
            }
            solve_recorded(m, n, *found);
            return;
        }
        record.size_for(n);
        record.key = solver.probe;
    } catch (const std::bad_alloc&) {
        record = RecordedSystem{};
        ++solver.plain;
        full_solve(m, units, nullptr);
        return;
    }
    ++solver.misses;
    full_solve(m, units, &record);
    record_geometry(m, n, record);
    // A record that does not fit the bound, or for whose entry there is no
    // memory, stays here, its storage reused by the next miss.
    if (solver.cache.insert(std::move(record))) record = RecordedSystem{};
}

}  // namespace tidmor
