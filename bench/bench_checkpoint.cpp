// The cost of a checkpoint: its size, the time to encode the state, and
// the time to write it as the program does (encoded, written under the
// temporary name, flushed to the disk, renamed, the folder flushed), for
// the examples and the finest aquifer mesh the examples' beach allows
// (L_ELEM 0.11 m, about 280 boundary nodes). Each case is first run for
// 2000 steps (past the start-up), so that its arrays hold a running state.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "api/checkpoint.hpp"
#include "api/model_state.hpp"
#include "api/simulation.hpp"

namespace {

namespace fs = std::filesystem;

struct BenchCase {
    const char* name;
    const char* folder;    // under the source tree
    const char* l_elem;    // replaces L_ELEM when given
};
const BenchCase CASES[] = {{"plane_beach", "examples/plane_beach", nullptr},
                           {"coupled_beach", "examples/coupled_beach", nullptr},
                           {"drained_beach", "examples/drained_beach", nullptr},
                           {"finest_mesh", "examples/coupled_beach", "0.11"}};

fs::path scratch_case(const BenchCase& c) {
    const fs::path source = fs::path(TIDMOR_SOURCE_DIR) / c.folder;
    const fs::path dir = fs::temp_directory_path() / (std::string("tidmor_bench_checkpoint_") + c.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(source / "SIM.FILE", dir / "SIM.FILE");
    std::ifstream in(source / "beach.dat");
    std::ofstream out(dir / "beach.dat");
    std::string line;
    for (int group = 1; std::getline(in, line); ++group) {
        // Group 7: DX_ND, H_CUT, L_ELEM.
        if (group == 7 && c.l_elem != nullptr) {
            std::istringstream values(line);
            std::string dx_nd, h_cut;
            values >> dx_nd >> h_cut;
            line = dx_nd + " " + h_cut + " " + c.l_elem;
        }
        out << line << '\n';
    }
    return dir;
}

tidmor::Simulation running(const BenchCase& c) {
    tidmor::SimulationOptions options;
    options.threads = 1;
    tidmor::Simulation sim(scratch_case(c), options);
    sim.initialize();
    for (int k = 0; k < 2000 && sim.time() < sim.end_time(); ++k) sim.update();
    return sim;
}

void BM_EncodeCheckpoint(benchmark::State& state) {
    const BenchCase& c = CASES[state.range(0)];
    tidmor::Simulation sim = running(c);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string file = tidmor::encode_checkpoint({}, tidmor::encode_model_state(sim.model()));
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetLabel(c.name);
    state.counters["kB"] = static_cast<double>(bytes) / 1000.0;
    state.counters["N_BND"] = sim.boundary_nodes();
    state.counters["N_GRID"] = sim.grid_nodes();
}
BENCHMARK(BM_EncodeCheckpoint)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_SaveCheckpoint(benchmark::State& state) {
    const BenchCase& c = CASES[state.range(0)];
    tidmor::Simulation sim = running(c);
    for (auto _ : state) sim.save_checkpoint("tidmor bench");
    state.SetLabel(c.name);
    state.counters["kB"] = static_cast<double>(fs::file_size(sim.result_folder() / tidmor::CHECKPOINT_FILE)) / 1000.0;
    fs::remove_all(sim.result_folder());
}
BENCHMARK(BM_SaveCheckpoint)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
