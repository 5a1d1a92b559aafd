// Checkpoints and restarts: a run stopped at a chosen step and restarted
// from its checkpoint (once or twice) writes exactly the result files of the
// straight run, and its standard outputs put together are exactly the
// straight run's; a real SIGTERM and SIGUSR1 do the same.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "api/checkpoint.hpp"
#include "api/simulation.hpp"
#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};

// Runs the program in `dir` with `args`; standard output to `out`, standard
// error to `err` (names in the folder). Returns the exit status.
int run_program(const fs::path& dir, const std::string& args, const std::string& out, const std::string& err) {
    const std::string command = "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' " + args + " > " + out +
                                " 2> " + err;
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

fs::path copy_case(const fs::path& case_dir, const std::string& label) {
    const fs::path scratch = make_scratch_dir(label);
    for (const auto& entry : fs::directory_iterator(case_dir))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            fs::copy_file(entry.path(), scratch / entry.path().filename());
    return scratch;
}

// The steps of a case's straight run, as the in-process interface sees them.
struct StepMarks {
    std::vector<int> period_ends;       // steps that closed a wave period
    std::vector<int> in_ramp;           // steps 1..19 after a profile update, in its slope ramp
    std::vector<int> after_record;      // steps right after a tenth-period profile record
    std::vector<int> last_periods;      // steps in the last four periods, where snapshots are taken
    int steps = 0;
};

StepMarks step_marks(const fs::path& case_dir) {
    SimulationOptions options;
    options.write_results = false;
    Simulation sim(case_dir, options);
    sim.initialize();
    StepMarks marks;
    const Model& m = sim.model();
    const double t_last = m.TIME_RELATED.T_MAX - 4.0 * m.WAVE_CONSD.T_WAVE;
    bool record_before = false;
    while (sim.time() < sim.end_time()) {
        const double n_period_before = m.N_CAL.N_PERIOD;
        const bool closed = sim.update();
        const int step = static_cast<int>(sim.steps());
        if (record_before) marks.after_record.push_back(step);
        // The profile update counts the period before the output writes the
        // record of every tenth and sets the count back to 0.
        record_before = closed && m.N_CAL.N_PERIOD < n_period_before;
        if (closed) marks.period_ends.push_back(step);
        if (m.INDEX_INFIL.I_MORPH == 1 && m.SED_INT.N_RAMP > 0 && m.SED_INT.N_RAMP < 20 && !marks.period_ends.empty())
            marks.in_ramp.push_back(step);
        if (sim.time() > t_last) marks.last_periods.push_back(step);
    }
    marks.steps = static_cast<int>(sim.steps());
    return marks;
}

// Stops the case after each of `stops` (in increasing order), restarting
// from the checkpoint each time, and compares with the expected files.
void expect_restarts_match(const fs::path& case_dir, const std::vector<int>& stops, const std::string& label) {
    const fs::path dir = copy_case(case_dir, "restart-" + label);
    std::string console;
    for (std::size_t k = 0; k <= stops.size(); ++k) {
        std::string args = k == 0 ? "--checkpoint-every 1000000" : "--restart";
        if (k < stops.size()) args += " --stop-after-step " + std::to_string(stops[k]);
        const std::string out = "console" + std::to_string(k) + ".txt";
        const std::string err = "errors" + std::to_string(k) + ".txt";
        const int status = run_program(dir, args + " --threads 1", out, err);
        console += read_file(dir / out);
        if (k < stops.size()) {
            ASSERT_EQ(status, 143) << "stop after step " << stops[k] << ": " << read_file(dir / err);
            ASSERT_TRUE(fs::exists(dir / CHECKPOINT_FILE));
            EXPECT_FALSE(fs::exists(dir / CHECKPOINT_TEMPORARY_FILE));
        } else {
            EXPECT_EQ(std::to_string(status) + "\n", read_file(case_dir / "expected" / "status"));
            EXPECT_EQ(read_file(dir / err), read_file(case_dir / "expected" / "stderr.txt"));
            EXPECT_FALSE(fs::exists(dir / CHECKPOINT_FILE)) << "a finished run keeps no checkpoint";
        }
    }
    for (const char* file : RESULT_FILES) {
        const std::string diff = first_difference(read_file(case_dir / "expected" / file), read_file(dir / file));
        EXPECT_TRUE(diff.empty()) << file << " after restarts at " << ::testing::PrintToString(stops) << ":\n" << diff;
    }
    const std::string diff = first_difference(read_file(case_dir / "expected" / "console.txt"), console);
    EXPECT_TRUE(diff.empty()) << "standard output after restarts at " << ::testing::PrintToString(stops) << ":\n"
                              << diff;
    if (!::testing::Test::HasFailure()) fs::remove_all(dir);
}

fs::path source_case(const std::string& name) {
    for (const char* root : {"examples", "tests/run/cases"}) {
        const fs::path dir = fs::path(TIDMOR_SOURCE_DIR) / root / name;
        if (fs::exists(dir)) return dir;
    }
    return {};
}

// The middle entry of a list of steps.
int middle(const std::vector<int>& steps) { return steps.empty() ? 0 : steps[steps.size() / 2]; }

struct RestartCase {
    const char* name;
    bool every_point;  // all the stops below, or one in the middle and two in one run
};

class Restart : public ::testing::TestWithParam<RestartCase> {};

TEST_P(Restart, GivesTheStraightRunByteForByte) {
    const fs::path case_dir = source_case(GetParam().name);
    ASSERT_FALSE(case_dir.empty());
    const StepMarks marks = step_marks(case_dir);
    ASSERT_GT(marks.steps, 2);
    if (!GetParam().every_point) {
        expect_restarts_match(case_dir, {marks.steps / 3, 2 * marks.steps / 3}, "twice");
        return;
    }
    // Each of these cases updates its profile and keeps at least one tenth-period record.
    ASSERT_FALSE(marks.in_ramp.empty() || marks.last_periods.empty() || marks.after_record.empty());
    ASSERT_GT(marks.period_ends.size(), 10u);
    expect_restarts_match(case_dir, {middle(marks.in_ramp)}, "ramp");
    expect_restarts_match(case_dir, {middle(marks.last_periods)}, "snapshots");
    expect_restarts_match(case_dir, {middle(marks.period_ends)}, "boundary");
    expect_restarts_match(case_dir, {marks.after_record.front()}, "record");
    expect_restarts_match(case_dir, {1, marks.steps - 1}, "first-and-last");
}

// The fast cases at every point; the long aquifer cases twice in one run.
INSTANTIATE_TEST_SUITE_P(Cases, Restart,
                         ::testing::Values(RestartCase{"plane_beach", true}, RestartCase{"run_down", false},
                                           RestartCase{"coupled_beach", true},
                                           RestartCase{"drained_beach", false},
                                           RestartCase{"long_coupled_with_well", true},
                                           RestartCase{"profile_eleven_periods", true},
                                           RestartCase{"swash_three_periods", false},
                                           RestartCase{"aquifer_one_period", false},
                                           RestartCase{"aquifer_with_well", false},
                                           RestartCase{"fine_aquifer_mesh", false}),
                         [](const ::testing::TestParamInfo<RestartCase>& info) { return std::string(info.param.name); });

// Waits until the console file holds `periods` progress lines.
void wait_for_periods(const fs::path& console, int periods) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const std::string text = read_file(console);
        int lines = 0;
        for (std::size_t at = text.find("Elapsed time:"); at != std::string::npos; at = text.find("Elapsed time:", at + 1))
            ++lines;
        if (lines >= periods || std::chrono::steady_clock::now() > give_up) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST(RestartSignals, SigusrOneWritesACheckpointAndSigtermStopsWithOne) {
    const fs::path case_dir = source_case("coupled_beach");
    const fs::path dir = copy_case(case_dir, "restart-signals");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        if (!std::freopen("console0.txt", "w", stdout) || !std::freopen("errors0.txt", "w", stderr)) ::_exit(127);
        ::execl(TIDMOR_EXECUTABLE, TIDMOR_EXECUTABLE, "--checkpoint-every", "1000", "--threads", "1",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    wait_for_periods(dir / "console0.txt", 3);
    ::kill(pid, SIGUSR1);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(dir / CHECKPOINT_FILE) && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(fs::exists(dir / CHECKPOINT_FILE)) << "SIGUSR1 wrote no checkpoint";
    wait_for_periods(dir / "console0.txt", 6);
    int raw = 0;
    ASSERT_EQ(::waitpid(pid, &raw, WNOHANG), 0) << "SIGUSR1 ended the run";
    ::kill(pid, SIGTERM);
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw));
    ASSERT_EQ(WEXITSTATUS(raw), 143) << read_file(dir / "errors0.txt");
    EXPECT_NE(read_file(dir / "errors0.txt").find("go on with tidmor --restart"), std::string::npos);
    ASSERT_EQ(run_program(dir, "--restart", "console1.txt", "errors1.txt"), 0) << read_file(dir / "errors1.txt");
    for (const char* file : RESULT_FILES)
        EXPECT_TRUE(read_file(case_dir / "expected" / file) == read_file(dir / file)) << file;
    EXPECT_EQ(read_file(case_dir / "expected" / "console.txt"),
              read_file(dir / "console0.txt") + read_file(dir / "console1.txt"));
    if (!::testing::Test::HasFailure()) fs::remove_all(dir);
}

TEST(Restart, FromAnEarlierCheckpointCutsTheResultFilesBack) {
    // A run killed (SIGKILL, a node lost) some periods after its last
    // periodic checkpoint wrote more than the checkpoint holds: the restart
    // cuts the result files back to it and writes the rest again.
    const fs::path case_dir = source_case("plane_beach");
    const fs::path dir = copy_case(case_dir, "restart-cut-back");
    const StepMarks marks = step_marks(case_dir);
    ASSERT_GT(marks.period_ends.size(), 12u);
    ASSERT_EQ(run_program(dir, "--checkpoint-every 5 --stop-after-step " + std::to_string(marks.period_ends[4]),
                          "console0.txt", "errors0.txt"),
              143);
    fs::copy_file(dir / CHECKPOINT_FILE, dir / "period5.checkpoint");
    ASSERT_EQ(run_program(dir, "--restart --checkpoint-every 5 --stop-after-step " +
                                   std::to_string(marks.period_ends[11] + 7),
                          "console1.txt", "errors1.txt"),
              143);
    fs::copy_file(dir / "period5.checkpoint", dir / CHECKPOINT_FILE, fs::copy_options::overwrite_existing);
    fs::remove(dir / "period5.checkpoint");
    ASSERT_EQ(run_program(dir, "--restart", "console2.txt", "errors2.txt"), 0) << read_file(dir / "errors2.txt");
    for (const char* file : RESULT_FILES)
        EXPECT_TRUE(read_file(case_dir / "expected" / file) == read_file(dir / file)) << file;
    EXPECT_EQ(read_file(case_dir / "expected" / "console.txt"),
              read_file(dir / "console0.txt") + read_file(dir / "console2.txt"));
    if (!::testing::Test::HasFailure()) fs::remove_all(dir);
}

TEST(Restart, KeepsTheWatchOfTheLastPeriodsForTheWarningAtTheEnd) {
    // Half a wave period, all of it within the last four periods, with an
    // N_OUT too large for any step to be a snapshot step: the warning at the
    // end counts the steps from the first, across the restart.
    const fs::path dir = make_scratch_dir("restart-snapshot-watch");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat",
               "0.5 8.0\n0.1 0.001 1.0 1.0 20.0\n0.00001 15.0 0.5\n4.0 5000\n0 0\n0.01 0.6 0.5 0.63\n"
               "0.0141 0.01 0.5\n0.5\n");
    ASSERT_EQ(run_program(dir, "", "straight-console.txt", "straight-errors.txt"), 0);
    const std::string straight = read_file(dir / "straight-errors.txt");
    ASSERT_NE(straight.find("none of the 157 steps of the last four wave periods"), std::string::npos) << straight;
    ASSERT_EQ(run_program(dir, "--checkpoint-every 1 --stop-after-step 80", "console0.txt", "errors0.txt"), 143);
    ASSERT_EQ(run_program(dir, "--restart", "console1.txt", "errors1.txt"), 0);
    EXPECT_EQ(read_file(dir / "errors1.txt"), straight);
    if (!::testing::Test::HasFailure()) fs::remove_all(dir);
}

// Every file of a folder and its bytes.
std::map<std::string, std::string> folder_bytes(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = read_file(entry.path());
    return files;
}

std::string flip_byte(std::string text, std::size_t at) {
    text[at] = static_cast<char>(text[at] ^ 0x20);
    return text;
}

// A checkpoint with its header changed and sealed again, as another
// program or a later format would write it.
void reseal(const fs::path& file, const std::function<void(CheckpointHeader&)>& change) {
    const std::string bytes = read_file(file);
    DecodedCheckpoint checkpoint = decode_checkpoint(bytes);
    change(checkpoint.header);
    write_file(file, encode_checkpoint(checkpoint.header, checkpoint.state));
}

struct Refusal {
    const char* name;
    std::function<void(const fs::path&)> change;  // done to the stopped case's folder
    const char* reason;                           // in the message
};

class RestartRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(RestartRefusal, EndsWithStatusOneAndTheReasonAndChangesNothing) {
    const fs::path case_dir = source_case("plane_beach");
    const StepMarks marks = step_marks(case_dir);
    ASSERT_GT(marks.period_ends.size(), 15u);
    const fs::path dir = copy_case(case_dir, std::string("refusal-") + GetParam().name);
    const fs::path out = dir.string() + ".out", err = dir.string() + ".err";
    // Stopped after its first profile record, so that every result file holds lines.
    ASSERT_EQ(run_program(dir, "--checkpoint-every 1000 --stop-after-step " + std::to_string(marks.period_ends[14]),
                          out.string(), err.string()),
              143);
    GetParam().change(dir);
    const auto before = folder_bytes(dir);
    EXPECT_EQ(run_program(dir, "--restart", out.string(), err.string()), 1);
    const std::string errors = read_file(err);
    EXPECT_NE(errors.find(GetParam().reason), std::string::npos) << errors;
    EXPECT_NE(errors.find("no file has been changed"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(read_file(out), "") << "a refused restart printed console lines";
    EXPECT_TRUE(folder_bytes(dir) == before) << "a refused restart changed a file";
    fs::remove_all(dir);
    fs::remove(out);
    fs::remove(err);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, RestartRefusal,
    ::testing::Values(
        Refusal{"NoCheckpoint", [](const fs::path& d) { fs::remove(d / CHECKPOINT_FILE); }, "there is none"},
        Refusal{"ChangedInput",
                [](const fs::path& d) { write_file(d / "beach.dat", read_file(d / "beach.dat") + "\n"); },
                "the input data file has changed"},
        Refusal{"ChangedControlFile", [](const fs::path& d) { write_file(d / "SIM.FILE", "beach.dat  \n"); },
                "the control file \"SIM.FILE\" has changed"},
        Refusal{"ShorterResultFile",
                [](const fs::path& d) {
                    const std::string outb = read_file(d / "outb.dat");
                    write_file(d / "outb.dat", outb.substr(0, outb.size() - 53));
                },
                "the result file \"outb.dat\" holds"},
        Refusal{"ChangedResultFile",
                [](const fs::path& d) {
                    const std::string outs = read_file(d / "outs.dat");
                    write_file(d / "outs.dat", flip_byte(outs, outs.size() / 2));
                },
                "the result file \"outs.dat\" has changed since the checkpoint"},
        Refusal{"MissingResultFile", [](const fs::path& d) { fs::remove(d / "outb.dat"); },
                "the result file \"outb.dat\" is missing"},
        Refusal{"DamagedCheckpoint",
                [](const fs::path& d) {
                    const std::string bytes = read_file(d / CHECKPOINT_FILE);
                    write_file(d / CHECKPOINT_FILE, flip_byte(bytes, bytes.size() / 2));
                },
                "its seal does not match"},
        Refusal{"CutShortCheckpoint",
                [](const fs::path& d) {
                    const std::string bytes = read_file(d / CHECKPOINT_FILE);
                    write_file(d / CHECKPOINT_FILE, bytes.substr(0, bytes.size() / 2));
                },
                "cut short"},
        Refusal{"ForeignFile", [](const fs::path& d) { write_file(d / CHECKPOINT_FILE, "P5\n1 1\n255\n\x7f"); },
                "it is not a checkpoint of tidmor"},
        Refusal{"AnotherProgram",
                [](const fs::path& d) { reseal(d / CHECKPOINT_FILE, [](CheckpointHeader& h) { h.program = "tidmor 0.9"; }); },
                "it was written by \"tidmor 0.9\""},
        Refusal{"AnotherFormat",
                [](const fs::path& d) {
                    reseal(d / CHECKPOINT_FILE, [](CheckpointHeader& h) { h.format = CHECKPOINT_FORMAT + 1; });
                },
                "it is of format 3, and this program reads format 2"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tidmor
