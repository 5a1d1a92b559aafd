#include "common/elementary_accurate.hpp"

#include <mpfr.h>

namespace tidmor::accurate {
namespace {

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// Exponent range of IEEE double in MPFR's convention (significand in
// [1/2, 1)): the smallest subnormal 2^-1074 has exponent -1073, the largest
// finite double is below 2^1024. With this range and mpfr_subnormalize the
// 53-bit result rounds exactly as a double would, subnormals included.
constexpr mpfr_exp_t DOUBLE_EMIN = -1073;
constexpr mpfr_exp_t DOUBLE_EMAX = 1024;

double evaluate(MpfrFunction f, double x) {
    const mpfr_exp_t old_emin = mpfr_get_emin();
    const mpfr_exp_t old_emax = mpfr_get_emax();
    mpfr_set_emin(DOUBLE_EMIN);
    mpfr_set_emax(DOUBLE_EMAX);
    mpfr_t arg, result;
    mpfr_init2(arg, 53);
    mpfr_init2(result, 53);
    mpfr_set_d(arg, x, MPFR_RNDN);  // exact: the argument is a double
    int ternary = f(result, arg, MPFR_RNDN);
    ternary = mpfr_check_range(result, ternary, MPFR_RNDN);
    mpfr_subnormalize(result, ternary, MPFR_RNDN);
    const double y = mpfr_get_d(result, MPFR_RNDN);  // exact: fits a double
    mpfr_clear(result);
    mpfr_clear(arg);
    mpfr_set_emin(old_emin);
    mpfr_set_emax(old_emax);
    return y;
}

}  // namespace

double log(double x) { return evaluate(mpfr_log, x); }
double exp(double x) { return evaluate(mpfr_exp, x); }
double cos(double x) { return evaluate(mpfr_cos, x); }
double tan(double x) { return evaluate(mpfr_tan, x); }
double atan(double x) { return evaluate(mpfr_atan, x); }
double acos(double x) { return evaluate(mpfr_acos, x); }

void release_thread_caches() { mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE); }

}  // namespace tidmor::accurate
