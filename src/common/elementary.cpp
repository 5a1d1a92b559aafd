#include "common/elementary.hpp"

#include "common/elementary_accurate.hpp"
#include "common/elementary_fast.hpp"

namespace tidmor {

// Every function: the fast path when its error bound decides the rounding,
// else the accurate path. Both give the correctly rounded result, so which
// one answers never shows in the bits.

double cr_log(double x) {
    double y;
    return fast::log(x, y) ? y : accurate::log(x);
}

double cr_exp(double x) {
    double y;
    return fast::exp(x, y) ? y : accurate::exp(x);
}

double cr_cos(double x) {
    double y;
    return fast::cos(x, y) ? y : accurate::cos(x);
}

double cr_tan(double x) {
    double y;
    return fast::tan(x, y) ? y : accurate::tan(x);
}

double cr_atan(double x) {
    double y;
    return fast::atan(x, y) ? y : accurate::atan(x);
}

double cr_acos(double x) {
    double y;
    return fast::acos(x, y) ? y : accurate::acos(x);
}

}  // namespace tidmor
