#include "common/elementary_check.hpp"

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "common/elementary.hpp"
#include "common/elementary_accurate.hpp"
#include "common/elementary_fast.hpp"

namespace tidmor::testing {

const std::vector<ElementaryFunction>& elementary_functions() {
    static const std::vector<ElementaryFunction> functions = {
        {"log", cr_log, fast::log, accurate::log},    {"exp", cr_exp, fast::exp, accurate::exp},
        {"cos", cr_cos, fast::cos, accurate::cos},    {"tan", cr_tan, fast::tan, accurate::tan},
        {"atan", cr_atan, fast::atan, accurate::atan}, {"acos", cr_acos, fast::acos, accurate::acos},
    };
    return functions;
}

std::string ArgumentRange::describe() const {
    std::ostringstream text;
    if (kind == ALL_BITS) return "all doubles";
    text << (kind == UNIFORM ? "uniform [" : "log-uniform [") << low << ", " << high << "]"
         << (both_signs ? " both signs" : "");
    return text.str();
}

std::vector<ArgumentRange> ranges_of(const std::string& function) {
    using R = ArgumentRange;
    const double pi = 3.141592653589793;
    std::vector<ArgumentRange> ranges;
    if (function == "log") {
        // distances of boundary elements and well radii (m), and near 1
        ranges = {{R::LOG_UNIFORM, 1e-4, 1e4}, {R::UNIFORM, 0.9, 1.1}};
    } else if (function == "exp") {
        // transport's exchange parameter and the seepage-face decay
        ranges = {{R::UNIFORM, -60.0, 60.0}, {R::LOG_UNIFORM, 1e-10, 60.0, true}};
    } else if (function == "cos") {
        // incident-wave phase over a long run, and boundary angles
        ranges = {{R::UNIFORM, -2.0, 1e5}, {R::UNIFORM, -pi, pi}};
    } else if (function == "tan") {
        ranges = {{R::UNIFORM, -pi / 2, pi / 2}, {R::UNIFORM, -1e3, 1e3}};
    } else if (function == "atan") {
        // beach-face slopes
        ranges = {{R::LOG_UNIFORM, 1e-8, 1e3, true}, {R::UNIFORM, -2.0, 2.0}};
    } else if (function == "acos") {
        ranges = {{R::UNIFORM, 0.0, 1.0}, {R::UNIFORM, -1.0, 1.0}};
    }
    ranges.push_back({R::ALL_BITS});
    return ranges;
}

void CheckResult::add(const CheckResult& other) {
    calls += other.calls;
    accurate += other.accurate;
    mismatches += other.mismatches;
    for (const double x : other.first_mismatches)
        if (first_mismatches.size() < 10) first_mismatches.push_back(x);
}

bool same_result(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

namespace {

void check_one(const ElementaryFunction& f, double x, CheckResult& result) {
    ++result.calls;
    double y;
    if (!f.fast(x, y)) ++result.accurate;
    if (!same_result(f.correctly_rounded(x), f.reference(x))) {
        ++result.mismatches;
        if (result.first_mismatches.size() < 10) result.first_mismatches.push_back(x);
    }
}

}  // namespace

CheckResult check_random(const ElementaryFunction& f, const ArgumentRange& range, std::uint64_t count,
                         std::uint64_t seed) {
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double log_low = range.kind == ArgumentRange::LOG_UNIFORM ? std::log2(range.low) : 0.0;
    const double log_high = range.kind == ArgumentRange::LOG_UNIFORM ? std::log2(range.high) : 0.0;
    CheckResult result;
    for (std::uint64_t n = 0; n < count; ++n) {
        double x;
        switch (range.kind) {
            case ArgumentRange::UNIFORM:
                x = range.low + (range.high - range.low) * unit(generator);
                break;
            case ArgumentRange::LOG_UNIFORM:
                x = std::exp2(log_low + (log_high - log_low) * unit(generator));
                if (range.both_signs && (generator() & 1)) x = -x;
                break;
            default:
                x = std::bit_cast<double>(generator());
                break;
        }
        check_one(f, x, result);
    }
    return result;
}

CheckResult check_values(const ElementaryFunction& f, const std::vector<double>& arguments) {
    CheckResult result;
    for (const double x : arguments) check_one(f, x, result);
    return result;
}

std::vector<double> special_values(const std::string& function) {
    using limits = std::numeric_limits<double>;
    std::vector<double> base = {0.0,
                                limits::denorm_min(),
                                3 * limits::denorm_min(),
                                0x1.fffffffffffffp-1023,  // largest subnormal
                                0x1.23456789abcdep-1040,
                                limits::min(),
                                limits::max(),
                                limits::infinity(),
                                limits::quiet_NaN(),
                                1.0,
                                0x1p-30,
                                0x1p-27,
                                0x1p-7,
                                0.5,
                                2.0,
                                0x1p60,
                                0x1p22,
                                1e300};
    if (function == "log") base.insert(base.end(), {1.0 - 0x1p-7, 1.0 + 0x1p-7, 0x1.6a09e667f3bcdp+0, 10.0});
    if (function == "exp")
        base.insert(base.end(), {708.0, 709.0, 709.78, 709.782712893384, 709.79, 745.13321910194110842,
                                 745.14, 745.2, 0x1p-54, 1e-300, 0.6931471805599453});
    if (function == "cos" || function == "tan")
        base.insert(base.end(), {1.5707963267948966, 3.141592653589793, 0.7853981633974483,
                                 0x1.fffffffffffffp21, 6381956970095103.0 * 0x1p797, 1e22, 355.0, 103993.0});
    if (function == "atan") base.insert(base.end(), {0x1.fffffffffffffp59, 1.0 / 64, 1.0 / 128, 0x1p54});
    if (function == "acos")
        base.insert(base.end(), {0x1.fffffffffffffp-1, 0x1.6a09e667f3bcdp-1, 0x1.6a09e667f3bccp-1, 1e-300});
    std::vector<double> values;
    for (const double x : base) {
        for (const double v : {x, std::nextafter(x, 0.0), std::nextafter(x, limits::infinity())}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    return values;
}

}  // namespace tidmor::testing
