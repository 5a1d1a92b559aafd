// tidmor.BmiTidmor: the Basic Model Interface 2.0 with the Python names and
// conventions of the BMI's Python binding (snake_case; results are written
// into NumPy arrays the caller gives, and returned).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "api/bmi.hpp"
#include "arrays.hpp"
#include "held_model.hpp"
#include "module_parts.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace tidmor::python {

namespace {

class PyBmi : public HeldModel {
public:
    PyBmi(bool write_results, bool console_kept, int threads, bool reuse, std::size_t cache_bytes) {
        SimulationOptions options;
        options.write_results = write_results;
        options.console = console_kept ? &console : nullptr;
        options.errors = &errors;
        options.threads = threads;
        options.reuse = reuse;
        options.cache_bytes = cache_bytes;
        bmi = std::make_unique<BmiTidmor>(options);
    }
    std::unique_ptr<BmiTidmor> bmi;
};

// A BMI call with the lock and the GIL held.
template <typename Call>
auto call(PyBmi& b, Call f) {
    return with_gil(b, [&] { return f(*b.bmi); });
}

bool integer_variable(BmiTidmor& bmi, const std::string& name) { return bmi.GetVarType(name) == "int"; }

// A grid function of the C++ binding that writes `count(bmi, grid)` values:
// written into scratch memory first (an error leaves `dest` as it was),
// then copied into the array given, which is returned.
template <typename T>
void def_grid_array(py::class_<PyBmi>& cls, const char* name, const char* what, void (BmiTidmor::*get)(int, T*),
                    std::size_t (*count)(BmiTidmor&, int), const char* doc) {
    cls.def(
        name,
        [get, count, what](PyBmi& b, int grid, const py::handle& dest) {
            call(b, [&](BmiTidmor& bmi) {
                const std::size_t n = count(bmi, grid);
                std::vector<T> scratch(std::max<std::size_t>(n, 2));
                (bmi.*get)(grid, scratch.data());
                std::copy_n(scratch.begin(), n, destination<T>(dest, n, what));
                return 0;
            });
            return dest;
        },
        "grid"_a, py::arg(what), doc);
}

py::tuple names_of(const std::vector<std::string>& names) { return py::tuple(py::cast(names)); }

}  // namespace

void add_bmi(py::module_& m) {
    py::class_<PyBmi> cls(m, "BmiTidmor", R"(The model behind the Basic Model Interface 2.0.

BmiTidmor(write_results=True, console=True, threads=0, reuse=True, cache_bytes=...) then initialize(config) with
a case folder or its "SIM.FILE"; with write_results the case's result files are written there as the program
writes them. Grids: 0 the wave grid (uniform_rectilinear, N_GRID nodes, spacing DX), 1 the aquifer boundary
(unstructured, N_BND nodes: ask get_grid_size after every step), 2 scalars, 3 the water table (unstructured,
N_FREE nodes). Time in s. Indices count from 0. get_value, get_grid_x and the like fill the NumPy array given
(float64 or int32, as get_var_type says, with room for the values) and return it; get_value_ptr returns a
read-only view into the model's array that sees every later step; set the inputs with set_value. update and
update_until release the GIL. Failures of the model raise RunFailure.)");
    cls.def(py::init([](bool write_results, bool console, int threads, bool reuse, std::size_t cache_bytes) {
                if (threads < 0) throw py::value_error("threads = " + std::to_string(threads) + ": give 0 or more");
                return std::make_unique<PyBmi>(write_results, console, threads, reuse, cache_bytes);
            }),
            py::kw_only(), "write_results"_a = true, "console"_a = true, "threads"_a = 0, "reuse"_a = true,
            "cache_bytes"_a = SimulationOptions().cache_bytes);

    // Model control.
    cls.def(
        "initialize",
        [](PyBmi& b, const std::filesystem::path& config) {
            without_gil(b, [&] { b.bmi->Initialize(config.string()); });
        },
        "config_file"_a, "Reads the case (a case folder or its \"SIM.FILE\") and starts the model.");
    cls.def("update", [](PyBmi& b) { without_gil(b, [&] { b.bmi->Update(); }); }, "One time step.");
    cls.def(
        "update_until",
        [](PyBmi& b, double time) {
            Simulation& sim = without_gil(b, [&]() -> Simulation& { return b.bmi->simulation(); });
            steps_until(b, sim, time);
        },
        "time"_a, "Whole steps while the model time is below `time` (s): the last usually ends a little after it.");
    cls.def("finalize", [](PyBmi& b) { without_gil(b, [&] { b.bmi->Finalize(); }); }, "Closes the result files.");
    cls.def_property_readonly(
        "console", [](PyBmi& b) { return python_text(with_gil(b, [&] { return b.console.str(); })); },
        "The console lines written so far (empty with console=False).");

    // Model information.
    cls.def("get_component_name", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetComponentName(); }); });
    cls.def("get_input_item_count",
            [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetInputItemCount(); }); });
    cls.def("get_output_item_count",
            [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetOutputItemCount(); }); });
    cls.def("get_input_var_names",
            [](PyBmi& b) { return names_of(call(b, [](BmiTidmor& bmi) { return bmi.GetInputVarNames(); })); });
    cls.def("get_output_var_names",
            [](PyBmi& b) { return names_of(call(b, [](BmiTidmor& bmi) { return bmi.GetOutputVarNames(); })); });

    // Variable information.
    cls.def("get_var_grid", [](PyBmi& b, const std::string& name) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetVarGrid(name); });
    }, "name"_a);
    cls.def("get_var_type", [](PyBmi& b, const std::string& name) {
        // NumPy's names: the C++ binding's "int" is 32 bits, which np.dtype("int") is not.
        return call(b, [&](BmiTidmor& bmi) { return std::string(integer_variable(bmi, name) ? "int32" : "float64"); });
    }, "name"_a, "\"float64\" or \"int32\", names np.dtype takes.");
    cls.def("get_var_units", [](PyBmi& b, const std::string& name) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetVarUnits(name); });
    }, "name"_a);
    cls.def("get_var_itemsize", [](PyBmi& b, const std::string& name) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetVarItemsize(name); });
    }, "name"_a);
    cls.def("get_var_nbytes", [](PyBmi& b, const std::string& name) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetVarNbytes(name); });
    }, "name"_a);
    cls.def("get_var_location", [](PyBmi& b, const std::string& name) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetVarLocation(name); });
    }, "name"_a);

    // Time.
    cls.def("get_current_time", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetCurrentTime(); }); });
    cls.def("get_start_time", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetStartTime(); }); });
    cls.def("get_end_time", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetEndTime(); }); });
    cls.def("get_time_units", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetTimeUnits(); }); });
    cls.def("get_time_step", [](PyBmi& b) { return call(b, [](BmiTidmor& bmi) { return bmi.GetTimeStep(); }); });

    // Getters and setters.
    cls.def(
        "get_value",
        [](PyBmi& b, const std::string& name, const py::handle& dest) {
            call(b, [&](BmiTidmor& bmi) {
                const Simulation& sim = bmi.simulation();
                if (integer_variable(bmi, name))
                    bmi.GetValue(name, destination<int>(dest, sim.integer_value(name).size(), "dest"));
                else
                    bmi.GetValue(name, destination<double>(dest, sim.value(name).size(), "dest"));
                return 0;
            });
            return dest;
        },
        "name"_a, "dest"_a, "Copies the variable's values of the moment into `dest` and returns it.");
    cls.def(
        "get_value_ptr",
        [](const py::object& self, const std::string& name) {
            PyBmi& b = self.cast<PyBmi&>();
            return call(b, [&](BmiTidmor& bmi) -> py::array {
                const Simulation& sim = bmi.simulation();
                if (integer_variable(bmi, name)) return read_only_view(sim.integer_value(name), self);
                return read_only_view(sim.value(name), self);
            });
        },
        "name"_a,
        "A read-only view into the model's array, from node 1, as long as the moment's count; it sees every "
        "later step and keeps the model alive. Set inputs with set_value.");
    cls.def(
        "get_value_at_indices",
        [](PyBmi& b, const std::string& name, const py::handle& dest, const py::handle& inds) {
            std::vector<int> indices = indices_of(inds);
            call(b, [&](BmiTidmor& bmi) {
                const int count = static_cast<int>(indices.size());
                if (integer_variable(bmi, name))
                    bmi.GetValueAtIndices(name, destination<int>(dest, indices.size(), "dest"), indices.data(), count);
                else
                    bmi.GetValueAtIndices(name, destination<double>(dest, indices.size(), "dest"), indices.data(),
                                          count);
                return 0;
            });
            return dest;
        },
        "name"_a, "dest"_a, "inds"_a, "The values at the nodes `inds` (from 0) into `dest`; returns it.");
    cls.def(
        "set_value",
        [](PyBmi& b, const std::string& name, const py::handle& src) {
            const std::vector<double> values = doubles_of(src, "src");
            call(b, [&](BmiTidmor& bmi) {
                bmi.simulation().set_value(name, values);
                return 0;
            });
        },
        "name"_a, "src"_a, "Sets an input variable (N_GRID values), taken by the next update.");
    cls.def(
        "set_value_at_indices",
        [](PyBmi& b, const std::string& name, const py::handle& inds, const py::handle& src) {
            std::vector<int> indices = indices_of(inds);
            std::vector<double> values = doubles_of(src, "src");
            if (values.size() < indices.size())
                throw py::value_error("src: " + std::to_string(values.size()) + " values for " +
                                      std::to_string(indices.size()) + " indices");
            call(b, [&](BmiTidmor& bmi) {
                bmi.SetValueAtIndices(name, indices.data(), static_cast<int>(indices.size()), values.data());
                return 0;
            });
        },
        "name"_a, "inds"_a, "src"_a, "Sets an input variable at the nodes `inds` (from 0).");

    // Grid information.
    const auto grid_int = [&cls](const char* name, int (BmiTidmor::*get)(int)) {
        cls.def(name, [get](PyBmi& b, int grid) { return call(b, [&](BmiTidmor& bmi) { return (bmi.*get)(grid); }); },
                "grid"_a);
    };
    grid_int("get_grid_rank", &BmiTidmor::GetGridRank);
    grid_int("get_grid_size", &BmiTidmor::GetGridSize);
    grid_int("get_grid_node_count", &BmiTidmor::GetGridNodeCount);
    grid_int("get_grid_edge_count", &BmiTidmor::GetGridEdgeCount);
    grid_int("get_grid_face_count", &BmiTidmor::GetGridFaceCount);
    cls.def("get_grid_type", [](PyBmi& b, int grid) {
        return call(b, [&](BmiTidmor& bmi) { return bmi.GetGridType(grid); });
    }, "grid"_a);

    // Arrays of a grid: how many values each gives.
    using Count = std::size_t (*)(BmiTidmor&, int);
    const Count rank = [](BmiTidmor& bmi, int grid) { return static_cast<std::size_t>(bmi.GetGridRank(grid)); };
    const Count nodes = [](BmiTidmor& bmi, int grid) { return static_cast<std::size_t>(bmi.GetGridNodeCount(grid)); };
    const Count edge_ends = [](BmiTidmor& bmi, int grid) {
        return 2 * static_cast<std::size_t>(bmi.GetGridEdgeCount(grid));
    };
    const Count face_edges = [](BmiTidmor& bmi, int grid) {
        return bmi.GetGridFaceCount(grid) > 0 ? static_cast<std::size_t>(bmi.GetGridEdgeCount(grid)) : 0;
    };
    const Count face_nodes = [](BmiTidmor& bmi, int grid) {
        return bmi.GetGridFaceCount(grid) > 0 ? static_cast<std::size_t>(bmi.GetGridNodeCount(grid)) : 0;
    };
    const Count faces = [](BmiTidmor& bmi, int grid) { return static_cast<std::size_t>(bmi.GetGridFaceCount(grid)); };
    def_grid_array<int>(cls, "get_grid_shape", "shape", &BmiTidmor::GetGridShape, rank, "Grid 0 only: N_GRID.");
    def_grid_array<double>(cls, "get_grid_spacing", "spacing", &BmiTidmor::GetGridSpacing, rank, "Grid 0 only: DX (m).");
    def_grid_array<double>(cls, "get_grid_origin", "origin", &BmiTidmor::GetGridOrigin, rank, "Grid 0 only: 0 (m).");
    def_grid_array<double>(cls, "get_grid_x", "x", &BmiTidmor::GetGridX, nodes, "x of the nodes (m).");
    def_grid_array<double>(cls, "get_grid_y", "y", &BmiTidmor::GetGridY, nodes,
                           "Grids 1 and 3: the elevation of the nodes (m).");
    def_grid_array<double>(cls, "get_grid_z", "z", &BmiTidmor::GetGridZ, nodes,
                           "No grid has one: the model is a vertical section.");
    def_grid_array<int>(cls, "get_grid_edge_nodes", "edge_nodes", &BmiTidmor::GetGridEdgeNodes, edge_ends,
                        "The two nodes of each edge.");
    def_grid_array<int>(cls, "get_grid_face_edges", "face_edges", &BmiTidmor::GetGridFaceEdges, face_edges,
                        "The edges of each face.");
    def_grid_array<int>(cls, "get_grid_face_nodes", "face_nodes", &BmiTidmor::GetGridFaceNodes, face_nodes,
                        "The nodes of each face.");
    def_grid_array<int>(cls, "get_grid_nodes_per_face", "nodes_per_face", &BmiTidmor::GetGridNodesPerFace, faces,
                        "The node count of each face.");

    m.attr("WAVE_GRID") = WAVE_GRID;
    m.attr("BOUNDARY_GRID") = BOUNDARY_GRID;
    m.attr("SCALAR_GRID") = SCALAR_GRID;
    m.attr("WATER_TABLE_GRID") = WATER_TABLE_GRID;
}

}  // namespace tidmor::python
