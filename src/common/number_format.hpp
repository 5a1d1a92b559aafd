#pragma once
// Number layouts of the console lines and of the result files.
//
// Console (free form; the caller writes the leading blank of the line):
//   format_integer   right-justified in 12 characters
//   format_single    a single-precision value in 15 characters: 7 significant
//                    digits in plain form plus 4 blanks for 0.1 <= |v| < 1e7,
//                    else d.dddddddE+xx   (e.g. " -1.5335754E-05")
//   format_double    a double in 24 characters: 15 significant digits in plain
//                    form plus 5 blanks for 0.1 <= |v| < 1e15, else
//                    d.dddddddddddddddE+xxx   (e.g. "  9.985245886979269E-002")
// Result files:
//   format_fixed     width w, d decimals, rounded; leading 0 when there is
//                    room; w asterisks when the value does not fit.
// Rounding is that of the exact binary value, ties to even. The sign of a
// negative value that rounds to zero is kept.
#include <cmath>
#include <string>

namespace tidmor {

std::string format_integer(int value);
std::string format_single(float value);
std::string format_double(double value);
std::string format_fixed(double value, int width, int decimals);

// Whether format_fixed writes the value as a number (not asterisks), without
// forming the text: allocation-free, for checks inside the time loop.
bool fits_fixed(double value, int width, int decimals);

// fits_fixed for many values of one width and number of decimals: the
// bound below which every value fits is found once.
class FixedFit {
public:
    FixedFit(int width, int decimals);
    bool operator()(double value) const { return std::fabs(value) < fits_below_ || fits_as_text(value); }

private:
    bool fits_as_text(double value) const;
    int width_, decimals_;
    double fits_below_ = 0.0;
};

// A model time in a message: at most 7 significant digits ("196.9868",
// "12.5", "0.03190466"), as the console prints it.
std::string time_text(double seconds);

// A value in a diagnostic message: the shortest text that reads back as the
// same double.
std::string value_text(double value);

}  // namespace tidmor
