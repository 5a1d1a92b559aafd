#include "common/number_format.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tidmor {

namespace {

// Console layout of a real kind: significant digits, field width, blanks
// after a plain number, digits of the exponent, and the magnitude at which
// the plain form gives way to the exponent form.
struct FreeFormLayout {
    int digits;
    int width;
    int trailing_blanks;
    int exponent_digits;
    double plain_limit;
};

constexpr FreeFormLayout SINGLE_LAYOUT{7, 15, 4, 2, 1e7};
constexpr FreeFormLayout DOUBLE_LAYOUT{15, 24, 5, 3, 1e15};
// Below this magnitude both layouts switch to the exponent form.
constexpr double PLAIN_LOWER_LIMIT = 0.1;

std::string right_justify(const std::string& text, int width) {
    const auto w = static_cast<std::size_t>(width);
    if (text.size() >= w) return text;
    return std::string(w - text.size(), ' ') + text;
}

std::string printf_string(const char* format, int precision, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

// Decimal exponent of the value once rounded to the given significant digits.
int rounded_exponent(double value, int digits) {
    const std::string e = printf_string("%.*e", digits - 1, value);
    return std::atoi(e.c_str() + e.find('e') + 1);
}

std::string non_finite(double value, int width) {
    if (std::isnan(value)) return right_justify("NaN", width);
    return right_justify(value < 0 ? "-Infinity" : "Infinity", width);
}

std::string exponent_form(double value, const FreeFormLayout& layout) {
    // One digit before the point and digits after it: one more significant
    // digit than the plain form carries.
    const std::string e = printf_string("%.*E", layout.digits, value);
    const std::size_t mark = e.find('E');
    const int exponent = std::atoi(e.c_str() + mark + 1);
    std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < static_cast<std::size_t>(layout.exponent_digits))
        digits.insert(0, static_cast<std::size_t>(layout.exponent_digits) - digits.size(), '0');
    const std::string text = e.substr(0, mark + 1) + (exponent < 0 ? "-" : "+") + digits;
    return right_justify(text, layout.width);
}

std::string plain_form(double value, const FreeFormLayout& layout) {
    // The count of decimals comes from the value as rounded to the layout's
    // significant digits, so 9.9999999 becomes 10.00000, not 9.999999x.
    const int exponent = rounded_exponent(value, layout.digits);
    int decimals = layout.digits - 1 - exponent;
    if (decimals < 0) decimals = 0;
    std::string text = printf_string("%.*f", decimals, value);
    if (decimals == 0) text += '.';
    return right_justify(text, layout.width - layout.trailing_blanks) +
           std::string(static_cast<std::size_t>(layout.trailing_blanks), ' ');
}

std::string free_form(double value, const FreeFormLayout& layout) {
    if (!std::isfinite(value)) return non_finite(value, layout.width);
    const double magnitude = std::fabs(value);
    if (magnitude >= PLAIN_LOWER_LIMIT && magnitude < layout.plain_limit) return plain_form(value, layout);
    return exponent_form(value, layout);
}

}  // namespace

std::string format_integer(int value) { return right_justify(std::to_string(value), 12); }

std::string format_single(float value) { return free_form(static_cast<double>(value), SINGLE_LAYOUT); }

std::string format_double(double value) { return free_form(value, DOUBLE_LAYOUT); }

std::string format_fixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) return non_finite(value, width);
    std::string text = printf_string("%.*f", decimals, value);
    if (decimals == 0) text += '.';
    const auto w = static_cast<std::size_t>(width);
    if (text.size() > w) {
        // The leading zero of a magnitude below 1 is the first thing to go.
        if (text.compare(0, 2, "0.") == 0)
            text.erase(0, 1);
        else if (text.compare(0, 3, "-0.") == 0)
            text.erase(1, 1);
    }
    if (text.size() > w) return std::string(w, '*');
    return right_justify(text, width);
}

FixedFit::FixedFit(int width, int decimals) : width_(width), decimals_(decimals) {
    // Below 10^k - 1 in magnitude, with k the digits a negative number has
    // before the point, the rounded value has at most k of them and fits:
    // the usual case, decided without forming the text.
    const int digits = width - decimals - 2;
    if (digits >= 1) {
        double bound = 1.0;
        for (int i = 0; i < digits; ++i) bound = bound * 10.0;
        fits_below_ = bound - 1.0;
    }
}

bool FixedFit::fits_as_text(double value) const {
    if (!std::isfinite(value)) return false;
    // snprintf counts the whole text even where the buffer cuts it.
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals_, value) + (decimals_ == 0 ? 1 : 0);
    if (length <= width_) return true;
    // As format_fixed: the leading zero of a magnitude below 1 may go.
    return length == width_ + 1 &&
           (std::strncmp(text, "0.", 2) == 0 || std::strncmp(text, "-0.", 3) == 0);
}

bool fits_fixed(double value, int width, int decimals) { return FixedFit(width, decimals)(value); }

std::string time_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", seconds);
    return text;
}

std::string value_text(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace tidmor
