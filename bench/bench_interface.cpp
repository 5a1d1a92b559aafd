// The cost of the in-process interface: the time loop stepped by the
// model's own routines, by Simulation::update, by the BMI's Update, and by
// the program, on the same case; and single calls of the BMI getters.
//
// The steps alone are timed (start-up excluded); the interface's overhead
// is the step time through Simulation or the BMI over that of the plain
// loop (goal: under 1 %). Results go nowhere in all three, so that only
// the stepping is compared.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>

#include "api/bmi.hpp"
#include "api/simulation.hpp"
#include "api/time_step.hpp"
#include "aquifer/aquifer_ini.hpp"
#include "input/control_file.hpp"
#include "input/input_data.hpp"
#include "output/output.hpp"
#include "run/tidmor.hpp"

namespace {

namespace fs = std::filesystem;

fs::path example(const char* name) { return fs::path(TIDMOR_SOURCE_DIR) / "examples" / name; }
const char* const CASES[] = {"plane_beach", "coupled_beach"};

class Nowhere : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Seconds of CPU time of this thread: the runs below use one thread, so
// that other work on the machine does not enter the figures.
double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

tidmor::SimulationOptions one_thread() {
    tidmor::SimulationOptions options;
    options.threads = 1;
    options.write_results = false;
    return options;
}

struct Stepped {
    double seconds = 0;  // CPU time of the steps
    double steps = 0;
};

// The model's routines called directly, as the program called them before
// the interface existed.
Stepped steps_plain(const fs::path& folder) {
    auto model = tidmor::make_model();
    tidmor::Model& m = *model;
    m.aquifer_solver.configure(one_thread());
    Nowhere discard;
    std::ostream nowhere(&discard);
    tidmor::Units units;
    units.console = &nowhere;
    for (tidmor::OutputUnit* unit : {&units.outw, &units.outb, &units.outg, &units.outs}) unit->stream = &nowhere;
    const std::string name = tidmor::read_control_file(tidmor::CONTROL_FILE, nullptr, folder);
    std::ifstream unit5(folder / name);
    tidmor::INPUT_DATA(m, unit5, name);
    if (m.INDEX_INFIL.I_INFIL == 1) tidmor::AQUIFER_INI(m, units);
    tidmor::OUTPUT_INI(m, units);
    m.TIME_RELATED.TIME = 0;
    m.SED_TRANS.T_CYCLE = 0;
    m.N_CAL.N_STEP = 0;
    const double start = thread_seconds();
    do tidmor::time_step(m, units);
    while (m.TIME_RELATED.TIME < m.TIME_RELATED.T_MAX);
    return {thread_seconds() - start, m.N_CAL.N_STEP};
}

Stepped steps_simulation(const fs::path& folder) {
    tidmor::Simulation run(folder, one_thread());
    run.initialize();
    const double start = thread_seconds();
    do run.update();
    while (run.time() < run.end_time());
    return {thread_seconds() - start, static_cast<double>(run.steps())};
}

Stepped steps_bmi(const fs::path& folder) {
    tidmor::BmiTidmor bmi(one_thread());
    bmi.Initialize(folder.string());
    const double start = thread_seconds();
    do bmi.Update();
    while (bmi.GetCurrentTime() < bmi.GetEndTime());
    return {thread_seconds() - start, static_cast<double>(bmi.simulation().steps())};
}

// The three in turn, round after round, in a rotating order; the least time of each over the
// rounds is its cost with the least disturbance. Reports the time per step
// of the plain loop and the overhead of Simulation and of the BMI (%).
void BM_interface_overhead(benchmark::State& state) {
    const fs::path folder = example(CASES[state.range(0)]);
    double plain = 1e300, simulation = 1e300, bmi = 1e300, steps = 0;
    int round = 0;
    for (auto _ : state) {
        // Each takes its turn first, so that no order favours one.
        Stepped a, b, c;
        switch (round++ % 3) {
        case 0:
            a = steps_plain(folder), b = steps_simulation(folder), c = steps_bmi(folder);
            break;
        case 1:
            b = steps_simulation(folder), c = steps_bmi(folder), a = steps_plain(folder);
            break;
        default:
            c = steps_bmi(folder), a = steps_plain(folder), b = steps_simulation(folder);
            break;
        }
        if (a.steps != b.steps || a.steps != c.steps) state.SkipWithError("the runs took different steps");
        plain = std::min(plain, a.seconds);
        simulation = std::min(simulation, b.seconds);
        bmi = std::min(bmi, c.seconds);
        steps = a.steps;
    }
    state.counters["steps"] = steps;
    state.counters["plain_us_per_step"] = 1e6 * plain / steps;
    state.counters["simulation_overhead_pct"] = 100.0 * (simulation - plain) / plain;
    state.counters["bmi_overhead_pct"] = 100.0 * (bmi - plain) / plain;
    // The same as time per step: what the interface adds to each step.
    state.counters["simulation_ns_per_step"] = 1e9 * (simulation - plain) / steps;
    state.counters["bmi_ns_per_step"] = 1e9 * (bmi - plain) / steps;
}

// The whole program in a scratch folder, result files and start-up included.
void BM_program(benchmark::State& state) {
    const fs::path source = example(CASES[state.range(0)]);
    const fs::path scratch = fs::temp_directory_path() / "tidmor_bench_interface";
    const fs::path home = fs::current_path();
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    for (const auto& entry : fs::directory_iterator(source))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), scratch / entry.path().filename());
    fs::current_path(scratch);
    for (auto _ : state) {
        std::ostringstream console, errors;
        if (tidmor::TIDMOR(console, errors) != 0) state.SkipWithError("the example failed");
    }
    fs::current_path(home);
    fs::remove_all(scratch);
}

// One getter call on a running model.
template <typename Call>
void bmi_call(benchmark::State& state, Call call) {
    tidmor::BmiTidmor bmi(false);
    bmi.Initialize(example("coupled_beach").string());
    bmi.Update();
    for (auto _ : state) call(bmi);
}

void BM_bmi_get_value_ptr(benchmark::State& state) {
    const std::string name = "land_surface__elevation";
    bmi_call(state, [&name](tidmor::BmiTidmor& bmi) { benchmark::DoNotOptimize(bmi.GetValuePtr(name)); });
}

void BM_bmi_get_value(benchmark::State& state) {
    const std::string name = "land_surface__elevation";
    std::vector<double> buffer(4000);
    bmi_call(state, [&](tidmor::BmiTidmor& bmi) {
        bmi.GetValue(name, buffer.data());
        benchmark::ClobberMemory();
    });
}

void BM_bmi_get_grid_size(benchmark::State& state) {
    bmi_call(state, [](tidmor::BmiTidmor& bmi) { benchmark::DoNotOptimize(bmi.GetGridSize(tidmor::BOUNDARY_GRID)); });
}

// Range 0: the plane beach (aquifer off, about 3 us a step, where a cost of
// the interface would show most); 1: the coupled example.
BENCHMARK(BM_interface_overhead)->Arg(0)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_interface_overhead)->Arg(1)->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_program)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_bmi_get_value_ptr);
BENCHMARK(BM_bmi_get_value);
BENCHMARK(BM_bmi_get_grid_size);

}  // namespace

BENCHMARK_MAIN();
