#pragma once
// Hand-built wave states for the tests of the swash model.
#include <memory>

#include "model/model.hpp"

namespace tidmor::wave_test {

// Still water on a plane slope: SLOPE_ND = 1/2 and DX_ND = 1/4, so the depth
// falls by exactly 1/8 from node to node, from 4 at node 1 (D_SEA_ND = 4,
// c_d = 2) to 4 - (n_shore - 1)/8 at the shoreline. Every value is a short
// binary fraction, so the hydrostatic balance holds without rounding.
// DT = 1/8 (lambda = 1/2), T_WAVE = 10 s, H_WAVE = 1 m, DX = 1 m,
// H_CUT = 1/16, no damping, no friction, no exchange with the bed.
inline std::unique_ptr<Model> plane_beach(int n_shore = 20, int n_grid = 40) {
    auto m = make_model();
    m->WAVE_CONSI.N_SHORE = n_shore;
    m->SED_INT.N_GRID = n_grid;
    m->DIFFX.DX_ND = 0.25;
    m->DIFFX.DX = 1.0;
    m->TIME_RELATED.DT = 0.125;
    m->WAVE_CONSD.T_WAVE = 10.0;
    m->WAVE_CONSD.H_WAVE = 1.0;
    m->WAVE_CONSD.D_SEA_ND = 4.0;
    m->CUT_OFF.H_CUT = 0.0625;
    m->RUNUP.N_DOWN = n_grid;
    for (int j = 1; j <= n_grid; ++j) {
        m->BEACH_PROFILE.SLOPE_ND[j] = 0.5;
        m->BEACH_PROFILE.SLOPE_ND_BASE[j] = 0.5;
    }
    for (int j = 1; j <= n_shore; ++j) {
        const double h = 4.0 - 0.125 * (j - 1);
        m->WAVE_INI.H_OLD[j] = h;
        m->WAVE.H_ND[j] = h;
        m->WAVE.H_DIM[j] = h;
    }
    return m;
}

}  // namespace tidmor::wave_test
