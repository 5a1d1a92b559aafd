// Cost of the aquifer step: one boundary solve, plain against reuse of the
// recorded system, at several mesh sizes; the whole coupled example with and
// without reuse and without the aquifer; the start-up relaxation with one
// and two threads. The plain path (reuse off, one thread) of this same
// binary is the reference of every ratio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "aquifer/boundary_elements.hpp"
#include "run/tidmor.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;

// A closed aquifer polygon of n nodes, clockwise: a 1:10 beach face and a
// level water table (heads given, code 1), a vertical landward side and the
// impermeable bottom (derivative given, code 2), nodes evenly spaced.
void set_polygon(Model& m, int n) {
    const double length = 25.0, height = 1.5;
    const double corners[5][2] = {{0.0, 0.0}, {15.0, height}, {length, height}, {length, 0.0}, {0.0, 0.0}};
    double perimeter = 0.0;
    double side[4];
    for (int s = 0; s < 4; ++s) {
        side[s] = std::hypot(corners[s + 1][0] - corners[s][0], corners[s + 1][1] - corners[s][1]);
        perimeter += side[s];
    }
    auto& nodes = m.NODE_PROPERTIES;
    for (int j = 1; j <= n; ++j) {
        double d = perimeter * (j - 1) / n;
        int s = 0;
        while (d > side[s]) d -= side[s++];
        const double t = d / side[s];
        nodes.X_BND[j] = corners[s][0] + t * (corners[s + 1][0] - corners[s][0]);
        nodes.Z_BND[j] = corners[s][1] + t * (corners[s + 1][1] - corners[s][1]);
        nodes.KODE_BND[j] = s < 2 ? 1 : 2;
    }
    m.CONFIG_BOUND.N_BND = n;
}

void reset_values(Model& m, int n) {
    auto& nodes = m.NODE_PROPERTIES;
    for (int j = 1; j <= n; ++j) {
        nodes.PHI_BND[j] = nodes.KODE_BND[j] == 1 ? 1.0 + 0.01 * nodes.X_BND[j] : 0.0;
        nodes.Q_BND[j] = 0.0;
    }
}

// One aquifer solve of an n-node boundary. Arguments: n, reuse, threads.
void BM_BoundarySolve(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    RunOptions options;
    options.reuse = state.range(1) != 0;
    options.threads = static_cast<int>(state.range(2));
    auto model = make_model();
    Model& m = *model;
    std::ostringstream console;
    Units units;
    units.console = &console;
    m.aquifer_solver.configure(options);
    set_polygon(m, n);
    reset_values(m, n);
    solve_boundary_system(m, units);  // the miss that records the geometry
    for (auto _ : state) {
        reset_values(m, n);
        solve_boundary_system(m, units);
        benchmark::DoNotOptimize(m.NODE_PROPERTIES.Q_BND.v.data());
    }
    state.counters["N"] = n;
    state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cache_MB"] = static_cast<double>(m.aquifer_solver.cache.bytes()) / 1048576.0;
}

void solve_sizes(benchmark::internal::Benchmark* b) {
    for (int n : {52, 106, 213, 500, 999}) {
        b->Args({n, 0, 1});  // plain
        b->Args({n, 1, 1});  // reuse
        if (n >= 106) b->Args({n, 0, 2});  // plain, two threads
    }
}
BENCHMARK(BM_BoundarySolve)->Apply(solve_sizes)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A copy of the coupled example in a scratch folder, with the changes given
// as (line start, replacement line) pairs.
using Edits = std::vector<std::pair<std::string, std::string>>;

fs::path scratch_case(const std::string& label, const Edits& edits = {}) {
    const fs::path source = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "coupled_beach";
    const fs::path dir = fs::temp_directory_path() / ("tidmor_bench_" + label);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(source / "SIM.FILE", dir / "SIM.FILE");
    std::ifstream in(source / "beach.dat");
    std::ofstream out(dir / "beach.dat");
    for (std::string line; std::getline(in, line);) {
        for (const auto& [from, to] : edits)
            if (line.rfind(from, 0) == 0) line = to;
        out << line << '\n';
    }
    return dir;
}

void run_case(benchmark::State& state, const fs::path& dir, const RunOptions& options) {
    const fs::path here = fs::current_path();
    fs::current_path(dir);
    AquiferSolveCounts counts;
    for (auto _ : state) {
        std::ostringstream console, errors;
        if (TIDMOR(console, errors, options, counts) != 0) state.SkipWithError(errors.str().c_str());
    }
    fs::current_path(here);
    fs::remove_all(dir);
    const double solves = static_cast<double>(counts.hits + counts.misses + counts.plain);
    state.counters["solves"] = solves;
    state.counters["hit_rate"] = counts.hits + counts.misses > 0
                                     ? static_cast<double>(counts.hits) / static_cast<double>(counts.hits + counts.misses)
                                     : 0.0;
    state.counters["geometries"] = static_cast<double>(counts.cache_entries);
    state.counters["cache_MB"] = static_cast<double>(counts.cache_peak_bytes) / 1048576.0;
}

RunOptions options_of(bool reuse, int threads) {
    RunOptions o;
    o.reuse = reuse;
    o.threads = threads;
    return o;
}

// The coupled example (30 wave periods, profile update on). Arguments:
// reuse, threads.
void BM_CoupledExample(benchmark::State& state) {
    run_case(state, scratch_case("coupled"), options_of(state.range(0) != 0, static_cast<int>(state.range(1))));
}
BENCHMARK(BM_CoupledExample)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Iterations(1)->Unit(benchmark::kSecond);

// The same with the profile held fixed.
void BM_CoupledFixedProfile(benchmark::State& state) {
    run_case(state,
             scratch_case("fixed", {{"1  1 ", "1  0      I_INFIL (aquifer on), I_MORPH (profile update off)"}}),
             options_of(state.range(0) != 0, static_cast<int>(state.range(1))));
}
BENCHMARK(BM_CoupledFixedProfile)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Iterations(1)->Unit(benchmark::kSecond);

// The same beach without the aquifer.
void BM_BeachWithoutAquifer(benchmark::State& state) {
    run_case(state, scratch_case("dry", {{"1  1 ", "0  1      I_INFIL (aquifer off), I_MORPH"}}),
             options_of(true, 1));
}
BENCHMARK(BM_BeachWithoutAquifer)->Iterations(3)->Unit(benchmark::kSecond);

// Start-up: the relaxation of the water table followed by a single time
// step, at the example's element length and at 0.14 m (216 nodes).
// Arguments: threads, element length in cm, reuse (which keeps the kernel
// integrals of the nodes a sweep leaves in place).
void BM_StartupRelaxation(benchmark::State& state) {
    const std::string l_elem = std::to_string(static_cast<double>(state.range(1)) / 100.0);
    run_case(state,
             scratch_case("startup", {{"244.0", "0.001  50      T_MAX (s), N_OUT (steps)"},
                                      {"0.0141", "0.0141  0.01  " + l_elem + "   DX_ND, H_CUT, L_ELEM (m)"}}),
             options_of(state.range(2) != 0, static_cast<int>(state.range(0))));
}
BENCHMARK(BM_StartupRelaxation)
    ->ArgsProduct({{1, 2}, {50, 14}, {0, 1}})
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tidmor

BENCHMARK_MAIN();
