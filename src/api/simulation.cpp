#include "api/simulation.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "api/checkpoint.hpp"
#include "api/model_state.hpp"
#include "api/time_step.hpp"
#include "api/variables.hpp"
#include "aquifer/aquifer_geometry_check.hpp"
#include "aquifer/aquifer_ini.hpp"
#include "common/discard_buffer.hpp"
#include "common/message_text.hpp"
#include "input/control_file.hpp"
#include "input/input_data.hpp"
#include "input/input_groups.hpp"
#include "input/input_file.hpp"
#include "input/input_warnings.hpp"
#include "morphology/beach.hpp"
#include "output/output.hpp"
#include "output/result_files.hpp"
#include "output/snapshot_warnings.hpp"

namespace tidmor {

namespace {

// Passes every character on to `target` and counts those it takes: the
// console, whose length so far a checkpoint keeps.
class CountingBuffer : public std::streambuf {
public:
    std::streambuf* target = nullptr;
    std::uint64_t count = 0;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (traits_type::eq_int_type(target->sputc(traits_type::to_char_type(c)), traits_type::eof()))
            return traits_type::eof();
        ++count;
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::streamsize taken = target->sputn(s, n);
        if (taken > 0) count += static_cast<std::uint64_t>(taken);
        return taken;
    }
    int sync() override { return target->pubsync(); }
};

// The bytes of a file, for its fingerprint; empty when it cannot be read.
std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The input data file named in the case folder's control file, opened.
struct CaseInput {
    std::string name;      // as the control file gives it
    std::string warning;   // about a name cut short, or empty
    std::ifstream unit5;
};

void open_case_input(const std::filesystem::path& folder, CaseInput& in) {
    in.name = read_control_file(CONTROL_FILE, &in.warning, folder);
    in.unit5 = open_input_data_file(in.name, folder);
}

[[noreturn]] void unknown_variable(std::string_view name) {
    throw std::invalid_argument("no variable of the model is named \"" + std::string(name) + "\"");
}

}  // namespace

InputValues read_case_input(const std::filesystem::path& case_folder) {
    CaseInput in;
    open_case_input(case_folder, in);
    return read_input_groups(in.unit5, in.name);
}

struct Simulation::State {
    enum class Stage { created, running, failed, finalized };

    std::unique_ptr<Model> model = make_model();
    SimulationOptions options;
    InputValues input;
    std::vector<std::string> warnings;
    std::filesystem::path folder;
    std::vector<InputFile> inputs;  // files read, which no result file may be
    DiscardBuffer discard;
    std::ostream nowhere{&discard};
    CountingBuffer counting;
    std::ostream console{&counting};
    // Fingerprints of the control file and the input data file as read.
    Sha256::Digest control_file{};
    Sha256::Digest input_file{};
    std::uint64_t periods_closed = 0;
    Units units;
    ResultFiles results;
    Stage stage = Stage::created;
    bool infiltration_given = false;
    bool connected = false;  // the result files are open
    bool bed_below_bottom_told = false;
    bool end_told = false;
    SnapshotWatch snapshots;

    State(const SimulationOptions& o, std::filesystem::path result_folder)
        : options(o), folder(std::move(result_folder)) {
        show_console(options.console);
        units.console = &console;
        units.relaxation_observer = options.relaxation_observer;
        model->aquifer_solver.configure(options);
    }

    // The console lines go to `shown`, or nowhere when it is nullptr.
    void show_console(std::ostream* shown) {
        if (shown == nullptr) shown = &nowhere;
        counting.target = shown->rdbuf();
    }

    void warn(const std::string& text) {
        warnings.push_back(text);
        if (options.errors != nullptr)
            *options.errors << "tidmor: " << options.case_label << "warning: " << text << '\n';
    }

    // The start-up checks of the program, after the input groups are read.
    void start(const InputValues& values, const std::string& input_name) {
        input = values;
        Model& m = *model;
        INPUT_DATA(m, input, input_name);
        std::string well_warning;
        if (m.INDEX_INFIL.I_INFIL == 1) well_warning = check_aquifer_mesh(m, input_name);
        for (const std::string& warning : input_warnings(m)) warn(warning);
        if (!well_warning.empty()) warn(well_warning);
        if (const std::string every_step = every_step_snapshot_warning(m); !every_step.empty()) warn(every_step);
        if (m.INDEX_INFIL.I_INFIL == 1) {
            if (const std::string shortfall = m.aquifer_solver.start_team(); !shortfall.empty()) warn(shortfall);
            m.aquifer_solver.fit_cache_to_address_space();
        }
    }

    void require(Stage wanted, const char* call) const {
        if (stage == wanted) return;
        const char* now = stage == Stage::created    ? "has not been initialized"
                          : stage == Stage::running  ? "is already initialized"
                          : stage == Stage::failed   ? "has stopped on a failure"
                                                     : "is finalized";
        throw std::logic_error(std::string("Simulation::") + call + ": the simulation " + now);
    }
};

Simulation::Simulation(const std::filesystem::path& case_folder, SimulationOptions options)
    : state_(std::make_unique<State>(options, case_folder)) {
    CaseInput in;
    open_case_input(case_folder, in);
    if (!in.warning.empty()) state_->warn(in.warning);
    state_->start(read_input_groups(in.unit5, in.name), in.name);
    state_->inputs = {{"control file", CONTROL_FILE}, {"input data file", in.name}};
    state_->control_file = sha256_of(file_bytes(case_folder / CONTROL_FILE));
    state_->input_file = sha256_of(file_bytes(case_folder / in.name));
}

Simulation::Simulation(const InputValues& input, const std::filesystem::path& result_folder,
                       SimulationOptions options, const std::string& input_name)
    : state_(std::make_unique<State>(options, result_folder)) {
    const std::string text = input_text(input);
    std::istringstream unit5(text);
    state_->start(read_input_groups(unit5, input_name), input_name);
    state_->input_file = sha256_of(text);
}

Simulation::~Simulation() = default;
Simulation::Simulation(Simulation&&) noexcept = default;
Simulation& Simulation::operator=(Simulation&&) noexcept = default;

void Simulation::initialize() {
    State& s = *state_;
    s.require(State::Stage::created, "initialize");
    Model& m = *s.model;
    try {
        if (s.options.write_results) {
            s.results.connect(s.units, s.inputs, s.folder);
            s.connected = true;
        } else {
            for (OutputUnit* unit : {&s.units.outw, &s.units.outb, &s.units.outg, &s.units.outs})
                unit->stream = &s.nowhere;
        }
        if (m.INDEX_INFIL.I_INFIL == 1) {
            AQUIFER_INI(m, s.units);
            // The first period's geometries are solved ahead as well.
            m.aquifer_solver.profile_updated(m);
        }
        OUTPUT_INI(m, s.units);
    } catch (...) {
        s.stage = State::Stage::failed;
        throw;
    }
    m.TIME_RELATED.TIME = 0;
    m.SED_TRANS.T_CYCLE = 0;
    m.N_CAL.N_STEP = 0;
    s.stage = State::Stage::running;
}

bool Simulation::update() {
    State& s = *state_;
    s.require(State::Stage::running, "update");
    try {
        const Model& m = *s.model;
        const bool period_closed = tidmor::time_step(*s.model, s.units, s.infiltration_given);
        if (period_closed) ++s.periods_closed;
        s.snapshots.step(m);
        if (m.INDEX_INFIL.I_INFIL == 1 && !s.bed_below_bottom_told)
            if (const int node = face_node_below_bottom(m); node != 0) {
                s.warn(bed_below_bottom_warning(m, node));
                s.bed_below_bottom_told = true;
            }
        if (!s.end_told && !(m.TIME_RELATED.TIME < m.TIME_RELATED.T_MAX)) {
            s.end_told = true;
            if (const std::string none = s.snapshots.end_warning(m); !none.empty()) s.warn(none);
        }
        return period_closed;
    } catch (...) {
        s.stage = State::Stage::failed;
        throw;
    }
}

std::int64_t Simulation::update_until(double t) {
    state_->require(State::Stage::running, "update_until");
    std::int64_t steps = 0;
    while (time() < t) {
        update();
        ++steps;
    }
    return steps;
}

void Simulation::finalize() {
    State& s = *state_;
    if (s.stage == State::Stage::finalized) throw std::logic_error("Simulation::finalize: the simulation is finalized");
    const bool ran = s.stage == State::Stage::running;
    s.stage = State::Stage::finalized;
    if (s.connected) {
        s.connected = false;
        s.results.disconnect(s.units);
    }
    // After a failure the files keep what the run wrote, without the closing lines.
    if (!ran) return;
    write_console(*s.units.console, "SIMULATION HAS BEEN FINISHED!");
    write_console(*s.units.console, "I AM SURE, YOU WANT TO SEE THE RESULTS NOW.");
    flush_console(*s.units.console);
}

void Simulation::save_checkpoint(const std::string& program) {
    State& s = *state_;
    s.require(State::Stage::running, "save_checkpoint");
    CheckpointHeader header;
    header.program = program;
    header.control_file = s.control_file;
    header.input_file = s.input_file;
    header.periods_closed = s.periods_closed;
    header.infiltration_given = s.infiltration_given;
    header.console_bytes = s.counting.count;
    header.bed_below_bottom_told = s.bed_below_bottom_told;
    header.snapshots = s.snapshots.tally();
    const std::array<const OutputUnit*, 4> unit{&s.units.outw, &s.units.outb, &s.units.outg, &s.units.outs};
    for (std::size_t k = 0; k < unit.size(); ++k) {
        header.results[k].bytes = unit[k]->written;
        header.results[k].fingerprint = unit[k]->fingerprint.digest();
    }
    write_file_atomically(s.folder / CHECKPOINT_FILE, s.folder / CHECKPOINT_TEMPORARY_FILE,
                          encode_checkpoint(header, encode_model_state(*s.model)));
}

namespace {

[[noreturn]] void refuse_checkpoint(const std::string& why) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "cannot restart from the checkpoint " + quote_text(CHECKPOINT_FILE) + ": " +
                                             why + "; no file has been changed");
}

}  // namespace

void Simulation::resume(const std::string& program) {
    State& s = *state_;
    s.require(State::Stage::created, "resume");
    if (!s.options.write_results) throw std::logic_error("Simulation::resume: the simulation writes no result files");
    const std::filesystem::path file = s.folder / CHECKPOINT_FILE;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        refuse_checkpoint(std::filesystem::exists(file, error)
                              ? "it is not a regular file"
                              : "there is none in the case folder (a run writes one with --checkpoint-every or "
                                "when stopped with checkpoints on; a run stopped during the aquifer start-up "
                                "starts again without --restart)");
    const std::string bytes = file_bytes(file);
    DecodedCheckpoint checkpoint;
    try {
        checkpoint = decode_checkpoint(bytes);
    } catch (const CheckpointDamaged& damaged) {
        refuse_checkpoint(damaged.what());
    }
    const CheckpointHeader& h = checkpoint.header;
    if (h.format != CHECKPOINT_FORMAT)
        refuse_checkpoint("it is of format " + std::to_string(h.format) + ", and this program reads format " +
                          std::to_string(CHECKPOINT_FORMAT));
    if (h.program != program)
        refuse_checkpoint("it was written by " + quote_text(h.program) + ", and this is " + quote_text(program) +
                          " (a run goes on only with the program that began it)");
    if (h.control_file != s.control_file)
        refuse_checkpoint("the control file " + quote_text(CONTROL_FILE) + " has changed since it was written");
    if (h.input_file != s.input_file)
        refuse_checkpoint("the input data file has changed since it was written (or another one is named)");
    // A state that does not fit leaves the model unusable (the simulation
    // cannot start any more), but every file as it was.
    try {
        decode_model_state(checkpoint.state, *s.model);
    } catch (const std::runtime_error& misfit) {
        s.stage = State::Stage::failed;
        refuse_checkpoint(misfit.what());
    }
    try {
        s.results.reconnect(s.units, s.folder, h.results);
        s.connected = true;
    } catch (...) {
        s.stage = State::Stage::failed;
        throw;
    }
    s.periods_closed = h.periods_closed;
    s.infiltration_given = h.infiltration_given;
    s.counting.count = h.console_bytes;
    s.bed_below_bottom_told = h.bed_below_bottom_told;
    s.snapshots.resume(h.snapshots);
    if (s.model->INDEX_INFIL.I_INFIL == 1) s.model->aquifer_solver.profile_updated(*s.model);
    s.stage = State::Stage::running;
}

std::uint64_t Simulation::periods_closed() const { return state_->periods_closed; }
std::uint64_t Simulation::console_bytes() const { return state_->counting.count; }

void Simulation::set_console(std::ostream* console) {
    state_->show_console(console);
}

void Simulation::set_errors(std::ostream* errors) { state_->options.errors = errors; }

void Simulation::set_relaxation_observer(RelaxationObserver* observer) {
    state_->units.relaxation_observer = observer;
}

double Simulation::time() const { return state_->model->TIME_RELATED.TIME; }
double Simulation::end_time() const { return state_->model->TIME_RELATED.T_MAX; }
double Simulation::time_step() const {
    return state_->model->N_CAL.N_STEP > 0 ? state_->model->TIME_RELATED.DT_S : 0.0;
}
std::int64_t Simulation::steps() const { return static_cast<std::int64_t>(state_->model->N_CAL.N_STEP); }
bool Simulation::initialized() const { return state_->stage != State::Stage::created; }

bool Simulation::results_touched() const { return state_->results.touched(); }
bool Simulation::finalized() const { return state_->stage == State::Stage::finalized; }

const InputValues& Simulation::input() const { return state_->input; }
const std::vector<std::string>& Simulation::warnings() const { return state_->warnings; }
const std::filesystem::path& Simulation::result_folder() const { return state_->folder; }

int Simulation::grid_nodes() const { return state_->model->SED_INT.N_GRID; }
double Simulation::grid_spacing() const { return state_->model->DIFFX.DX; }
int Simulation::shoreline_node() const { return state_->model->WAVE_CONSI.N_SHORE; }
int Simulation::boundary_nodes() const { return state_->model->CONFIG_BOUND.N_BND; }
int Simulation::face_nodes() const { return state_->model->CONFIG_BOUND.N_FACE; }
int Simulation::water_table_nodes() const { return state_->model->CONFIG_BOUND.N_FREE; }
bool Simulation::aquifer_on() const { return state_->model->INDEX_INFIL.I_INFIL == 1; }
bool Simulation::profile_update_on() const { return state_->model->INDEX_INFIL.I_MORPH == 1; }

std::span<const double> Simulation::value(std::string_view name) const {
    const std::optional<Variable> v = find_variable(name);
    if (!v) unknown_variable(name);
    if (v->integer) throw std::invalid_argument("\"" + std::string(name) + "\" holds integers (integer_value)");
    return real_values(*state_->model, *v);
}

std::span<const std::int32_t> Simulation::integer_value(std::string_view name) const {
    const std::optional<Variable> v = find_variable(name);
    if (!v) unknown_variable(name);
    if (!v->integer) throw std::invalid_argument("\"" + std::string(name) + "\" holds reals (value)");
    return integer_values(*state_->model, *v);
}

std::span<const double> Simulation::x() const { return value("X_NODE"); }
std::span<const double> Simulation::bed() const { return value("Z_BED"); }
std::span<const double> Simulation::depth() const { return value("H_DIM"); }
std::span<const double> Simulation::velocity() const { return value("U_DIM"); }
std::span<const double> Simulation::infiltration() const { return value("INFIL"); }
std::span<const double> Simulation::boundary_x() const { return value("X_BND"); }
std::span<const double> Simulation::boundary_z() const { return value("Z_BND"); }
std::span<const double> Simulation::head() const { return value("PHI_BND"); }

namespace {

void check_length(const char* name, std::span<const double> values, int n_grid) {
    if (values.size() != static_cast<std::size_t>(n_grid))
        throw std::invalid_argument(std::string(name) + ": " + std::to_string(values.size()) +
                                    " values given for the " + std::to_string(n_grid) + " nodes of the grid");
}

}  // namespace

void Simulation::set_bed(std::span<const double> z_bed) {
    Model& m = *state_->model;
    check_length("Z_BED", z_bed, m.SED_INT.N_GRID);
    for (std::size_t k = 0; k < z_bed.size(); ++k)
        if (!std::isfinite(z_bed[k]))
            throw std::invalid_argument("Z_BED: the value for node " + std::to_string(k + 1) + " is not finite");
    std::copy(z_bed.begin(), z_bed.end(), m.BEACH_PROFILE.Z_BED.v.begin());
    bed_slopes(m);
    // Geometries solved ahead for the bed that was are of no more use.
    if (m.INDEX_INFIL.I_INFIL == 1 && state_->stage == State::Stage::running) m.aquifer_solver.profile_updated(m);
}

void Simulation::set_infiltration(std::span<const double> infil) {
    Model& m = *state_->model;
    if (m.INDEX_INFIL.I_INFIL == 1)
        throw std::logic_error("INFIL: the aquifer model is on (I_INFIL = 1) and gives the flow through the bed");
    check_length("INFIL", infil, m.SED_INT.N_GRID);
    for (std::size_t k = 0; k < infil.size(); ++k)
        if (!std::isfinite(infil[k]))
            throw std::invalid_argument("INFIL: the value for node " + std::to_string(k + 1) + " is not finite");
    std::copy(infil.begin(), infil.end(), m.INFILTRATION.INFIL.v.begin());
    state_->infiltration_given = true;
}

void Simulation::set_value(std::string_view name, std::span<const double> values) {
    const std::optional<Variable> v = find_variable(name);
    if (!v) unknown_variable(name);
    if (v->name == std::string_view("Z_BED"))
        set_bed(values);
    else if (v->name == std::string_view("INFIL"))
        set_infiltration(values);
    else
        throw std::invalid_argument("\"" + std::string(name) + "\" is computed by the model and cannot be set");
}

const Model& Simulation::model() const { return *state_->model; }

}  // namespace tidmor
