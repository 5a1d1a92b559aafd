// The long check of the correctly rounded functions (`make check-math`):
// for each function, COUNT seeded random arguments over the ranges the model
// uses and COUNT over the whole double range, plus the special values, each
// compared bit for bit with GNU MPFR. Prints, per function and range, the
// share of calls the fast path could not decide and, for log and exp, the
// share their double-only first step decided (each of those results
// compared with MPFR too); then the batched log on
// every vector path this machine runs, over log's ranges, with the share of
// arguments its vector first step decided, the share it left to cr_log and
// the share that went on to MPFR; exits 1 on any mismatch.
//   check_elementary [COUNT] [THREADS]      (defaults 10000000 and 2)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/elementary_check.hpp"

namespace {

using namespace tidmor::testing;

// One job: a block of arguments of one range, with its own seed, so the
// arguments do not depend on the number of threads.
struct Job {
    const ElementaryFunction* function;  // nullptr: the batched log on `path`
    tidmor::VectorPath path;
    std::size_t batch_index;
    std::size_t range_index;
    ArgumentRange range;
    std::uint64_t count;
    std::uint64_t seed;
};

constexpr std::uint64_t BLOCK = 500000;

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000;
    const unsigned threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2;
    if (count == 0 || threads == 0) {
        std::fprintf(stderr, "usage: check_elementary [COUNT > 0] [THREADS > 0]\n");
        return 2;
    }

    std::vector<Job> jobs;
    std::vector<std::vector<CheckResult>> results;  // [function][range]
    const auto& functions = elementary_functions();
    for (std::size_t fi = 0; fi < functions.size(); ++fi) {
        const auto ranges = ranges_of(functions[fi].name);
        results.emplace_back(ranges.size());
        const std::size_t model_ranges = ranges.size() - 1;  // the last is the whole range
        for (std::size_t ri = 0; ri < ranges.size(); ++ri) {
            const std::uint64_t range_count = ri < model_ranges ? (count + model_ranges - 1) / model_ranges : count;
            for (std::uint64_t start = 0; start < range_count; start += BLOCK) {
                const std::uint64_t n = range_count - start < BLOCK ? range_count - start : BLOCK;
                jobs.push_back({&functions[fi], tidmor::VectorPath::SCALAR, 0, ri, ranges[ri], n,
                                1000003 * (fi + 1) + 7919 * ri + start});
            }
        }
    }

    // The batched log, on each vector path (the scalar one is cr_log itself).
    std::vector<tidmor::VectorPath> paths;
    for (tidmor::VectorPath p : tidmor::vector_paths_here())
        if (p != tidmor::VectorPath::SCALAR) paths.push_back(p);
    const auto log_ranges = ranges_of("log");
    std::vector<std::vector<CheckResult>> batch_results(paths.size(), std::vector<CheckResult>(log_ranges.size()));
    for (std::size_t pi = 0; pi < paths.size(); ++pi)
        for (std::size_t ri = 0; ri < log_ranges.size(); ++ri)
            for (std::uint64_t start = 0; start < count; start += BLOCK) {
                const std::uint64_t n = count - start < BLOCK ? count - start : BLOCK;
                jobs.push_back({nullptr, paths[pi], pi, ri, log_ranges[ri], n, 5000011 * (pi + 1) + 7919 * ri + start});
            }

    std::mutex lock;
    std::size_t next = 0;
    auto worker = [&] {
        for (;;) {
            std::size_t j;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (next == jobs.size()) return;
                j = next++;
            }
            const Job& job = jobs[j];
            if (!job.function) {
                const CheckResult r = check_log_batch(job.path, job.range, job.count, job.seed);
                std::lock_guard<std::mutex> guard(lock);
                batch_results[job.batch_index][job.range_index].add(r);
                continue;
            }
            const CheckResult r = check_random(*job.function, job.range, job.count, job.seed);
            const std::size_t fi = static_cast<std::size_t>(job.function - functions.data());
            std::lock_guard<std::mutex> guard(lock);
            results[fi][job.range_index].add(r);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (auto& t : pool) t.join();

    std::uint64_t mismatches = 0;
    std::printf("%-5s %-40s %12s %12s %10s %10s %10s\n", "func", "arguments", "calls", "accurate", "share", "first",
                "wrong");
    for (std::size_t fi = 0; fi < functions.size(); ++fi) {
        const auto ranges = ranges_of(functions[fi].name);
        auto print = [&](const std::string& what, const CheckResult& r) {
            std::printf("%-5s %-40s %12llu %12llu %10.2e %10.6f %10llu\n", functions[fi].name.c_str(), what.c_str(),
                        static_cast<unsigned long long>(r.calls), static_cast<unsigned long long>(r.accurate),
                        r.calls ? double(r.accurate) / double(r.calls) : 0.0,
                        r.calls ? double(r.first_decided) / double(r.calls) : 0.0,
                        static_cast<unsigned long long>(r.mismatches));
            for (const double x : r.first_mismatches) std::printf("      wrong at %a\n", x);
            mismatches += r.mismatches;
        };
        CheckResult model;
        for (std::size_t ri = 0; ri + 1 < ranges.size(); ++ri) {
            print(ranges[ri].describe(), results[fi][ri]);
            model.add(results[fi][ri]);
        }
        print("  all model ranges", model);
        print(ranges.back().describe(), results[fi].back());
        print("special values", check_values(functions[fi], special_values(functions[fi].name)));
    }
    std::printf("\n%-11s %-34s %12s %10s %10s %10s %10s\n", "batched log", "arguments", "calls", "vector",
                "cr_log", "MPFR", "wrong");
    for (std::size_t pi = 0; pi < paths.size(); ++pi) {
        for (std::size_t ri = 0; ri < log_ranges.size(); ++ri) {
            const CheckResult& r = batch_results[pi][ri];
            const double calls = r.calls ? double(r.calls) : 1.0;
            std::printf("%-11s %-34s %12llu %10.6f %10.2e %10.2e %10llu\n", tidmor::vector_path_name(paths[pi]),
                        log_ranges[ri].describe().c_str(), static_cast<unsigned long long>(r.calls),
                        double(r.calls - r.handed_over) / calls, double(r.handed_over) / calls,
                        double(r.accurate) / calls, static_cast<unsigned long long>(r.mismatches));
            for (const double x : r.first_mismatches) std::printf("      wrong at %a\n", x);
            mismatches += r.mismatches;
        }
    }
    std::printf("%s: %llu mismatches against MPFR\n", mismatches == 0 ? "passed" : "FAILED",
                static_cast<unsigned long long>(mismatches));
    return mismatches == 0 ? 0 : 1;
}
