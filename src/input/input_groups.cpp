#include "input/input_groups.hpp"

#include "input/list_reader.hpp"

namespace tidmor {

namespace {

void require_positive(int group, const ListItem& item, const std::string& file, const std::string& reason) {
    const double value = *item.real;
    if (!(value > 0))
        reject_input_data("group " + std::to_string(group) + ": " + item.name + " = " + value_text(value) +
                              " must be greater than 0" + reason,
                          file, item.line);
}

void require_at_least_zero(int group, const ListItem& item, const std::string& file, const std::string& reason) {
    const double value = *item.real;
    if (!(value >= 0))
        reject_input_data("group " + std::to_string(group) + ": " + item.name + " = " + value_text(value) +
                              " must be 0 or greater" + reason,
                          file, item.line);
}

}  // namespace

InputValues read_input_groups(std::istream& unit5, const std::string& file_name) {
    InputValues in;
    auto& wave = in.waves;
    auto& beach = in.beach;
    auto& well = in.well;
    auto& sed = in.sediment;
    ListItem group1[] = {{"H_WAVE", &wave.H_WAVE}, {"T_WAVE", &wave.T_WAVE}};
    ListItem group2[] = {{"TAN_BETA", &beach.TAN_BETA},
                         {"K_HYD", &beach.K_HYD},
                         {"D_SEA", &beach.D_SEA},
                         {"H_LAND", &beach.H_LAND},
                         {"X_LAND", &beach.X_LAND}};
    ListItem group3[] = {{"Q_WELL", &well.Q_WELL}, {"X_WELL", &well.X_WELL}, {"Z_WELL", &well.Z_WELL}};
    ListItem group4[] = {{"T_MAX", &in.duration.T_MAX}, {"N_OUT", &in.duration.N_OUT}};
    ListItem group5[] = {{"I_INFIL", nullptr, &in.switches.I_INFIL}, {"I_MORPH", nullptr, &in.switches.I_MORPH}};
    ListItem group6[] = {{"F_FRIC", &sed.F_FRIC},
                         {"EFF_ON", &sed.EFF_ON},
                         {"EFF_OFF", &sed.EFF_OFF},
                         {"TAN_PHI", &sed.TAN_PHI}};
    ListItem group7[] = {{"DX_ND", &in.numerics.DX_ND}, {"H_CUT", &in.numerics.H_CUT}, {"L_ELEM", &in.numerics.L_ELEM}};
    ListItem group8[] = {{"DAMP1", &in.damping.DAMP1}};

    ListReader reader(unit5, file_name);
    reader.read_group(1, group1);
    reader.read_group(2, group2);
    reader.read_group(3, group3);
    reader.read_group(4, group4);
    reader.read_group(5, group5);
    reader.read_group(6, group6);
    reader.read_group(7, group7);
    reader.read_group(8, group8);

    // The wave model scales by H_WAVE and T_WAVE and divides by the slope;
    // the grid spacing and the cut-off depth must leave a grid and a wet
    // region to compute on.
    require_positive(1, group1[0], file_name, "");
    require_positive(1, group1[1], file_name, "");
    require_positive(2, group2[0], file_name, "");
    require_positive(2, group2[2], file_name, "");
    require_positive(4, group4[1], file_name, " (snapshots are written every N_OUT steps)");
    require_positive(7, group7[0], file_name, "");
    require_positive(7, group7[1], file_name, "");
    if (in.switches.I_INFIL == 1)
        require_positive(2, group2[1], file_name, " when the aquifer model is on (I_INFIL = 1)");

    // A negative friction factor or damping coefficient feeds energy into the
    // swash, a negative efficiency reverses the transport, and the transport
    // rate divides by the tangent of the friction angle.
    require_at_least_zero(6, group6[0], file_name, " (bottom friction factor)");
    require_at_least_zero(6, group6[1], file_name, " (transport efficiency)");
    require_at_least_zero(6, group6[2], file_name, " (transport efficiency)");
    require_positive(6, group6[3], file_name, " (tangent of the friction angle)");
    require_at_least_zero(8, group8[0], file_name, " (numerical damping)");
    return in;
}

}  // namespace tidmor
