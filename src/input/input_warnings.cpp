#include "input/input_warnings.hpp"

#include <utility>

#include "common/constants.hpp"
#include "common/number_format.hpp"

namespace tidmor {

std::vector<std::string> input_warnings(const Model& m) {
    std::vector<std::string> warnings;
    // Q_WELL is held divided by K_HYD, which is positive with the aquifer on.
    if (m.INDEX_INFIL.I_INFIL == 1 && m.WELL.Q_WELL < 0.0)
        warnings.push_back("Q_WELL is negative: no well is pumped (only a discharge above 0 switches the well on)");
    // Each wave period lasts at least T_WAVE, and records are written at the
    // end of every tenth one.
    const double first_record = PERIODS_PER_PROFILE_RECORD * m.WAVE_CONSD.T_WAVE;
    if (m.INDEX_INFIL.I_MORPH == 1 && m.TIME_RELATED.T_MAX < first_record)
        warnings.push_back("T_MAX = " + value_text(m.TIME_RELATED.T_MAX) + " s is shorter than ten wave periods (" +
                           value_text(first_record) +
                           " s): \"outb.dat\" and \"outs.dat\" will most likely stay empty, as profiles and swash "
                           "statistics are written every tenth wave period");
    // An efficiency is the share of the flow's work spent on moving sand;
    // with the profile update on, one above 1 moves the bed unrealistically
    // fast, and can erode it below the aquifer bottom.
    if (m.INDEX_INFIL.I_MORPH == 1)
        for (const auto& [name, value] :
             {std::pair{"EFF_ON", m.SED_TRANS.EFF_ON}, std::pair{"EFF_OFF", m.SED_TRANS.EFF_OFF}})
            if (value > 1.0)
                warnings.push_back(std::string(name) + " = " + value_text(value) +
                                   " is above 1: a transport efficiency is the share of the flow's work spent on "
                                   "moving sand, and above 1 the profile changes unrealistically fast (it may erode "
                                   "the bed below the aquifer bottom)");
    return warnings;
}

}  // namespace tidmor
