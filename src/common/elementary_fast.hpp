#pragma once
// The fast paths of the correctly rounded elementary functions.
//
// Each evaluates its function in double-double arithmetic together with a
// proven bound on the error, then asks round_if_decided whether every value
// within that bound rounds to the same double. If so it stores that double
// and returns true (the result is then the correctly rounded one); if not,
// or when the argument is outside the range the fast path covers, it
// returns false and the caller takes the accurate path. The split is public
// so the tests can count how often the accurate path is needed.
#include "common/double_double.hpp"

namespace tidmor::fast {

// True, with y = RN(v), when RN(v) is the same double for every real v with
// |v - (a.hi + a.lo)| <= err. Sound because RN(a.hi + t) is monotone in t,
// and the computed a.lo -+ err bracket a.lo -+ err' for any err' that is
// below err by more than their own rounding (u |a.lo| + u err, far below
// the factor-of-two margin each caller puts into err). Needs |a.lo| <= u |a.hi|.
inline bool round_if_decided(dd::DD a, double err, double& y) {
    const double below = a.hi + (a.lo - err);
    const double above = a.hi + (a.lo + err);
    if (below != above) return false;
    y = below;
    return true;
}

bool log(double x, double& y);
bool exp(double x, double& y);
// The double-only first steps of log and exp alone (false also for an
// argument they do not cover), for the checks to count how often they decide.
bool log_first(double x, double& y);
bool exp_first(double x, double& y);
bool cos(double x, double& y);
bool tan(double x, double& y);
bool atan(double x, double& y);
bool acos(double x, double& y);

}  // namespace tidmor::fast
