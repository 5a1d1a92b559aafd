#pragma once
// The correctly rounded log of many arguments at once.
//
// The double-only first step of log runs in vector lanes; a lane it cannot
// decide (and every argument it does not cover: not a positive normal
// double, or within 2^-7 of 1) goes through cr_log. The results are
// correctly rounded either way, so they are the bits of cr_log on every path.
#include "common/vector_path.hpp"

namespace tidmor {

// y[i] = cr_log(x[i]) for 0 <= i < count, on `path` (BEST: the widest that
// runs here; a path this machine does not run takes the scalar one, which
// is cr_log argument by argument). Returns how many arguments went through
// cr_log. x and y may be the same array.
int cr_log_batch(VectorPath path, const double* x, double* y, int count);

}  // namespace tidmor
