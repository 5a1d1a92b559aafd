#pragma once
// Shared by the short and the long checks of the correctly rounded
// functions: draws seeded random arguments, compares each result bit for bit
// with GNU MPFR, and counts how often the fast path had to hand over.
#include <cstdint>
#include <string>
#include <vector>

#include "common/vector_path.hpp"

namespace tidmor::testing {

struct ElementaryFunction {
    std::string name;
    double (*correctly_rounded)(double);
    bool (*fast)(double, double&);
    double (*reference)(double);  // MPFR
    bool (*first)(double, double&);  // the double-only first step alone, where there is one
};

const std::vector<ElementaryFunction>& elementary_functions();

// How arguments are drawn: uniform in [low, high]; log-uniform in
// [low, high] (every binade alike), of random sign when `both_signs`; or
// uniform random 64-bit patterns, which covers the whole double range
// (infinities and NaN included) with every binade alike.
struct ArgumentRange {
    enum Kind { UNIFORM, LOG_UNIFORM, ALL_BITS } kind;
    double low = 0.0;
    double high = 0.0;
    bool both_signs = false;
    std::string describe() const;
};

// The ranges each function is checked over: those the model uses, and the
// whole double range.
std::vector<ArgumentRange> ranges_of(const std::string& function);

struct CheckResult {
    std::uint64_t calls = 0;
    std::uint64_t accurate = 0;  // calls the fast path could not decide
    std::uint64_t first_decided = 0;  // calls the double-only first step decided
    std::uint64_t handed_over = 0;  // batched log: arguments the vector first step left to cr_log
    std::uint64_t mismatches = 0;
    std::vector<double> first_mismatches;  // up to 10 arguments
    void add(const CheckResult& other);
};

CheckResult check_random(const ElementaryFunction& f, const ArgumentRange& range, std::uint64_t count,
                         std::uint64_t seed);
// The batched log on `path`, 15 arguments a batch, against MPFR.
CheckResult check_log_batch(VectorPath path, const ArgumentRange& range, std::uint64_t count, std::uint64_t seed);
CheckResult check_values(const ElementaryFunction& f, const std::vector<double>& arguments);

// +-0, subnormals, the smallest normal, +-inf, NaN, +-1, the largest double,
// and the edges of each function's domain and of its fast path (with their
// neighbours).
std::vector<double> special_values(const std::string& function);

// Identical bits, or both NaN.
bool same_result(double a, double b);

}  // namespace tidmor::testing
