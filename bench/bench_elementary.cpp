// Cost of the correctly rounded elementary functions against the C
// library's, per call, on arguments from the ranges the model uses; and one
// whole run of the coupled example (compare with a build using the C
// library's functions to see what correct rounding costs the model).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "common/elementary.hpp"
#include "run/tidmor.hpp"

namespace {

constexpr std::size_t ARGUMENTS = 4096;

std::vector<double> uniform(double low, double high) {
    std::mt19937_64 generator(42);
    std::uniform_real_distribution<double> draw(low, high);
    std::vector<double> values(ARGUMENTS);
    for (double& v : values) v = draw(generator);
    return values;
}

template <double (*F)(double)>
void per_call(benchmark::State& state, const std::vector<double>& arguments) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(arguments[i]));
        i = (i + 1) % ARGUMENTS;
    }
}

double libm_log(double x) { return std::log(x); }
double libm_exp(double x) { return std::exp(x); }
double libm_cos(double x) { return std::cos(x); }
double libm_tan(double x) { return std::tan(x); }
double libm_atan(double x) { return std::atan(x); }
double libm_acos(double x) { return std::acos(x); }

// Distances of boundary elements (m); exponents of transport and seepage;
// wave phases over a long run; angles; slopes; cosines.
const std::vector<double> LOG_ARGS = uniform(1e-3, 50.0);
const std::vector<double> EXP_ARGS = uniform(-30.0, 30.0);
const std::vector<double> COS_ARGS = uniform(-2.0, 2e4);
const std::vector<double> TAN_ARGS = uniform(-1.5, 1.5);
const std::vector<double> ATAN_ARGS = uniform(-5.0, 5.0);
const std::vector<double> ACOS_ARGS = uniform(0.0, 1.0);

void BM_cr_log(benchmark::State& s) { per_call<tidmor::cr_log>(s, LOG_ARGS); }
void BM_libm_log(benchmark::State& s) { per_call<libm_log>(s, LOG_ARGS); }
void BM_cr_exp(benchmark::State& s) { per_call<tidmor::cr_exp>(s, EXP_ARGS); }
void BM_libm_exp(benchmark::State& s) { per_call<libm_exp>(s, EXP_ARGS); }
void BM_cr_cos(benchmark::State& s) { per_call<tidmor::cr_cos>(s, COS_ARGS); }
void BM_libm_cos(benchmark::State& s) { per_call<libm_cos>(s, COS_ARGS); }
void BM_cr_tan(benchmark::State& s) { per_call<tidmor::cr_tan>(s, TAN_ARGS); }
void BM_libm_tan(benchmark::State& s) { per_call<libm_tan>(s, TAN_ARGS); }
void BM_cr_atan(benchmark::State& s) { per_call<tidmor::cr_atan>(s, ATAN_ARGS); }
void BM_libm_atan(benchmark::State& s) { per_call<libm_atan>(s, ATAN_ARGS); }
void BM_cr_acos(benchmark::State& s) { per_call<tidmor::cr_acos>(s, ACOS_ARGS); }
void BM_libm_acos(benchmark::State& s) { per_call<libm_acos>(s, ACOS_ARGS); }

BENCHMARK(BM_cr_log);
BENCHMARK(BM_libm_log);
BENCHMARK(BM_cr_exp);
BENCHMARK(BM_libm_exp);
BENCHMARK(BM_cr_cos);
BENCHMARK(BM_libm_cos);
BENCHMARK(BM_cr_tan);
BENCHMARK(BM_libm_tan);
BENCHMARK(BM_cr_atan);
BENCHMARK(BM_libm_atan);
BENCHMARK(BM_cr_acos);
BENCHMARK(BM_libm_acos);

// The coupled example, run once in a scratch folder with the default
// options.
void BM_coupled_example(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path source = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "coupled_beach";
    const fs::path scratch = fs::temp_directory_path() / "tidmor_bench_coupled";
    const fs::path home = fs::current_path();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        for (const auto& entry : fs::directory_iterator(source))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), scratch / entry.path().filename());
        fs::current_path(scratch);
        std::ostringstream console, errors;
        state.ResumeTiming();
        const int status = tidmor::TIDMOR(console, errors);
        state.PauseTiming();
        fs::current_path(home);
        if (status != 0) state.SkipWithError("the coupled example failed");
        state.ResumeTiming();
    }
    fs::remove_all(scratch);
}
BENCHMARK(BM_coupled_example)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
