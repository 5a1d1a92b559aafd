#pragma once
// The accurate path of the correctly rounded functions: GNU MPFR at 53 bits,
// round to nearest, with the exponent range and the subnormals of a double,
// so the result is the correctly rounded double even where it underflows or
// overflows. Slow (about a microsecond) but always right; the fast paths
// hand over to it when their error bound cannot decide the rounding.
//
// Thread-safe: the MPFR numbers live on the caller's stack, and MPFR keeps
// its exponent range and constant caches per thread.

namespace tidmor::accurate {

double log(double x);
double exp(double x);
double cos(double x);
double tan(double x);
double atan(double x);
double acos(double x);

// Frees what MPFR keeps for the calling thread (constants such as pi, at the
// precision last asked for). A thread that may have taken the accurate path
// calls it before it ends; otherwise that memory is lost with the thread.
void release_thread_caches();

}  // namespace tidmor::accurate
