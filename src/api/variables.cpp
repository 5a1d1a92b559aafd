#include "api/variables.hpp"

#include <algorithm>
#include <array>

namespace tidmor {

namespace {

// Names and texts as character arrays, not pointers, so that the table is
// read-only data the loader need not relocate.
struct Row {
    char name[12];
    char standard_name[56];
    char units[8];
    Place place;
    bool integer;
    bool settable;
    char meaning[96];
};

constexpr Row ROWS[] = {
    {"X_NODE", "tidmor__node_x", "m", Place::wave_grid, false, false,
     "cross-shore position of the grid node"},
    {"Z_BED", "land_surface__elevation", "m", Place::wave_grid, false, true,
     "bed elevation above the bed at the seaward end"},
    {"H_DIM", "sea_water__depth", "m", Place::wave_grid, false, false,
     "water depth (wet nodes 1 .. N_SHORE; landward, the last wet value)"},
    {"U_DIM", "sea_water_flow__x_component_of_velocity", "m s-1", Place::wave_grid, false, false,
     "depth-averaged velocity, positive landward"},
    {"INFIL", "tidmor__bed_outflow_volume_flux", "m s-1", Place::wave_grid, false, true,
     "flow through the bed, positive out of it (settable with the aquifer off)"},
    {"DZ_BED", "tidmor__bed_change_of_last_profile_update", "m", Place::wave_grid, false, false,
     "bed change of the last profile update"},
    {"X_BND", "tidmor__aquifer_boundary_node_x", "m", Place::aquifer_boundary, false, false,
     "cross-shore position of the aquifer boundary node"},
    {"Z_BND", "tidmor__aquifer_boundary_node_elevation", "m", Place::aquifer_boundary, false, false,
     "elevation of the aquifer boundary node"},
    {"PHI_BND", "tidmor__aquifer_boundary_hydraulic_head", "m", Place::aquifer_boundary, false, false,
     "piezometric head at the aquifer boundary node"},
    {"Q_BND", "tidmor__aquifer_boundary_normal_head_gradient", "1", Place::aquifer_boundary, false, false,
     "derivative of the head along the outward normal"},
    {"KODE_BND", "tidmor__aquifer_boundary_condition_code", "1", Place::aquifer_boundary, true, false,
     "boundary-condition code of the node (1 .. 4)"},
    {"WATER_TABLE", "soil_water_sat-zone_top_surface__elevation", "m", Place::water_table, false, false,
     "elevation of the water table (Z_BND of the water-table nodes)"},
    {"N_SHORE", "tidmor__shoreline_node", "1", Place::scalar, true, false,
     "last wet node of the wave grid"},
    {"X_UP", "tidmor__swash_run-up_limit_x", "m", Place::scalar, false, false,
     "run-up limit of the last wave period"},
    {"X_DOWN", "tidmor__swash_run-down_limit_x", "m", Place::scalar, false, false,
     "run-down limit of the last wave period"},
    {"SLOPE_SWASH", "tidmor__swash_zone_mean_bed_slope", "1", Place::scalar, false, false,
     "mean bed slope over the last wave period's swash zone"},
};

Variable variable(const Row& row) {
    return {row.name, row.standard_name, row.units, row.place, row.integer, row.settable, row.meaning};
}

template <typename T, int N>
std::span<T> from_node_1(Array1<T, N>& a, int count) {
    return {a.v.data(), static_cast<std::size_t>(std::clamp(count, 0, N))};
}

}  // namespace

std::vector<Variable> simulation_variables() {
    std::vector<Variable> all;
    for (const Row& row : ROWS) all.push_back(variable(row));
    return all;
}

std::optional<Variable> find_variable(std::string_view name) {
    for (const Row& row : ROWS)
        if (name == row.name || name == row.standard_name) return variable(row);
    return std::nullopt;
}

std::span<double> real_values(Model& m, const Variable& v) {
    const int n_grid = m.SED_INT.N_GRID;
    const int n_bnd = m.CONFIG_BOUND.N_BND;
    const std::string_view name = v.name;
    if (name == "X_NODE") return from_node_1(m.CROSS_DIS.X_NODE, n_grid);
    if (name == "Z_BED") return from_node_1(m.BEACH_PROFILE.Z_BED, n_grid);
    if (name == "H_DIM") return from_node_1(m.WAVE.H_DIM, n_grid);
    if (name == "U_DIM") return from_node_1(m.WAVE.U_DIM, n_grid);
    if (name == "INFIL") return from_node_1(m.INFILTRATION.INFIL, n_grid);
    if (name == "DZ_BED") return from_node_1(m.BEACH_PROFILE.DZ_BED, n_grid);
    if (name == "X_BND") return from_node_1(m.NODE_PROPERTIES.X_BND, n_bnd);
    if (name == "Z_BND") return from_node_1(m.NODE_PROPERTIES.Z_BND, n_bnd);
    if (name == "PHI_BND") return from_node_1(m.NODE_PROPERTIES.PHI_BND, n_bnd);
    if (name == "Q_BND") return from_node_1(m.NODE_PROPERTIES.Q_BND, n_bnd);
    if (name == "WATER_TABLE") {
        const int first = std::clamp(m.CONFIG_BOUND.N_FACE, 0, BOUNDARY_NODES);
        const int count = std::clamp(m.CONFIG_BOUND.N_FREE, 0, BOUNDARY_NODES - first);
        return {m.NODE_PROPERTIES.Z_BND.v.data() + first, static_cast<std::size_t>(count)};
    }
    if (name == "X_UP") return {&m.RUNUP.X_UP, 1};
    if (name == "X_DOWN") return {&m.RUNUP.X_DOWN, 1};
    if (name == "SLOPE_SWASH") return {&m.RUNUP.SLOPE_SWASH, 1};
    return {};
}

std::span<std::int32_t> integer_values(Model& m, const Variable& v) {
    if (v.name == std::string_view("KODE_BND")) return from_node_1(m.NODE_PROPERTIES.KODE_BND, m.CONFIG_BOUND.N_BND);
    if (v.name == std::string_view("N_SHORE")) return {&m.WAVE_CONSI.N_SHORE, 1};
    return {};
}

}  // namespace tidmor
