#include "common/elementary_check.hpp"

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "common/elementary.hpp"
#include "common/elementary_accurate.hpp"
#include "common/elementary_batch.hpp"
#include "common/elementary_fast.hpp"

namespace tidmor::testing {

const std::vector<ElementaryFunction>& elementary_functions() {
    static const std::vector<ElementaryFunction> functions = {
        {"log", cr_log, fast::log, accurate::log, fast::log_first},
        {"exp", cr_exp, fast::exp, accurate::exp, fast::exp_first},
        {"cos", cr_cos, fast::cos, accurate::cos, nullptr},
        {"tan", cr_tan, fast::tan, accurate::tan, nullptr},
        {"atan", cr_atan, fast::atan, accurate::atan, nullptr},
        {"acos", cr_acos, fast::acos, accurate::acos, nullptr},
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
    first_decided += other.first_decided;
    handed_over += other.handed_over;
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
    const double reference = f.reference(x);
    bool right = same_result(f.correctly_rounded(x), reference);
    double first_y;
    if (f.first && f.first(x, first_y)) {
        ++result.first_decided;
        right = right && same_result(first_y, reference);
    }
    if (!right) {
        ++result.mismatches;
        if (result.first_mismatches.size() < 10) result.first_mismatches.push_back(x);
    }
}

}  // namespace

namespace {

// Seeded arguments of one range.
class Arguments {
public:
    Arguments(const ArgumentRange& range, std::uint64_t seed)
        : range_(range),
          generator_(seed),
          log_low_(range.kind == ArgumentRange::LOG_UNIFORM ? std::log2(range.low) : 0.0),
          log_high_(range.kind == ArgumentRange::LOG_UNIFORM ? std::log2(range.high) : 0.0) {}
    double next() {
        switch (range_.kind) {
            case ArgumentRange::UNIFORM: return range_.low + (range_.high - range_.low) * unit_(generator_);
            case ArgumentRange::LOG_UNIFORM: {
                const double x = std::exp2(log_low_ + (log_high_ - log_low_) * unit_(generator_));
                return range_.both_signs && (generator_() & 1) ? -x : x;
            }
            default: return std::bit_cast<double>(generator_());
        }
    }

private:
    ArgumentRange range_;
    std::mt19937_64 generator_;
    std::uniform_real_distribution<double> unit_{0.0, 1.0};
    double log_low_, log_high_;
};

}  // namespace

CheckResult check_random(const ElementaryFunction& f, const ArgumentRange& range, std::uint64_t count,
                         std::uint64_t seed) {
    Arguments arguments(range, seed);
    CheckResult result;
    for (std::uint64_t n = 0; n < count; ++n) check_one(f, arguments.next(), result);
    return result;
}

CheckResult check_log_batch(VectorPath path, const ArgumentRange& range, std::uint64_t count, std::uint64_t seed) {
    Arguments arguments(range, seed);
    CheckResult result;
    constexpr int BATCH = 15;  // the Gauss points of one element
    for (std::uint64_t n = 0; n < count; n += BATCH) {
        const int here = count - n < BATCH ? static_cast<int>(count - n) : BATCH;
        double x[BATCH], y[BATCH];
        for (int i = 0; i < here; ++i) x[i] = arguments.next();
        result.handed_over += static_cast<std::uint64_t>(cr_log_batch(path, x, y, here));
        for (int i = 0; i < here; ++i) {
            ++result.calls;
            double fast_y;
            if (!fast::log(x[i], fast_y)) ++result.accurate;
            if (!same_result(y[i], accurate::log(x[i]))) {
                ++result.mismatches;
                if (result.first_mismatches.size() < 10) result.first_mismatches.push_back(x[i]);
            }
        }
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
