#pragma once
// The model in-process: one Simulation is one run of the model, made from a
// case folder or from input values, stepped by its caller.
//
//     tidmor::Simulation run("examples/coupled_beach");   // reads and checks the input
//     run.initialize();                                   // start-up, first output blocks
//     while (run.time() < run.end_time()) run.update();   // one time step each
//     run.finalize();                                      // closes the result files
//
// With the default options the result files and the console are exactly
// those of the program run in the same folder (the program itself is a
// client of this class). A Simulation holds its whole state: any number may
// live in one process, and each may be stepped in its own thread. One
// Simulation must not be used from two threads at once.
//
// Failures of the model (rejected input, a file that cannot be read or
// written, a numerical breakdown, a stop request recorded by the program's
// signal handlers) are thrown as RunFailure, with the exit status the
// program would end with and the message it would print after "tidmor: ".
// The process is never ended. After a RunFailure the run cannot go on:
// update() throws std::logic_error, finalize() and the destructor close the
// result files with every line written until then. Calls out of order and
// unknown names or wrong sizes throw std::logic_error / std::invalid_argument.
//
// Units: SI throughout. Time in s. x is the cross-shore distance from the
// seaward end of the grid (m, positive landward); elevations (m) are above
// the bed at the seaward end, which is also the bottom of the aquifer.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_failure.hpp"
#include "common/units.hpp"
#include "input/input_values.hpp"
#include "model/aquifer_solver_settings.hpp"
#include "model/model.hpp"

namespace tidmor {

// How a Simulation is carried out. The aquifer solver's settings (threads,
// reuse, cache bound) change no result.
struct SimulationOptions : AquiferSolverSettings {
    // The four result files "outw.dat", "outb.dat", "outg.dat", "outs.dat"
    // in the result folder, written as the program writes them; off, the
    // output blocks are formatted as usual but go nowhere.
    bool write_results = true;
    // Console lines (the program's standard output); nullptr drops them.
    std::ostream* console = nullptr;
    // Warnings about the input, each as the program prints it
    // ("tidmor: warning: ..."); nullptr drops them (warnings() keeps them).
    std::ostream* errors = nullptr;
    // Put after "tidmor: " before each warning written to `errors`: the
    // program names the case folder it was given there ("case folder
    // \"my_case\": "), as before its failure messages.
    std::string case_label;
    // Told of each sweep of the start-up relaxation of the water table.
    RelaxationObserver* relaxation_observer = nullptr;
};

// Where a variable lives.
enum class Place {
    wave_grid,         // nodes 1 .. N_GRID of the cross-shore grid, spacing DX
    aquifer_boundary,  // nodes 1 .. N_BND of the aquifer boundary (count changes with the shoreline)
    water_table,       // the water-table nodes N_FACE+1 .. N_FACE+N_FREE of the boundary
    scalar,            // one value
};

// A variable readable by name (Simulation::value, integer_value).
struct Variable {
    std::string_view name;         // the model's name, e.g. "Z_BED"
    std::string_view standard_name;  // CSDMS Standard Name, or the model's own "tidmor__..." name
    std::string_view units;        // UDUNITS string: "m", "m s-1", "1"
    Place place;
    bool integer;                  // 32-bit integers (node numbers, codes), else doubles
    bool settable;                 // a coupler may set it (Z_BED; INFIL with the aquifer off)
    std::string_view meaning;
};

// Every variable, in a fixed order.
std::vector<Variable> simulation_variables();
// The variable of that model name or standard name; nullopt when none.
std::optional<Variable> find_variable(std::string_view name);

// The input values of a case folder, read as the program reads them: the
// first line of "SIM.FILE" in the folder names the input data file,
// relative to the folder. Rejections throw RunFailure.
InputValues read_case_input(const std::filesystem::path& case_folder);

class Simulation {
public:
    // The case in `case_folder`, read as the program reads it ("SIM.FILE"
    // names the input data file, relative to the folder); its result files
    // go to the same folder. Messages name the files as the program run in
    // that folder names them. Reads and checks the input: a rejection
    // throws RunFailure before any file is touched.
    explicit Simulation(const std::filesystem::path& case_folder, SimulationOptions options = {});

    // A case given as values, checked exactly as the program checks an
    // input data file holding them: the values are written in the file's
    // form, one line per group, and read by the same reader, so a message
    // names the group's number as its line and `input_name` as the file.
    // Result files go to `result_folder` (unused when write_results is off).
    Simulation(const InputValues& input, const std::filesystem::path& result_folder,
               SimulationOptions options = {}, const std::string& input_name = "input values");

    ~Simulation();
    Simulation(Simulation&&) noexcept;
    Simulation& operator=(Simulation&&) noexcept;
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Start-up: connects the result files (emptying them only when all four
    // can be opened), builds the aquifer mesh and relaxes the water table
    // (aquifer on), writes the initial output blocks, sets the clock to 0.
    void initialize();

    // One time step of the length the wave model chose (Courant number
    // 0.4): the aquifer (when on), the swash, the transport, the profile
    // update and its console line at the end of a wave period, the output.
    // May be called past end_time(). Returns whether the step closed a wave period.
    bool update();

    // Whole steps while time() < t. The model chooses its own step, so the
    // last step usually ends after t, by less than one step. Nothing is
    // done when time() >= t already. Returns the number of steps taken.
    std::int64_t update_until(double t);

    // Checkpoints (api/checkpoint.hpp), in the result folder.
    // The state at the end of the last step (or of initialize()), written
    // atomically as CHECKPOINT_FILE; `program` is the version line of the
    // program, which a restart must match. Throws RunFailure when it cannot
    // be written (the earlier checkpoint then stays).
    void save_checkpoint(const std::string& program);
    // In place of initialize(): goes on from the checkpoint in the result
    // folder, exactly where its run was, so that the rest of the run writes
    // what the run would have written had it never stopped. Refuses (throws
    // RunFailure, status 1, before any file is touched) a missing, damaged
    // or foreign checkpoint, one of another format or another `program`,
    // one made from other input files, and result files shorter than
    // recorded or changed; cuts each result file back to the length
    // recorded and appends. Console lines go on from where the checkpoint
    // was made: what the run had printed before it is not printed again.
    void resume(const std::string& program);
    // Wave periods closed since the run began (across restarts), and the
    // bytes of console lines written since it began.
    std::uint64_t periods_closed() const;
    std::uint64_t console_bytes() const;

    // Closes the result files (a failure to write out what they hold throws
    // RunFailure) and writes the program's two closing console lines.
    void finalize();

    // Where console lines and the relaxation's sweeps go from now on
    // (nullptr: nowhere), in place of the options'.
    void set_console(std::ostream* console);
    // Where warnings go from now on (nullptr: only warnings()), in place of
    // the options' errors.
    void set_errors(std::ostream* errors);
    void set_relaxation_observer(RelaxationObserver* observer);

    // Time (s): the end of the last step, T_MAX, the length of the last step
    // (0 before the first), and the steps taken.
    double time() const;
    double end_time() const;
    double time_step() const;
    std::int64_t steps() const;
    bool initialized() const;
    // Whether initialize() got as far as emptying the earlier result files.
    bool results_touched() const;
    bool finalized() const;

    // The input as read, and the warnings about it and about the run so far
    // (each one line, without the "tidmor: warning: " the program puts
    // before it): during the run, a bed eroded below the aquifer bottom
    // (once), and at T_MAX an N_OUT that gave no snapshot.
    const InputValues& input() const;
    const std::vector<std::string>& warnings() const;
    // The folder the result files go to.
    const std::filesystem::path& result_folder() const;

    // Sizes: grid nodes N_GRID, grid spacing DX (m), the shoreline (last wet)
    // node N_SHORE, and the aquifer boundary: N_BND nodes, of which 1 ..
    // N_FACE on the beach face and the next N_FREE on the water table (all 0
    // with the aquifer off, or before initialize()).
    int grid_nodes() const;
    double grid_spacing() const;
    int shoreline_node() const;
    int boundary_nodes() const;
    int face_nodes() const;
    int water_table_nodes() const;
    bool aquifer_on() const;
    bool profile_update_on() const;

    // A variable by name (the model's name or the standard name), as a view
    // into the model's arrays: N_GRID values on the wave grid, N_BND on the
    // aquifer boundary, N_FREE on the water table, one for a scalar. The
    // view stays valid while the Simulation lives; its length is that of
    // the moment (the boundary's changes from step to step).
    std::span<const double> value(std::string_view name) const;
    std::span<const std::int32_t> integer_value(std::string_view name) const;

    // Typed views of the same (m, m/s):
    std::span<const double> x() const;             // X_NODE, node positions
    std::span<const double> bed() const;           // Z_BED, bed elevation
    std::span<const double> depth() const;         // H_DIM, water depth (valid on wet nodes 1 .. N_SHORE)
    std::span<const double> velocity() const;      // U_DIM, depth-averaged velocity, positive landward
    std::span<const double> infiltration() const;  // INFIL, flow through the bed, m/s positive out of it
    std::span<const double> boundary_x() const;    // X_BND
    std::span<const double> boundary_z() const;    // Z_BND
    std::span<const double> head() const;          // PHI_BND, piezometric head (m)

    // What a coupler may set, taken by the next update():
    // The bed elevation on the wave grid (N_GRID values, m). The new slopes
    // are phased into the swash over the next steps as after a profile
    // update of the model's own.
    void set_bed(std::span<const double> z_bed);
    // With the aquifer off, the flow through the beach face on the wave
    // grid (N_GRID values, m/s, positive out of the bed); it then holds, in
    // place of the aquifer's, until set again. Throws std::logic_error with
    // the aquifer on, whose own flow it would overwrite.
    void set_infiltration(std::span<const double> infil);
    // Either, by name ("Z_BED", "INFIL" or their standard names).
    void set_value(std::string_view name, std::span<const double> values);

    // The whole state, read-only, for what the views above do not cover.
    const Model& model() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tidmor
