// tidmor.Simulation: one run of the model, stepped from Python.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "api/simulation.hpp"
#include "arrays.hpp"
#include "held_model.hpp"
#include "module_parts.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace tidmor::python {

namespace {

// The keyword options of a Simulation (and of a BmiTidmor).
struct Settings {
    bool write_results = true;
    bool console = true;
    int threads = 0;
    bool reuse = true;
    std::size_t cache_bytes = SimulationOptions().cache_bytes;
};

class PySimulation : public HeldModel {
public:
    SimulationOptions options(const Settings& s) {
        SimulationOptions o;
        o.write_results = s.write_results;
        o.console = s.console ? &console : nullptr;
        o.errors = &errors;
        o.threads = s.threads;
        o.reuse = s.reuse;
        o.cache_bytes = s.cache_bytes;
        return o;
    }

    std::unique_ptr<Simulation> simulation;
};

std::unique_ptr<PySimulation> from_folder(const std::filesystem::path& folder, const Settings& s) {
    auto held = std::make_unique<PySimulation>();
    const SimulationOptions options = held->options(s);
    without_gil(*held, [&] { held->simulation = std::make_unique<Simulation>(folder, options); });
    return held;
}

std::unique_ptr<PySimulation> from_values(const InputValues& values, const std::filesystem::path& result_folder,
                                          const std::string& input_name, const Settings& s) {
    auto held = std::make_unique<PySimulation>();
    const SimulationOptions options = held->options(s);
    without_gil(*held, [&] {
        held->simulation = std::make_unique<Simulation>(values, result_folder, options, input_name);
    });
    return held;
}

Settings settings(bool write_results, bool console, int threads, bool reuse, std::size_t cache_bytes) {
    if (threads < 0) throw py::value_error("threads = " + std::to_string(threads) + ": give 0 (one per core) or more");
    return {write_results, console, threads, reuse, cache_bytes};
}

// A value of the model read with the lock held.
template <typename Read>
auto read(PySimulation& s, Read read_value) {
    return with_gil(s, [&] { return read_value(static_cast<const Simulation&>(*s.simulation)); });
}

// A read-only view of a variable that keeps the Simulation alive.
py::array view(const py::object& self, const std::string& name) {
    PySimulation& s = self.cast<PySimulation&>();
    const std::span<const double> values = read(s, [&](const Simulation& sim) { return sim.value(name); });
    return read_only_view(values, self);
}

py::array integer_view(const py::object& self, const std::string& name) {
    PySimulation& s = self.cast<PySimulation&>();
    const auto values = read(s, [&](const Simulation& sim) { return sim.integer_value(name); });
    return read_only_view(values, self);
}

void set(PySimulation& s, const std::string& name, const py::handle& values) {
    const std::vector<double> given = doubles_of(values, name.c_str());
    with_gil(s, [&] { s.simulation->set_value(name, given); });
}

constexpr const char* OPTIONS_DOC =
    "Options (keywords): write_results (default True: the four result files, as the program writes them; "
    "False: none is created or changed), console (default True: the console lines are kept, see .console; "
    "False: dropped), threads (worker threads of the aquifer step, 0 = one per core), reuse (reuse of solved "
    "aquifer systems), cache_bytes (their memory bound). No option changes a result.";

}  // namespace

void add_simulation(py::module_& m) {
    py::class_<PySimulation> cls(m, "Simulation", R"(One run of the model, stepped by its caller.

Simulation(case_folder, **options) reads the case in the folder as the program does ("SIM.FILE" names the input
data file, relative to the folder) and checks it; result files go to the same folder.
Simulation(values, result_folder, input_name="input values", **options) runs the InputValues given, checked as
an input data file holding them.

A rejected input raises RunFailure (with .status and .message) before any file is touched. Arrays of the model
(value(), bed, depth, ...) are read-only NumPy views that see every later step and keep the Simulation alive;
copy them (np.array(view)) to keep a moment. update() and update_until() release the GIL: other threads, and
other Simulations, run meanwhile. A Simulation may be used from several threads, one call at a time.)");

    cls.def(py::init([](const std::filesystem::path& case_folder, bool write_results, bool console, int threads,
                        bool reuse, std::size_t cache_bytes) {
                return from_folder(case_folder, settings(write_results, console, threads, reuse, cache_bytes));
            }),
            "case_folder"_a, py::kw_only(), "write_results"_a = true, "console"_a = true, "threads"_a = 0,
            "reuse"_a = true, "cache_bytes"_a = Settings().cache_bytes,
            (std::string("The case in `case_folder`. ") + OPTIONS_DOC).c_str());
    cls.def(py::init([](const InputValues& values, const std::filesystem::path& result_folder,
                        const std::string& input_name, bool write_results, bool console, int threads, bool reuse,
                        std::size_t cache_bytes) {
                return from_values(values, result_folder, input_name,
                                   settings(write_results, console, threads, reuse, cache_bytes));
            }),
            "values"_a, "result_folder"_a, "input_name"_a = "input values", py::kw_only(), "write_results"_a = true,
            "console"_a = true, "threads"_a = 0, "reuse"_a = true, "cache_bytes"_a = Settings().cache_bytes,
            (std::string("The case given as InputValues; a message names the group's number as its line and "
                         "`input_name` as the file. ") +
             OPTIONS_DOC)
                .c_str());

    cls.def(
        "initialize",
        [](PySimulation& s) { without_gil(s, [&] { s.simulation->initialize(); }); },
        "Start-up: connects the result files (emptying them only when all four can be opened), builds the aquifer "
        "mesh and relaxes the water table (aquifer on), writes the initial output blocks, sets the clock to 0.");
    cls.def(
        "update", [](PySimulation& s) { return without_gil(s, [&] { return s.simulation->update(); }); },
        "One time step of the length the model chooses (Courant number 0.4). Returns whether it closed a wave "
        "period. The GIL is released.");
    cls.def(
        "update_until",
        [](PySimulation& s, double t) { return steps_until(s, *s.simulation, t); },
        "t"_a,
        "Whole steps while the model time is below t (s); the model chooses its own step, so the last one "
        "usually ends after t, by less than one step. Returns the number of steps. The GIL is released; Ctrl-C "
        "raises KeyboardInterrupt between two steps, and the run can go on.");
    cls.def(
        "run",
        [](PySimulation& s) {
            Simulation& sim = *s.simulation;
            try {
                if (!read(s, [](const Simulation& run) { return run.initialized(); }))
                    without_gil(s, [&] { sim.initialize(); });
                // As the program: at least one step, then on while below T_MAX.
                steps_while(s, sim, [](const Simulation& run) {
                    return run.steps() == 0 || run.time() < run.end_time();
                });
            } catch (const RunFailure&) {
                // As the program ends: the result files closed with every line written until then.
                without_gil(s, [&] { sim.finalize(); });
                throw;
            }
            without_gil(s, [&] { sim.finalize(); });
        },
        "The rest of the run as the program does it: initialize() unless done, at least one step and on while the "
        "time is below T_MAX, finalize(). A RunFailure closes the result files first, as the program does; a "
        "KeyboardInterrupt leaves the run where it stopped.");
    cls.def(
        "finalize", [](PySimulation& s) { without_gil(s, [&] { s.simulation->finalize(); }); },
        "Closes the result files and writes the program's two closing console lines. After a RunFailure it "
        "closes the files with every line written until then.");

    const auto scalar = [&cls](const char* name, auto get, const char* doc) {
        cls.def_property_readonly(
            name, [get](PySimulation& s) { return read(s, get); }, doc);
    };
    scalar("time", [](const Simulation& sim) { return sim.time(); }, "Model time at the end of the last step (s).");
    scalar("end_time", [](const Simulation& sim) { return sim.end_time(); }, "T_MAX (s).");
    scalar("time_step", [](const Simulation& sim) { return sim.time_step(); },
           "Length of the last step (s); 0 before the first.");
    scalar("steps", [](const Simulation& sim) { return sim.steps(); }, "Time steps taken.");
    scalar("initialized", [](const Simulation& sim) { return sim.initialized(); }, "Whether initialize() was called.");
    scalar("finalized", [](const Simulation& sim) { return sim.finalized(); }, "Whether finalize() was called.");
    scalar("results_touched", [](const Simulation& sim) { return sim.results_touched(); },
           "Whether initialize() got as far as emptying the earlier result files.");
    scalar("input", [](const Simulation& sim) { return sim.input(); }, "The input values as read (a copy).");
    cls.def_property_readonly(
        "warnings", [](PySimulation& s) { return python_texts(read(s, [](const Simulation& sim) { return sim.warnings(); })); },
        "The warnings about the input, each without the \"tidmor: warning: \" the program puts before it.");
    scalar("result_folder", [](const Simulation& sim) { return sim.result_folder(); },
           "The folder the result files go to.");
    scalar("grid_nodes", [](const Simulation& sim) { return sim.grid_nodes(); }, "N_GRID, nodes of the wave grid.");
    scalar("grid_spacing", [](const Simulation& sim) { return sim.grid_spacing(); }, "DX, grid spacing (m).");
    scalar("shoreline_node", [](const Simulation& sim) { return sim.shoreline_node(); },
           "N_SHORE, the last wet node (1-based).");
    scalar("boundary_nodes", [](const Simulation& sim) { return sim.boundary_nodes(); },
           "N_BND, nodes of the aquifer boundary (0 with the aquifer off or before initialize()).");
    scalar("face_nodes", [](const Simulation& sim) { return sim.face_nodes(); },
           "N_FACE, boundary nodes on the beach face.");
    scalar("water_table_nodes", [](const Simulation& sim) { return sim.water_table_nodes(); },
           "N_FREE, boundary nodes on the water table.");
    scalar("aquifer_on", [](const Simulation& sim) { return sim.aquifer_on(); }, "I_INFIL = 1.");
    scalar("profile_update_on", [](const Simulation& sim) { return sim.profile_update_on(); }, "I_MORPH = 1.");
    cls.def_property_readonly(
        "console", [](PySimulation& s) { return python_text(with_gil(s, [&] { return s.console.str(); })); },
        "The console lines written so far, as the program writes them on standard output (empty with "
        "console=False).");

    cls.def("value", &view, "name"_a,
            "A variable of real values by its model name (\"Z_BED\") or standard name, as a read-only view: N_GRID "
            "values on the wave grid, N_BND on the aquifer boundary, N_FREE on the water table, one for a scalar. "
            "The view sees later steps but keeps the length of the moment it was taken (the boundary's changes).");
    cls.def("integer_value", &integer_view, "name"_a,
            "A variable of 32-bit integers (\"KODE_BND\", \"N_SHORE\"), as value() does.");
    const auto typed = [&cls](const char* property, const char* name, const char* doc) {
        const std::string variable = name;
        cls.def_property_readonly(
            property, [variable](const py::object& self) { return view(self, variable); }, doc);
    };
    typed("x", "X_NODE", "X_NODE, node positions (m), a read-only view.");
    typed("bed", "Z_BED", "Z_BED, bed elevation (m), a read-only view.");
    typed("depth", "H_DIM", "H_DIM, water depth (m; valid on the wet nodes 1 .. N_SHORE), a read-only view.");
    typed("velocity", "U_DIM", "U_DIM, depth-averaged velocity (m/s, positive landward), a read-only view.");
    typed("infiltration", "INFIL", "INFIL, flow through the bed (m/s, positive out of it), a read-only view.");
    typed("boundary_x", "X_BND", "X_BND, x of the aquifer boundary nodes (m), a read-only view.");
    typed("boundary_z", "Z_BND", "Z_BND, elevation of the aquifer boundary nodes (m), a read-only view.");
    typed("head", "PHI_BND", "PHI_BND, piezometric head at the aquifer boundary nodes (m), a read-only view.");

    cls.def(
        "set_bed", [](PySimulation& s, const py::handle& z) { set(s, "Z_BED", z); }, "z_bed"_a,
        "Sets the bed elevation (N_GRID values, m), taken by the next update(); its slopes are phased into the "
        "swash as after a profile update of the model's own.");
    cls.def(
        "set_infiltration", [](PySimulation& s, const py::handle& w) { set(s, "INFIL", w); }, "infil"_a,
        "With the aquifer off: the flow through the bed (N_GRID values, m/s, positive out of it), held until set "
        "again.");
    cls.def("set_value", &set, "name"_a, "values"_a, "set_bed or set_infiltration by name (model or standard name).");
    cls.def("__repr__", [](PySimulation& s) {
        return read(s, [](const Simulation& sim) {
            return "<tidmor.Simulation of " + sim.result_folder().string() + ": step " +
                   std::to_string(sim.steps()) + ", time " + std::to_string(sim.time()) + " s of " +
                   std::to_string(sim.end_time()) + ">";
        });
    });
}

}  // namespace tidmor::python
