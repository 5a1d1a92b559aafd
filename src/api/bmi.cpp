#include "api/bmi.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "api/variables.hpp"
#include "input/control_file.hpp"

namespace tidmor {

namespace {

namespace fs = std::filesystem;

int grid_of(Place place) {
    switch (place) {
    case Place::wave_grid:
        return WAVE_GRID;
    case Place::aquifer_boundary:
        return BOUNDARY_GRID;
    case Place::water_table:
        return WATER_TABLE_GRID;
    case Place::scalar:
        break;
    }
    return SCALAR_GRID;
}

Variable named(const std::string& name) {
    const std::optional<Variable> v = find_variable(name);
    if (!v) throw std::invalid_argument("BMI: no variable is named \"" + name + "\"");
    return *v;
}

[[noreturn]] void no_such_grid(int grid) {
    throw std::invalid_argument("BMI: there is no grid " + std::to_string(grid) + " (grids 0 .. 3)");
}

[[noreturn]] void not_on_grid(const char* what, int grid) {
    throw std::invalid_argument(std::string("BMI: grid ") + std::to_string(grid) + " has no " + what);
}

void check_grid(int grid) {
    if (grid < WAVE_GRID || grid > WATER_TABLE_GRID) no_such_grid(grid);
}

// Edges joining node k to node k + 1 (0-based), and the last back to the
// first when the chain is closed.
void chain_edges(int nodes, bool closed, int* edge_nodes) {
    for (int k = 0; k + 1 < nodes; ++k) {
        edge_nodes[2 * k] = k;
        edge_nodes[2 * k + 1] = k + 1;
    }
    if (closed && nodes > 0) {
        edge_nodes[2 * (nodes - 1)] = nodes - 1;
        edge_nodes[2 * (nodes - 1) + 1] = 0;
    }
}

}  // namespace

Simulation& BmiTidmor::simulation() { return running(); }

Simulation& BmiTidmor::running() {
    if (!simulation_) throw std::logic_error("BMI: Initialize has not been called");
    return *simulation_;
}

void BmiTidmor::Initialize(std::string config) {
    if (simulation_) throw std::logic_error("BMI: Initialize has been called already");
    fs::path folder = config.empty() ? fs::path(".") : fs::path(config);
    if (!fs::is_directory(folder)) {
        if (folder.filename() != CONTROL_FILE)
            throw std::invalid_argument("BMI: the configuration \"" + config + "\" is neither a case folder nor its \"" +
                                        CONTROL_FILE + "\"");
        folder = folder.parent_path();
    }
    SimulationOptions options = options_;
    options.write_results = write_results_;
    auto simulation = std::make_unique<Simulation>(folder, options);
    simulation->initialize();
    simulation_ = std::move(simulation);
}

void BmiTidmor::Update() { running().update(); }
void BmiTidmor::UpdateUntil(double time) { running().update_until(time); }
void BmiTidmor::Finalize() { running().finalize(); }

std::string BmiTidmor::GetComponentName() { return "TIDMOR"; }

std::vector<std::string> BmiTidmor::GetInputVarNames() {
    std::vector<std::string> names;
    for (const Variable& v : simulation_variables()) {
        // The flow through the bed is the aquifer's own when it is on.
        if (!v.settable || (v.name == std::string_view("INFIL") && running().aquifer_on())) continue;
        names.emplace_back(v.standard_name);
    }
    return names;
}

std::vector<std::string> BmiTidmor::GetOutputVarNames() {
    std::vector<std::string> names;
    for (const Variable& v : simulation_variables()) names.emplace_back(v.standard_name);
    return names;
}

int BmiTidmor::GetInputItemCount() { return static_cast<int>(GetInputVarNames().size()); }
int BmiTidmor::GetOutputItemCount() { return static_cast<int>(GetOutputVarNames().size()); }

int BmiTidmor::GetVarGrid(std::string name) { return grid_of(named(name).place); }
std::string BmiTidmor::GetVarType(std::string name) { return named(name).integer ? "int" : "double"; }
std::string BmiTidmor::GetVarUnits(std::string name) { return std::string(named(name).units); }
int BmiTidmor::GetVarItemsize(std::string name) {
    return named(name).integer ? static_cast<int>(sizeof(std::int32_t)) : static_cast<int>(sizeof(double));
}
int BmiTidmor::GetVarNbytes(std::string name) { return GetVarItemsize(name) * GetGridSize(GetVarGrid(name)); }
std::string BmiTidmor::GetVarLocation(std::string name) {
    named(name);
    return "node";
}

double BmiTidmor::GetCurrentTime() { return running().time(); }
double BmiTidmor::GetStartTime() {
    running();
    return 0.0;
}
double BmiTidmor::GetEndTime() { return running().end_time(); }
std::string BmiTidmor::GetTimeUnits() { return "s"; }
double BmiTidmor::GetTimeStep() { return running().time_step(); }

void* BmiTidmor::GetValuePtr(std::string name) {
    const Variable v = named(name);
    // The model's arrays are its own, not const: the views are const only
    // to keep callers of Simulation from writing past set_value.
    Model& m = const_cast<Model&>(running().model());
    if (v.integer) return integer_values(m, v).data();
    return real_values(m, v).data();
}

void BmiTidmor::GetValue(std::string name, void* dest) {
    const Variable v = named(name);
    Model& m = const_cast<Model&>(running().model());
    if (v.integer) {
        const auto values = integer_values(m, v);
        std::memcpy(dest, values.data(), values.size_bytes());
    } else {
        const auto values = real_values(m, v);
        std::memcpy(dest, values.data(), values.size_bytes());
    }
}

void BmiTidmor::GetValueAtIndices(std::string name, void* dest, int* inds, int count) {
    const Variable v = named(name);
    Model& m = const_cast<Model&>(running().model());
    const auto take = [&](auto values, auto* out) {
        for (int k = 0; k < count; ++k) {
            if (inds[k] < 0 || static_cast<std::size_t>(inds[k]) >= values.size())
                throw std::invalid_argument("BMI: index " + std::to_string(inds[k]) + " of \"" + name +
                                            "\" is outside 0 .. " + std::to_string(values.size()) + " - 1");
            out[k] = values[static_cast<std::size_t>(inds[k])];
        }
    };
    if (v.integer)
        take(integer_values(m, v), static_cast<std::int32_t*>(dest));
    else
        take(real_values(m, v), static_cast<double*>(dest));
}

void BmiTidmor::SetValue(std::string name, void* src) {
    Simulation& sim = running();
    const auto* values = static_cast<const double*>(src);
    sim.set_value(name, std::span<const double>(values, static_cast<std::size_t>(sim.grid_nodes())));
}

void BmiTidmor::SetValueAtIndices(std::string name, int* inds, int count, void* src) {
    Simulation& sim = running();
    const std::span<const double> now = sim.value(name);
    std::vector<double> values(now.begin(), now.end());
    const auto* given = static_cast<const double*>(src);
    for (int k = 0; k < count; ++k) {
        if (inds[k] < 0 || static_cast<std::size_t>(inds[k]) >= values.size())
            throw std::invalid_argument("BMI: index " + std::to_string(inds[k]) + " of \"" + name +
                                        "\" is outside 0 .. " + std::to_string(values.size()) + " - 1");
        values[static_cast<std::size_t>(inds[k])] = given[k];
    }
    sim.set_value(name, values);
}

int BmiTidmor::GetGridRank(const int grid) {
    check_grid(grid);
    switch (grid) {
    case WAVE_GRID:
        return 1;
    case SCALAR_GRID:
        return 0;
    default:
        return 2;
    }
}

int BmiTidmor::GetGridSize(const int grid) {
    check_grid(grid);
    const Simulation& sim = running();
    switch (grid) {
    case WAVE_GRID:
        return sim.grid_nodes();
    case BOUNDARY_GRID:
        return sim.boundary_nodes();
    case WATER_TABLE_GRID:
        return sim.water_table_nodes();
    default:
        return 1;
    }
}

std::string BmiTidmor::GetGridType(const int grid) {
    check_grid(grid);
    switch (grid) {
    case WAVE_GRID:
        return "uniform_rectilinear";
    case SCALAR_GRID:
        return "scalar";
    default:
        return "unstructured";
    }
}

void BmiTidmor::GetGridShape(const int grid, int* shape) {
    check_grid(grid);
    if (grid != WAVE_GRID) not_on_grid("shape (it is not a structured grid)", grid);
    shape[0] = running().grid_nodes();
}

void BmiTidmor::GetGridSpacing(const int grid, double* spacing) {
    check_grid(grid);
    if (grid != WAVE_GRID) not_on_grid("spacing (it is not a uniform grid)", grid);
    spacing[0] = running().grid_spacing();
}

void BmiTidmor::GetGridOrigin(const int grid, double* origin) {
    check_grid(grid);
    if (grid != WAVE_GRID) not_on_grid("origin (it is not a uniform grid)", grid);
    running();
    origin[0] = 0.0;  // node 1 is at x = 0
}

void BmiTidmor::GetGridX(const int grid, double* x) {
    check_grid(grid);
    Simulation& sim = running();
    std::span<const double> values;
    switch (grid) {
    case WAVE_GRID:
        values = sim.x();
        break;
    case BOUNDARY_GRID:
        values = sim.boundary_x();
        break;
    case WATER_TABLE_GRID:
        values = sim.boundary_x().subspan(std::min<std::size_t>(static_cast<std::size_t>(sim.face_nodes()),
                                                                sim.boundary_x().size()),
                                          static_cast<std::size_t>(GetGridSize(grid)));
        break;
    default:
        not_on_grid("x coordinate", grid);
    }
    std::copy(values.begin(), values.end(), x);
}

void BmiTidmor::GetGridY(const int grid, double* y) {
    check_grid(grid);
    Simulation& sim = running();
    std::span<const double> values;
    switch (grid) {
    case BOUNDARY_GRID:
        values = sim.boundary_z();
        break;
    case WATER_TABLE_GRID:
        values = sim.value("WATER_TABLE");
        break;
    default:
        not_on_grid("second coordinate", grid);
    }
    std::copy(values.begin(), values.end(), y);
}

void BmiTidmor::GetGridZ(const int grid, double*) {
    check_grid(grid);
    not_on_grid("third coordinate (the model is a vertical cross-shore section)", grid);
}

int BmiTidmor::GetGridNodeCount(const int grid) { return GetGridSize(grid); }

int BmiTidmor::GetGridEdgeCount(const int grid) {
    const int nodes = GetGridSize(grid);
    switch (grid) {
    case BOUNDARY_GRID:
        return nodes >= 3 ? nodes : 0;
    case SCALAR_GRID:
        return 0;
    default:
        return std::max(nodes - 1, 0);
    }
}

// The aquifer is the one face of its boundary; the other grids have none.
int BmiTidmor::GetGridFaceCount(const int grid) {
    check_grid(grid);
    return grid == BOUNDARY_GRID && GetGridEdgeCount(grid) > 0 ? 1 : 0;
}

void BmiTidmor::GetGridEdgeNodes(const int grid, int* edge_nodes) {
    const int edges = GetGridEdgeCount(grid);
    if (edges == 0) return;
    chain_edges(GetGridSize(grid), grid == BOUNDARY_GRID, edge_nodes);
}

void BmiTidmor::GetGridFaceEdges(const int grid, int* face_edges) {
    const int faces = GetGridFaceCount(grid);
    for (int k = 0; faces > 0 && k < GetGridEdgeCount(grid); ++k) face_edges[k] = k;
}

void BmiTidmor::GetGridFaceNodes(const int grid, int* face_nodes) {
    const int faces = GetGridFaceCount(grid);
    for (int k = 0; faces > 0 && k < GetGridSize(grid); ++k) face_nodes[k] = k;
}

void BmiTidmor::GetGridNodesPerFace(const int grid, int* nodes_per_face) {
    if (GetGridFaceCount(grid) > 0) nodes_per_face[0] = GetGridSize(grid);
}

}  // namespace tidmor
