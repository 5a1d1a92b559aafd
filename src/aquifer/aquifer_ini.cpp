#include "aquifer/aquifer_ini.hpp"

#include <cmath>
#include <string>

#include "aquifer/aquifer_geometry_check.hpp"
#include "aquifer/aquifer_ini_mesh.hpp"
#include "aquifer/aquifer_state_check.hpp"
#include "aquifer/boundary_elements.hpp"
#include "aquifer/eqsol.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"
#include "common/stop_request.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "common/units.hpp"
#include "output/output.hpp"

namespace tidmor {

namespace {

void clear_system(Model& m, int n) {
    for (int c = 1; c <= n + 1; ++c)
        for (int i = 1; i <= n; ++i) m.EQUATIONS.A_EQ(i, c) = 0.0;
}

// One pseudo-time step of the water table: solve the boundary system and
// let each water-table node slide along its ray to its new head.
void solve_and_move(Model& m, Units& units) {
    const int n = m.CONFIG_BOUND.N_BND;
    clear_system(m, n);
    MATRIX(m);
    ANGLE(m);
    if (m.WELL.Q_WELL > 0.0) TRANS(m);
    assemble_boundary_system(m);
    EQSOL(m, units);
    recover_boundary_values(m);
    add_back_well(m);
    auto& nodes = m.NODE_PROPERTIES;
    for (int j = 1; j <= n; ++j) {
        if (nodes.KODE_BND[j] != 3) continue;
        nodes.X_BND[j] = nodes.X_BND[j] - cr_tan(m.FREE_SURFACE.ANG_MOVE[j]) * (nodes.Z_BND[j] - nodes.PHI_BND[j]);
        nodes.Z_BND[j] = nodes.PHI_BND[j];
    }
}

// The exit point stays on the beach face at the height of its head.
void place_exit_point(Model& m) {
    auto& nodes = m.NODE_PROPERTIES;
    const int nf = m.CONFIG_BOUND.N_FACE;
    if (nodes.KODE_BND[nf] != 2) return;
    nodes.Z_BND[nf] = nodes.PHI_BND[nf];
    nodes.X_BND[nf] = nodes.PHI_BND[nf] / m.CONSTS.TAN_BETA;
}

// An exit point within 0.1 m of its seaward neighbour absorbs a seepage node,
// or is itself absorbed by a submerged node. At most one node per sweep.
void remove_close_face_node(Model& m, int sweep) {
    auto& nodes = m.NODE_PROPERTIES;
    auto& counts = m.CONFIG_BOUND;
    const int nf = counts.N_FACE;
    if (nf < 2)
        numerical_failure("aquifer initialisation: " + std::to_string(nf) + " beach-face node in sweep " +
                          std::to_string(sweep) + "; the face needs two");
    if (!(nodes.X_BND[nf] - nodes.X_BND[nf - 1] < NODE_REMOVAL_DISTANCE)) return;
    if (nf - 1 < 2)
        numerical_failure("aquifer initialisation: removing a node within 0.1 m of the exit point in sweep " +
                          std::to_string(sweep) + " would leave one beach-face node");
    const int r = nodes.KODE_BND[nf - 1] == 1 ? nf : nf - 1;
    for (int j = r; j < counts.N_BND; ++j) {
        nodes.X_BND[j] = nodes.X_BND[j + 1];
        nodes.Z_BND[j] = nodes.Z_BND[j + 1];
        nodes.PHI_BND[j] = nodes.PHI_BND[j + 1];
        nodes.Q_BND[j] = nodes.Q_BND[j + 1];
        nodes.KODE_BND[j] = nodes.KODE_BND[j + 1];
    }
    counts.N_BND = counts.N_BND - 1;
    counts.N_FACE = counts.N_FACE - 1;
}

// Mean vertical movement of the water-table nodes, each node compared with
// the saved elevation of the node that had its number at the start of the
// sweep (index-wise, also after a removal), accumulated term by term.
double water_table_movement(const Model& m) {
    const int first = m.CONFIG_BOUND.N_FACE + 1;
    const int last = m.CONFIG_BOUND.N_FACE + m.CONFIG_BOUND.N_FREE;
    double movement = 0.0;
    for (int j = first; j <= last; ++j)
        movement = movement + std::fabs(m.NODE_PROPERTIES.Z_BND[j] - m.work.Z_SAVE[j]) / m.CONFIG_BOUND.N_FREE;
    return movement;
}

void stop_if_diverging(const Model& m, int sweep, double movement, double smallest) {
    const double size = std::fmax(m.CONSTS.X_LAND, m.CONSTS.H_LAND);
    if (!relaxation_diverges(movement, smallest, size)) return;
    const bool beyond_size = movement > size;
    const std::string what =
        beyond_size ? "more than the aquifer's size of " + value_text(size) + " m"
                    : "more than " + value_text(RELAXATION_GROWTH_LIMIT) + " times its smallest earlier movement of " +
                          value_text(smallest) + " m";
    numerical_failure("aquifer initialisation does not settle: in sweep " + std::to_string(sweep) +
                      " the water table moved " + value_text(movement) + " m, " + what + "; likely cause: " +
                      well_or_conductivity_hint(m));
}

void relax_water_table(Model& m, Units& units) {
    double move_first = 0.0;
    double smallest = 0.0;
    for (int sweep = 1;; ++sweep) {
        if (pending_interrupt() != 0)
            stop_interrupted("during the aquifer initialisation (sweep " + std::to_string(sweep) +
                             ", before model time 0); the result files hold every line written until then");
        if (sweep > MAX_SWEEPS)
            numerical_failure("aquifer initialisation: the water table has not come to rest after " +
                              std::to_string(MAX_SWEEPS) + " sweeps");
        if (m.CONFIG_BOUND.N_BND > MAX_EQUATIONS)
            numerical_failure("aquifer initialisation: " + std::to_string(m.CONFIG_BOUND.N_BND) +
                              " boundary nodes exceed the " + std::to_string(MAX_EQUATIONS) +
                              " the aquifer system holds");
        for (int j = 1; j <= m.CONFIG_BOUND.N_BND; ++j) m.work.Z_SAVE[j] = m.NODE_PROPERTIES.Z_BND[j];
        solve_and_move(m, units);
        place_exit_point(m);
        remove_close_face_node(m, sweep);
        if (!aquifer_breakdown(m).empty())
            check_aquifer_state(m, "aquifer initialisation, sweep " + std::to_string(sweep));
        if (const std::string fault = aquifer_geometry_fault(m, true, AQUIFER_INI_WIDTH); !fault.empty())
            geometry_failure(fault, "aquifer initialisation, sweep " + std::to_string(sweep));

        const double movement = water_table_movement(m);
        if (!std::isfinite(movement))
            numerical_failure("aquifer initialisation: the water-table movement of sweep " + std::to_string(sweep) +
                              " is not finite");
        if (units.relaxation_observer) units.relaxation_observer->relaxation_sweep(sweep, movement);
        if (move_first == 0.0) move_first = movement;
        const double move_ratio = move_first == 0.0 ? 0.0 : movement / move_first;
        write_console(*units.console, format_double(move_ratio));
        if (movement <= SWEEP_REST_MOVEMENT) return;
        if (!(move_ratio > SWEEP_CONVERGENCE)) return;
        stop_if_diverging(m, sweep, movement, smallest);
        if (smallest == 0.0 || movement < smallest) smallest = movement;
    }
}

// The reference every aquifer time step rebuilds from: the converged water
// table and the exit point become head-given nodes.
void store_reference_mesh(Model& m) {
    const auto& nodes = m.NODE_PROPERTIES;
    auto& ref = m.FINAL_INI;
    m.FINAL_INIC.N_BND0 = m.CONFIG_BOUND.N_BND;
    m.FINAL_INIC.N_FACE0 = m.CONFIG_BOUND.N_FACE;
    m.FINAL_INIC.N_FREE0 = m.CONFIG_BOUND.N_FREE;
    for (int j = 1; j <= m.CONFIG_BOUND.N_BND; ++j) {
        ref.X_BND0[j] = nodes.X_BND[j];
        ref.Z_BND0[j] = nodes.Z_BND[j];
        ref.PHI_BND0[j] = nodes.PHI_BND[j];
        ref.Q_BND0[j] = nodes.Q_BND[j];
        ref.KODE_BND0[j] = nodes.KODE_BND[j] == 3 ? 1 : nodes.KODE_BND[j];
    }
    ref.KODE_BND0[m.FINAL_INIC.N_FACE0] = 1;
}

}  // namespace

bool relaxation_diverges(double movement, double smallest, double size) {
    return movement > size || (smallest > 0.0 && movement > RELAXATION_GROWTH_LIMIT * smallest);
}

void AQUIFER_INI(Model& m, Units& units) {
    AquiferMeshLayout layout;
    const std::string problem = aquifer_mesh_layout(m, layout);
    if (!problem.empty()) throw RunFailure(EXIT_INPUT_OR_FILE, "rejected input: " + problem);
    m.TI_ME.DT_AQ = DT_RELAXATION;
    generate_aquifer_mesh(m, layout, m.NODE_PROPERTIES, m.CONFIG_BOUND);
    OUTPUT_INI(m, units);
    relax_water_table(m, units);
    store_reference_mesh(m);
}

}  // namespace tidmor
