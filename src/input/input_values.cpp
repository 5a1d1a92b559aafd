#include "input/input_values.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <type_traits>

namespace tidmor {

namespace {

// Character arrays, not pointers: read-only data the loader need not relocate.
constexpr char NAMES[][9] = {
    "H_WAVE", "T_WAVE", "TAN_BETA", "K_HYD",  "D_SEA",  "H_LAND",  "X_LAND",  "Q_WELL", "X_WELL", "Z_WELL", "T_MAX",
    "N_OUT",  "I_INFIL", "I_MORPH", "F_FRIC", "EFF_ON", "EFF_OFF", "TAN_PHI", "DX_ND",  "H_CUT",  "L_ELEM", "DAMP1"};

// The real value of that name, or nullptr (also for the two switches).
template <class Values>
auto* real_field(Values& in, std::string_view name) {
    using Field = std::conditional_t<std::is_const_v<Values>, const double, double>;
    Field* fields[] = {&in.waves.H_WAVE,     &in.waves.T_WAVE,     &in.beach.TAN_BETA,   &in.beach.K_HYD,
                       &in.beach.D_SEA,      &in.beach.H_LAND,     &in.beach.X_LAND,     &in.well.Q_WELL,
                       &in.well.X_WELL,      &in.well.Z_WELL,      &in.duration.T_MAX,   &in.duration.N_OUT,
                       nullptr,              nullptr,              &in.sediment.F_FRIC,  &in.sediment.EFF_ON,
                       &in.sediment.EFF_OFF, &in.sediment.TAN_PHI, &in.numerics.DX_ND,   &in.numerics.H_CUT,
                       &in.numerics.L_ELEM,  &in.damping.DAMP1};
    for (std::size_t k = 0; k < std::size(NAMES); ++k)
        if (std::string_view(NAMES[k]) == name) return fields[k];
    return static_cast<Field*>(nullptr);
}

void append_real(std::string& text, double value) {
    char buffer[32];
    // The shortest digits that read back as the same double; the reader's
    // strtod rounds correctly, so the value comes back bit for bit.
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, written.ptr);
}

}  // namespace

std::vector<std::string_view> input_value_names() { return {std::begin(NAMES), std::end(NAMES)}; }

std::optional<double> input_value(const InputValues& input, std::string_view name) {
    if (name == "I_INFIL") return input.switches.I_INFIL;
    if (name == "I_MORPH") return input.switches.I_MORPH;
    if (const double* field = real_field(input, name)) return *field;
    return std::nullopt;
}

bool set_input_value(InputValues& input, std::string_view name, double value) {
    if (name == "I_INFIL" || name == "I_MORPH") {
        if (!(value == std::trunc(value)) || value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            return false;
        (name == "I_INFIL" ? input.switches.I_INFIL : input.switches.I_MORPH) = static_cast<std::int32_t>(value);
        return true;
    }
    double* field = real_field(input, name);
    if (field == nullptr) return false;
    *field = value;
    return true;
}

std::string input_text(const InputValues& in) {
    std::string text;
    const auto line = [&text](std::initializer_list<double> values) {
        bool first = true;
        for (const double v : values) {
            if (!first) text += ' ';
            append_real(text, v);
            first = false;
        }
        text += '\n';
    };
    line({in.waves.H_WAVE, in.waves.T_WAVE});
    line({in.beach.TAN_BETA, in.beach.K_HYD, in.beach.D_SEA, in.beach.H_LAND, in.beach.X_LAND});
    line({in.well.Q_WELL, in.well.X_WELL, in.well.Z_WELL});
    line({in.duration.T_MAX, in.duration.N_OUT});
    text += std::to_string(in.switches.I_INFIL) + ' ' + std::to_string(in.switches.I_MORPH) + '\n';
    line({in.sediment.F_FRIC, in.sediment.EFF_ON, in.sediment.EFF_OFF, in.sediment.TAN_PHI});
    line({in.numerics.DX_ND, in.numerics.H_CUT, in.numerics.L_ELEM});
    line({in.damping.DAMP1});
    return text;
}

}  // namespace tidmor
