#pragma once
// A model with the fixed constants of the aquifer set, its console and
// "outg.dat" connected to strings, and a plane beach chosen per test.
#include <gtest/gtest.h>

#include <sstream>

#include "aquifer/aquifer_ini_mesh.hpp"
#include "common/constants.hpp"

namespace tidmor {

struct AquiferIniFixture : ::testing::Test {
    std::unique_ptr<Model> model = make_model();
    Model& m = *model;
    Units units;
    std::ostringstream console, outg;

    void SetUp() override {
        units.console = &console;
        units.outg.stream = &outg;
        m.SED_TRANS.POROSITY = POROSITY_SAND;
        m.CONSTS.THETA_T = THETA_FREE_SURFACE;
        m.CONSTS.K_HYD = 1e-3;
    }
    void beach(double l_elem, double tan_beta, double d_sea, double h_land, double x_land) {
        m.L_ELEMENT.L_ELEM = l_elem;
        m.CONSTS.TAN_BETA = tan_beta;
        m.WAVE_CONSD.D_SEA = d_sea;
        m.CONSTS.H_LAND = h_land;
        m.CONSTS.X_LAND = x_land;
    }
    void generate() {
        AquiferMeshLayout layout;
        ASSERT_EQ(aquifer_mesh_layout(m, layout), "");
        generate_aquifer_mesh(m, layout, m.NODE_PROPERTIES, m.CONFIG_BOUND);
    }
};

}  // namespace tidmor
