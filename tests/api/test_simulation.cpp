// The Simulation class: made from a folder or from values, stepped, read
// and set by name, and failing by exceptions with the program's messages.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "api/case_runner.hpp"
#include "api/simulation.hpp"
#include "input/input_groups.hpp"
#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const fs::path EXAMPLES = fs::path(TIDMOR_SOURCE_DIR) / "examples";
const fs::path CASES = fs::path(TIDMOR_SOURCE_DIR) / "tests" / "run" / "cases";

SimulationOptions quiet() {
    SimulationOptions options;
    options.write_results = false;
    return options;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(InputValues, WrittenAndReadBackBitForBit) {
    InputValues in = read_case_input(EXAMPLES / "coupled_beach");
    // Values whose shortest text is long or has an exponent.
    in.waves.H_WAVE = 0.1 + 0.2;
    in.beach.K_HYD = 1e-300;
    in.beach.X_LAND = std::numeric_limits<double>::denorm_min();
    in.duration.N_OUT = 1.0 / 3.0;
    in.switches.I_MORPH = -7;
    in.beach.H_LAND = -0.0;
    std::istringstream text(input_text(in));
    const InputValues back = read_input_groups(text, "text");
    for (const std::string_view name : input_value_names())
        EXPECT_TRUE(same_bits(*input_value(in, name), *input_value(back, name))) << name;
    EXPECT_EQ(input_value_names().size(), 22u);
}

TEST(InputValues, SetAndReadByName) {
    InputValues in;
    EXPECT_TRUE(set_input_value(in, "Q_WELL", 0.0005));
    EXPECT_EQ(in.well.Q_WELL, 0.0005);
    EXPECT_TRUE(set_input_value(in, "I_INFIL", 1));
    EXPECT_EQ(in.switches.I_INFIL, 1);
    EXPECT_FALSE(set_input_value(in, "I_INFIL", 0.5));  // a switch is a whole number
    EXPECT_FALSE(set_input_value(in, "I_MORPH", 3e9));  // beyond 32 bits
    EXPECT_FALSE(set_input_value(in, "Q_PUMP", 1));
    EXPECT_EQ(input_value(in, "I_INFIL"), 1.0);
    EXPECT_FALSE(input_value(in, "nothing"));
}

TEST(Simulation, FromValuesGivesTheProgramsResults) {
    const fs::path case_dir = CASES / "aquifer_with_well";
    const fs::path scratch = make_scratch_dir("from-values");
    std::ostringstream console;
    SimulationOptions options;
    options.console = &console;
    Simulation run(read_case_input(case_dir), scratch, options);
    run.initialize();
    do run.update();
    while (run.time() < run.end_time());
    run.finalize();
    EXPECT_EQ(first_difference(read_file(case_dir / "expected" / "console.txt"), console.str()), "");
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(first_difference(read_file(case_dir / "expected" / name), read_file(scratch / name)), "") << name;
    fs::remove_all(scratch);
}

TEST(Simulation, RejectedValuesThrowTheReadersMessage) {
    InputValues in = read_case_input(EXAMPLES / "plane_beach");
    in.waves.H_WAVE = -1;
    try {
        Simulation run(in, {}, quiet());
        FAIL() << "accepted H_WAVE = -1";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        // One line per group: the line named is the group's number.
        EXPECT_STREQ(failure.what(),
                     "rejected input: group 1: H_WAVE = -1 must be greater than 0 "
                     "(input data file \"input values\", line 1)");
    }
    in.waves.H_WAVE = std::nan("");
    EXPECT_THROW(Simulation(in, {}, quiet()), RunFailure);
}

// The program's own message and status for a broken case folder, run as
// `tidmor DIR`: the program names the folder before the message.
void expect_same_failure_as_program(const fs::path& dir) {
    const fs::path out = make_scratch_dir("program-streams");
    const std::string command = "cd '" + out.string() + "' && '" TIDMOR_EXECUTABLE "' '" + dir.string() +
                                "' > stdout 2> stderr";
    const int raw = std::system(command.c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::string errors = read_file(out / "stderr");
    fs::remove_all(out);
    try {
        Simulation run(dir, quiet());
        run.initialize();
        FAIL() << "no failure in " << dir;
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), status);
        EXPECT_EQ("tidmor: case folder \"" + dir.string() + "\": " + failure.what() + "\n", errors);
    }
}

TEST(Simulation, FailuresAreExceptionsWithTheProgramsStatusAndMessage) {
    const fs::path dir = make_scratch_dir("failures");
    expect_same_failure_as_program(dir);  // no "SIM.FILE"
    write_file(dir / "SIM.FILE", "absent.dat\n");
    expect_same_failure_as_program(dir);  // no input data file
    write_file(dir / "SIM.FILE", "case.dat\n");
    write_file(dir / "case.dat", "0.5 8.0\n0.1 0.001 1.0 1.2 25.0\n0 0 0\n10 x\n");
    expect_same_failure_as_program(dir);  // a word for N_OUT
    fs::remove_all(dir);
}

TEST(Simulation, ANumericalBreakdownIsAnExceptionAndEndsTheRun) {
    const fs::path case_dir = CASES / "singular_aquifer_system";
    CaseRun program_like(copy_case(case_dir, "breakdown"));
    program_like.run();
    EXPECT_EQ(difference_from_expected(case_dir, program_like), "");
    fs::remove_all(program_like.folder);

    Simulation run(case_dir, quiet());
    try {
        run.initialize();
        while (true) run.update();
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_NUMERICAL);
    }
    EXPECT_THROW(run.update(), std::logic_error);
    run.finalize();  // closes what was open; no closing lines
    EXPECT_TRUE(run.finalized());
}

TEST(Simulation, CallsOutOfOrderAreLogicErrors) {
    Simulation run(EXAMPLES / "plane_beach", quiet());
    EXPECT_FALSE(run.initialized());
    EXPECT_THROW(run.update(), std::logic_error);
    run.initialize();
    EXPECT_THROW(run.initialize(), std::logic_error);
    run.update();
    run.finalize();
    EXPECT_THROW(run.update(), std::logic_error);
    EXPECT_THROW(run.finalize(), std::logic_error);
}

TEST(Simulation, UpdateUntilTakesWholeStepsWhileBelowTheTime) {
    Simulation run(EXAMPLES / "plane_beach", quiet());
    run.initialize();
    EXPECT_EQ(run.time_step(), 0.0);
    EXPECT_EQ(run.update_until(0.0), 0);
    const std::int64_t steps = run.update_until(10.0);
    EXPECT_GT(steps, 1);
    EXPECT_EQ(run.steps(), steps);
    // The last step passes 10 s by less than itself.
    EXPECT_GE(run.time(), 10.0);
    EXPECT_LT(run.time() - run.time_step(), 10.0);
    EXPECT_EQ(run.update_until(5.0), 0);
}

TEST(Simulation, WithoutResultFilesWritesNothingButTheConsoleIsTheSame) {
    const fs::path case_dir = EXAMPLES / "plane_beach";
    const fs::path scratch = copy_case(case_dir, "no-results");
    std::ostringstream console;
    SimulationOptions options = quiet();
    options.console = &console;
    Simulation run(scratch, options);
    run.initialize();
    do run.update();
    while (run.time() < run.end_time());
    run.finalize();
    EXPECT_EQ(console.str(), read_file(case_dir / "expected" / "console.txt"));
    EXPECT_FALSE(fs::exists(scratch / "outw.dat"));
    fs::remove_all(scratch);
}

TEST(Simulation, ValuesByNameAreViewsOfTheState) {
    Simulation run(EXAMPLES / "coupled_beach", quiet());
    run.initialize();
    run.update();
    const Model& m = run.model();
    EXPECT_EQ(run.value("Z_BED").data(), &m.BEACH_PROFILE.Z_BED[1]);
    EXPECT_EQ(run.value("land_surface__elevation").data(), &m.BEACH_PROFILE.Z_BED[1]);
    EXPECT_EQ(run.bed().size(), static_cast<std::size_t>(run.grid_nodes()));
    EXPECT_EQ(run.head().size(), static_cast<std::size_t>(run.boundary_nodes()));
    EXPECT_EQ(run.value("WATER_TABLE").size(), static_cast<std::size_t>(run.water_table_nodes()));
    EXPECT_EQ(run.value("WATER_TABLE")[0], m.NODE_PROPERTIES.Z_BND[run.face_nodes() + 1]);
    EXPECT_EQ(run.integer_value("N_SHORE")[0], run.shoreline_node());
    EXPECT_EQ(run.integer_value("KODE_BND").size(), static_cast<std::size_t>(run.boundary_nodes()));
    EXPECT_EQ(run.x()[1], run.grid_spacing());
    EXPECT_THROW(run.value("N_SHORE"), std::invalid_argument);
    EXPECT_THROW(run.integer_value("Z_BED"), std::invalid_argument);
    EXPECT_THROW(run.value("Z_BEDS"), std::invalid_argument);
    EXPECT_EQ(simulation_variables().size(), 16u);
    for (const Variable& v : simulation_variables()) {
        EXPECT_EQ(find_variable(v.standard_name)->name, v.name);
        EXPECT_FALSE(v.units.empty()) << v.name;
    }
}

// The velocities after the next step of two runs of one case, one of them
// changed between the steps by `change`.
template <typename Change>
void expect_next_step_changed(const fs::path& case_dir, Change change) {
    Simulation left(case_dir, quiet()), right(case_dir, quiet());
    left.initialize();
    right.initialize();
    left.update_until(8.0);
    right.update_until(8.0);
    change(right);
    left.update();
    right.update();
    const auto a = left.velocity(), b = right.velocity();
    bool differ = false;
    for (std::size_t j = 0; j < a.size(); ++j) differ = differ || !same_bits(a[j], b[j]);
    EXPECT_TRUE(differ);
}

TEST(Simulation, ASetBedIsTakenUpByTheNextStep) {
    expect_next_step_changed(EXAMPLES / "plane_beach", [](Simulation& run) {
        std::vector<double> bed(run.bed().begin(), run.bed().end());
        for (double& z : bed) z += 0.05 * std::sin(z);
        run.set_bed(bed);
        EXPECT_EQ(run.bed()[40], bed[40]);
    });
    Simulation run(EXAMPLES / "plane_beach", quiet());
    EXPECT_THROW(run.set_bed(std::vector<double>(3, 0.0)), std::invalid_argument);
    std::vector<double> bed(run.bed().begin(), run.bed().end());
    bed[2] = std::nan("");
    EXPECT_THROW(run.set_bed(bed), std::invalid_argument);
}

TEST(Simulation, ASetFlowThroughTheBedIsTakenUpWithTheAquiferOff) {
    expect_next_step_changed(EXAMPLES / "plane_beach", [](Simulation& run) {
        std::vector<double> infil(static_cast<std::size_t>(run.grid_nodes()), 1e-4);
        run.set_value("INFIL", infil);
        EXPECT_EQ(run.infiltration()[10], 1e-4);
    });
    Simulation coupled(EXAMPLES / "coupled_beach", quiet());
    EXPECT_THROW(coupled.set_infiltration(std::vector<double>(static_cast<std::size_t>(coupled.grid_nodes()), 0.0)),
                 std::logic_error);
    EXPECT_THROW(coupled.set_value("H_DIM", coupled.value("H_DIM")), std::invalid_argument);
}

TEST(Simulation, WarningsAreKeptAndWrittenAsTheProgramWritesThem) {
    const fs::path dir = make_scratch_dir("warnings");
    write_file(dir / "SIM.FILE", "case.dat\n");
    InputValues in = read_case_input(EXAMPLES / "coupled_beach");
    in.well.Q_WELL = -0.001;  // no well is pumped
    write_file(dir / "case.dat", input_text(in));
    std::ostringstream errors;
    SimulationOptions options = quiet();
    options.errors = &errors;
    Simulation run(dir, options);
    ASSERT_EQ(run.warnings().size(), 1u);
    EXPECT_EQ(errors.str(), "tidmor: warning: " + run.warnings()[0] + "\n");
    const RunResult program = run_model_in(dir);
    EXPECT_EQ(program.errors.substr(0, errors.str().size()), errors.str());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
