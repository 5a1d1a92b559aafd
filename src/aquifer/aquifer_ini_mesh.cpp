#include "aquifer/aquifer_ini_mesh.hpp"

#include <cmath>
#include <cstdint>
#include <memory>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer/well_clearance.hpp"
#include "common/constants.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

namespace {

// Truncation toward zero of a count quotient, when the result fits.
bool truncate_count(double quotient, const char* what, int& count, std::string& problem) {
    if (!(quotient > -2147483649.0 && quotient < 2147483648.0)) {
        problem = std::string("aquifer mesh: ") + what + " = " + value_text(quotient) + " does not fit an integer count";
        return false;
    }
    count = static_cast<int>(quotient);
    return true;
}

}  // namespace

std::string aquifer_mesh_layout(const Model& m, AquiferMeshLayout& layout) {
    const double l = m.L_ELEMENT.L_ELEM;
    const double d_sea = m.WAVE_CONSD.D_SEA;
    const double tan_beta = m.CONSTS.TAN_BETA;
    const double h_land = m.CONSTS.H_LAND;
    const double x_land = m.CONSTS.X_LAND;
    if (!(l > NODE_REMOVAL_DISTANCE))
        return "aquifer mesh: L_ELEM = " + value_text(l) +
               " m is not above 0.1 m, the distance at which face nodes are merged";

    // The beach face below the still water needs one element at least: a
    // longer one would put the first face nodes beyond the shoreline, or
    // beyond the landward side.
    const double xs = d_sea / tan_beta;
    if (l > xs)
        return "aquifer mesh: L_ELEM = " + value_text(l) +
               " m is longer than the submerged beach face, D_SEA/TAN_BETA = " + value_text(xs) +
               " m; L_ELEM must lie above 0.1 m and at most " + value_text(xs) + " m";

    // The landward side runs from the water table down to the bottom, and
    // the decay length of the shoreline lift needs H_LAND + D_SEA > 0.
    if (!(h_land > 0.0))
        return "aquifer mesh: H_LAND = " + value_text(h_land) +
               " m: the landward water table must stand above the aquifer bottom (H_LAND > 0)";

    AquiferMeshLayout out;
    std::string problem;
    out.seepage_face = h_land > d_sea;
    const double x_water_table = out.seepage_face ? h_land / tan_beta : xs;
    if (!truncate_count(xs / l + 1.0, "D_SEA/TAN_BETA/L_ELEM + 1 (submerged face nodes)", out.NA, problem) ||
        !truncate_count(x_land / (2.0 * l) - 1.0, "X_LAND/(2 L_ELEM) - 1 (bottom nodes)", out.NB, problem) ||
        !truncate_count(h_land / l + 1.0, "H_LAND/L_ELEM + 1 (landward nodes)", out.NL, problem) ||
        !truncate_count((x_land - x_water_table) / (2.0 * l) - 1.0,
                        "(X_LAND - x of the water table's seaward end)/(2 L_ELEM) - 1 (water-table nodes)", out.NF,
                        problem))
        return problem;
    out.DZ = l;
    if (out.NL < 3) {
        out.NL = 3;
        out.DZ = h_land / 2.0;
    }

    if (out.NA < 1)
        return "aquifer mesh: " + std::to_string(out.NA) + " submerged face nodes from D_SEA = " + value_text(d_sea) +
               ", TAN_BETA = " + value_text(tan_beta) + " (at least one is needed)";
    if (out.NF < 0)
        return "aquifer mesh: " + std::to_string(out.NF) + " water-table nodes: X_LAND = " + value_text(x_land) +
               " m is too close to the water table's end on the face (" + value_text(x_water_table) + " m)";
    if (out.NB < 0)
        return "aquifer mesh: " + std::to_string(out.NB) + " bottom nodes: X_LAND = " + value_text(x_land) +
               " m is shorter than two elements of 2 L_ELEM";

    const int extra = out.seepage_face ? 2 : 0;
    const std::int64_t n_bnd = std::int64_t{out.NA} + out.NF + out.NL + out.NB + extra;
    if (n_bnd > MAX_EQUATIONS)
        return "aquifer mesh: " + std::to_string(n_bnd) + " boundary nodes exceed the " +
               std::to_string(MAX_EQUATIONS) + " the aquifer system holds (L_ELEM = " + value_text(l) +
               ", X_LAND = " + value_text(x_land) + ")";
    out.N_BND = static_cast<int>(n_bnd);
    out.N_FACE = out.NA + extra;
    out.N_FREE = out.NF;
    layout = out;
    return "";
}

void generate_aquifer_mesh(const Model& m, const AquiferMeshLayout& layout, blocks::NODE_PROPERTIES& nodes,
                           blocks::CONFIG_BOUND& counts) {
    const double l = m.L_ELEMENT.L_ELEM;
    const double d_sea = m.WAVE_CONSD.D_SEA;
    const double tan_beta = m.CONSTS.TAN_BETA;
    const double h_land = m.CONSTS.H_LAND;
    const double x_land = m.CONSTS.X_LAND;
    const int na = layout.NA, nf = layout.NF, nl = layout.NL, nb = layout.NB;
    const auto set = [&nodes](int j, int code, double x, double z, double phi) {
        nodes.KODE_BND[j] = code;
        nodes.X_BND[j] = x;
        nodes.Z_BND[j] = z;
        nodes.PHI_BND[j] = phi;
        nodes.Q_BND[j] = 0.0;
    };

    for (int j = 1; j <= na; ++j) {
        const double x = (j - 1) * l;
        set(j, 1, x, tan_beta * x, d_sea);
    }
    int j = na;
    if (layout.seepage_face) {
        const double xc = h_land / tan_beta;
        ++j;
        const double x_seep = (j - 2) * l + SEEPAGE_OFFSET * l;
        const double z_seep = tan_beta * x_seep;
        set(j, 4, x_seep, z_seep, z_seep);
        ++j;
        const double z_exit = tan_beta * xc;
        set(j, 2, xc, z_exit, z_exit);
        for (int k = 1; k <= nf; ++k) set(j + k, 3, xc + 2 * k * l, h_land, h_land);
    } else {
        const double x_last = nodes.X_BND[na];
        for (int k = 1; k <= nf; ++k) {
            const double z = d_sea - k * (d_sea - h_land) / (nf + 1);
            set(j + k, 3, x_last + 2 * k * l, z, z);
        }
    }
    j += nf;
    for (int k = 1; k <= nl; ++k) set(j + k, 1, x_land, k == 1 ? h_land : (nl - k) * layout.DZ, h_land);
    j += nl;
    for (int k = 1; k <= nb; ++k) set(j + k, 2, x_land - 2 * k * l, 0.0, h_land);

    counts.N_BND = layout.N_BND;
    counts.N_FACE = layout.N_FACE;
    counts.N_FREE = layout.N_FREE;
}

std::string check_aquifer_mesh(const Model& m, const std::string& input_file) {
    AquiferMeshLayout layout;
    const std::string problem = aquifer_mesh_layout(m, layout);
    if (!problem.empty()) reject_input(problem, input_file);
    const double l = m.L_ELEMENT.L_ELEM;
    std::string warning;
    if (m.WELL.Q_WELL > 0.0) {
        // The generated mesh is the boundary the relaxation starts from.
        const auto generated = std::make_unique<blocks::NODE_PROPERTIES>();
        blocks::NODE_PROPERTIES& nodes = *generated;
        blocks::CONFIG_BOUND counts;
        generate_aquifer_mesh(m, layout, nodes, counts);
        const WellClearance well = well_clearance(nodes, counts, m.WELL.X_WELL, m.WELL.Z_WELL);
        const std::string refusal = well_refusal(m, nodes, counts, well);
        if (!refusal.empty()) reject_input(refusal, input_file);
        warning = well_warning(m, nodes, counts, well);
    }
    // Without a seepage face the reference beach face ends at the last
    // submerged node, (NA - 1) L_ELEM, seaward of the still-water shoreline,
    // and the first aquifer step already sees the initial shoreline beyond
    // it. The face is then re-meshed every 2 L_ELEM from x = 0, which needs
    // the shoreline at least 2 L_ELEM out.
    const int n_shore = m.WAVE_CONSI.N_SHORE;
    if (!layout.seepage_face && n_shore >= 1 && n_shore <= GRID_NODES) {
        const double x_face = (layout.NA - 1) * l;
        const double x_shore = m.CROSS_DIS.X_NODE[n_shore];
        if (x_shore > x_face && x_shore < EXTENDED_FACE_SPACING * l)
            reject_input("aquifer mesh: the initial shoreline at x = " + value_text(x_shore) +
                             " m lies beyond the aquifer's beach face (x = " + value_text(x_face) +
                             " m) but closer than 2 L_ELEM = " + value_text(EXTENDED_FACE_SPACING * l) +
                             " m to x = 0, so the re-meshed face would have no node between; make L_ELEM at most " +
                             value_text(x_shore / EXTENDED_FACE_SPACING) + " m",
                         input_file);
    }
    return warning;
}

}  // namespace tidmor
