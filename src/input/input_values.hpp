#pragma once
// The eight groups of the input data file as one value, each group a struct
// with the values named as in the file (units as in the README's table of
// the input data file). A case can be read into an InputValues, changed and
// run in-process (api/simulation.hpp) without writing an input file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidmor {

struct InputValues {
    struct Waves {              // group 1
        double H_WAVE = 0;      // incident wave height (m)
        double T_WAVE = 0;      // wave period (s)
    } waves;
    struct Beach {              // group 2
        double TAN_BETA = 0;    // slope of the initial plane beach (-)
        double K_HYD = 0;       // hydraulic conductivity of the sand (m/s)
        double D_SEA = 0;       // still-water depth at the seaward end (m)
        double H_LAND = 0;      // water table at the landward boundary (m)
        double X_LAND = 0;      // x of the landward boundary (m)
    } beach;
    struct Well {               // group 3
        double Q_WELL = 0;      // discharge per unit width (m^2/s); > 0 switches the well on
        double X_WELL = 0;      // x of the well (m)
        double Z_WELL = 0;      // elevation of the well (m)
    } well;
    struct Duration {           // group 4
        double T_MAX = 0;       // duration of the run (s)
        double N_OUT = 0;       // snapshot interval (steps, a real)
    } duration;
    struct Switches {           // group 5
        std::int32_t I_INFIL = 0;  // 1 = aquifer model on
        std::int32_t I_MORPH = 0;  // 1 = profile update on
    } switches;
    struct Sediment {           // group 6
        double F_FRIC = 0;      // bottom friction factor (-)
        double EFF_ON = 0;      // transport efficiency, onshore flow (-)
        double EFF_OFF = 0;     // transport efficiency, offshore flow (-)
        double TAN_PHI = 0;     // tangent of the friction angle (-)
    } sediment;
    struct Numerics {           // group 7
        double DX_ND = 0;       // grid spacing in units of T_WAVE*sqrt(g*H_WAVE) (-)
        double H_CUT = 0;       // cut-off depth in units of H_WAVE (-)
        double L_ELEM = 0;      // element length of the aquifer boundary (m)
    } numerics;
    struct Damping {            // group 8
        double DAMP1 = 0;       // numerical damping coefficient (-)
    } damping;
};

// The names of the 22 values, in the order of the file.
std::vector<std::string_view> input_value_names();

// A value by its name ("Q_WELL", "I_INFIL"); nullopt for an unknown name.
// The two switches read as reals.
std::optional<double> input_value(const InputValues& input, std::string_view name);

// Sets a value by its name. Returns false for an unknown name, or for a
// switch given a value that is not a whole number in the 32-bit range.
bool set_input_value(InputValues& input, std::string_view name, double value);

// The groups as the input data file holds them: one line per group, reals
// in the shortest form that reads back as the same double. Reading this
// text gives back `input` bit for bit (non-finite values excepted, which
// the reader rejects).
std::string input_text(const InputValues& input);

}  // namespace tidmor
