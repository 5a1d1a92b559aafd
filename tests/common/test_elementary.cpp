// The correctly rounded functions against GNU MPFR, bit for bit: special
// values, and a short seeded random run per function over the model's
// ranges and the whole double range (the long run is `make check-math`).
#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "common/double_double.hpp"
#include "common/elementary.hpp"
#include "common/elementary_accurate.hpp"
#include "common/elementary_batch.hpp"
#include "common/elementary_check.hpp"

namespace tidmor {
namespace {

using testing::check_random;
using testing::check_values;
using testing::elementary_functions;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(Elementary, SpecialValuesMatchMpfr) {
    for (const auto& f : elementary_functions()) {
        const auto result = check_values(f, testing::special_values(f.name));
        EXPECT_EQ(result.mismatches, 0u) << f.name << ", first at " << std::hexfloat
                                         << (result.first_mismatches.empty() ? 0.0 : result.first_mismatches[0]);
    }
}

TEST(Elementary, ExactAndLimitingValues) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(bits(cr_log(1.0)), bits(0.0));
    EXPECT_EQ(cr_log(0.0), -inf);
    EXPECT_EQ(cr_log(-0.0), -inf);
    EXPECT_TRUE(std::isnan(cr_log(-1.0)));
    EXPECT_EQ(cr_log(inf), inf);
    EXPECT_EQ(cr_exp(0.0), 1.0);
    EXPECT_EQ(bits(cr_exp(-inf)), bits(0.0));
    EXPECT_EQ(cr_exp(inf), inf);
    EXPECT_EQ(cr_exp(709.79), inf);
    EXPECT_EQ(cr_exp(-745.2), 0.0);
    EXPECT_EQ(cr_exp(-745.0), std::numeric_limits<double>::denorm_min());  // e^-745 = 1.0e-324 > 2^-1075
    EXPECT_EQ(cr_cos(0.0), 1.0);
    EXPECT_EQ(cr_cos(-0.0), 1.0);
    EXPECT_TRUE(std::isnan(cr_cos(inf)));
    EXPECT_EQ(bits(cr_tan(-0.0)), bits(-0.0));
    EXPECT_TRUE(std::isnan(cr_tan(-inf)));
    EXPECT_EQ(bits(cr_atan(-0.0)), bits(-0.0));
    EXPECT_EQ(cr_atan(inf), 0x1.921fb54442d18p+0);
    EXPECT_EQ(cr_atan(-inf), -0x1.921fb54442d18p+0);
    EXPECT_EQ(cr_atan(1.0), 0x1.921fb54442d18p-1);
    EXPECT_EQ(bits(cr_acos(1.0)), bits(0.0));
    EXPECT_EQ(cr_acos(-1.0), 0x1.921fb54442d18p+1);
    EXPECT_EQ(cr_acos(0.0), 0x1.921fb54442d18p+0);
    EXPECT_TRUE(std::isnan(cr_acos(1.0000000000000002)));
    EXPECT_TRUE(std::isnan(cr_acos(std::numeric_limits<double>::quiet_NaN())));
}

// Results written out (rounded once from MPFR at high precision), so that
// a fault shared by the fast path and the reference would still show.
TEST(Elementary, HandCheckedResults) {
    EXPECT_EQ(cr_exp(1.0), 0x1.5bf0a8b145769p+1);   // e
    EXPECT_EQ(cr_log(10.0), 0x1.26bb1bbb55516p+1);  // ln 10
    EXPECT_EQ(cr_log(2.0), 0x1.62e42fefa39efp-1);   // ln 2
    EXPECT_EQ(cr_cos(1.0), 0x1.14a280fb5068cp-1);
    EXPECT_EQ(cr_tan(1.0), 0x1.8eb245cbee3a6p+0);
    EXPECT_EQ(cr_acos(0.5), 0x1.0c152382d7366p+0);  // pi/3
}

TEST(Elementary, ShortRandomRunMatchesMpfr) {
    constexpr std::uint64_t PER_FUNCTION = 100000;
    std::uint64_t seed = 20261208;
    for (const auto& f : elementary_functions()) {
        const auto ranges = testing::ranges_of(f.name);
        testing::CheckResult total;
        for (const auto& range : ranges) {
            const auto result = check_random(f, range, PER_FUNCTION / ranges.size(), seed++);
            EXPECT_EQ(result.mismatches, 0u) << f.name << " over " << range.describe() << ", first at "
                                             << std::hexfloat << result.first_mismatches[0];
            total.add(result);
        }
        std::printf("%-5s %8llu calls, accurate path %llu\n", f.name.c_str(),
                    static_cast<unsigned long long>(total.calls), static_cast<unsigned long long>(total.accurate));
    }
}

// The accurate path keeps its MPFR state per thread: two threads computing
// the same arguments at once get the same bits as one thread alone.
TEST(Elementary, SafeFromSeveralThreads) {
    ASSERT_TRUE(mpfr_buildopt_tls_p()) << "MPFR built without thread-local storage";
    std::vector<double> arguments;
    for (int n = 1; n <= 2000; ++n) arguments.push_back(n * 0.37);
    auto run = [&](std::vector<double>& out) {
        for (const double x : arguments)
            for (const auto& f : elementary_functions()) out.push_back(f.reference(x) + f.correctly_rounded(x));
        accurate::release_thread_caches();
    };
    std::vector<double> alone, first, second;
    run(alone);
    std::thread a(run, std::ref(first));
    std::thread b(run, std::ref(second));
    a.join();
    b.join();
    ASSERT_EQ(alone.size(), first.size());
    for (std::size_t i = 0; i < alone.size(); ++i) {
        EXPECT_TRUE(testing::same_result(alone[i], first[i])) << i;
        EXPECT_TRUE(testing::same_result(alone[i], second[i])) << i;
    }
}

TEST(DoubleDouble, ProductsAndSumsAreExact) {
    // (1 + 2^-30)^2 = 1 + 2^-29 + 2^-60: the last term is the error word.
    const dd::DD p = dd::two_prod(1.0 + 0x1p-30, 1.0 + 0x1p-30);
    EXPECT_EQ(p.hi, 1.0 + 0x1p-29);
    EXPECT_EQ(p.lo, 0x1p-60);
    const dd::DD s = dd::two_sum(0x1p-60, 1.0);
    EXPECT_EQ(s.hi, 1.0);
    EXPECT_EQ(s.lo, 0x1p-60);
    // 1/3 in double-double: 3 * q leaves less than 2^-105.
    const dd::DD q = dd::div(dd::DD{1.0, 0.0}, dd::DD{3.0, 0.0});
    const dd::DD back = dd::add(dd::mul(q, 3.0), -1.0);
    EXPECT_LT(std::fabs(back.hi), 0x1p-105);
}

// The batched log on every path this machine runs: the bits of cr_log for
// arguments of every kind, in batches of every length (the lanes of the
// last group padded), and the vector first step decides nearly all the
// distances the boundary elements meet.
TEST(Elementary, BatchedLogGivesTheBitsOfCrLogOnEveryPath) {
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> exponent(-4.0 * std::log(10.0), 4.0 * std::log(10.0));
    std::uniform_real_distribution<double> near_one(0.98, 1.02);
    std::vector<double> args;
    for (int i = 0; i < 20000; ++i) args.push_back(std::exp(exponent(rng)));
    const std::size_t typical = args.size();
    for (int i = 0; i < 2000; ++i) args.push_back(near_one(rng));
    for (int i = 0; i < 2000; ++i) args.push_back(std::bit_cast<double>(rng()));
    for (double v : testing::special_values("log")) args.push_back(v);
    for (double v : {1.0 - 0x1p-7, 1.0 + 0x1p-7, std::nextafter(1.0 - 0x1p-7, 0.0), std::nextafter(1.0 + 0x1p-7, 2.0),
                     0x1p-1022, std::nextafter(0x1p-1022, 0.0), std::numeric_limits<double>::max()})
        args.push_back(v);
    for (VectorPath path : vector_paths_here()) {
        std::vector<double> y(args.size());
        int handed_over = 0;
        std::size_t done = 0;
        for (int length = 1; done < args.size(); length = length % 37 + 1) {
            const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(length), args.size() - done));
            handed_over += cr_log_batch(path, args.data() + done, y.data() + done, n);
            done += static_cast<std::size_t>(n);
        }
        for (std::size_t i = 0; i < args.size(); ++i)
            ASSERT_TRUE(testing::same_result(y[i], cr_log(args[i])))
                << vector_path_name(path) << " log(" << std::hexfloat << args[i] << ")";
        if (path == VectorPath::SCALAR) {
            EXPECT_EQ(handed_over, static_cast<int>(args.size()));
        } else {
            std::vector<double> z(typical);
            EXPECT_LT(cr_log_batch(path, args.data(), z.data(), static_cast<int>(typical)), static_cast<int>(typical / 100))
                << vector_path_name(path);
        }
    }
    // In place, as the kernel integration calls it.
    std::vector<double> in_place(args.begin(), args.begin() + 15);
    cr_log_batch(VectorPath::BEST, in_place.data(), in_place.data(), 15);
    for (std::size_t i = 0; i < 15; ++i) EXPECT_TRUE(testing::same_result(in_place[i], cr_log(args[i])));
}

}  // namespace
}  // namespace tidmor
