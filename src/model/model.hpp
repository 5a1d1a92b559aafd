#pragma once
// The whole state of a run: one Model aggregating the model's blocks.
//
// Each block is a struct named after it, with the fields named as the
// model's equations name them. Reals are 64-bit doubles, integers 32-bit;
// arrays are indexed from 1 by node number:
//   wave grid       node j = 1 .. N_GRID  (<= 4000), x = DX*(j-1), node 1 seaward
//   aquifer boundary node j = 1 .. N_BND  (<= 999 in a solve)
// Everything starts at zero (the GAUSS block alone carries initial values)
// and lives for the whole run; once the run is going only the aquifer
// solver's store of solved geometries (bounded, AquiferSolver) allocates.
// A Model is large (three dense 1000 x 1000 arrays, 24 MB): create it with
// make_model(), never on the stack.
#include <cstdint>
#include <memory>

#include "aquifer/aquifer_solver.hpp"
#include "aquifer/gauss_legendre15.hpp"
#include "common/fixed_array.hpp"
#include "model/extents.hpp"
#include "model/work_space.hpp"

namespace tidmor {

namespace blocks {

// Run control and time.
struct TIME_RELATED {
    double T_MAX = 0;   // duration of the run (s)
    double TIME = 0;    // elapsed model time (s), end of the current step
    double DT_S = 0;    // length of the current step (s)
    double DT = 0;      // dimensionless step (unit T_WAVE), chosen by the wave model
};
struct N_CAL {
    double N_STEP = 0;    // steps taken, counted as a real
    double N_OUT = 0;     // snapshot interval in steps (may be fractional)
    double N_PERIOD = 0;  // wave periods since the last profile record
};
struct INDEX_INFIL {
    std::int32_t I_INFIL = 0;  // 1 = aquifer model on
    std::int32_t I_MORPH = 0;  // 1 = profile update on
};

// Wave parameters and grid.
struct WAVE_CONSD {
    double D_SEA = 0;      // still-water depth at node 1 (m)
    double D_SEA_ND = 0;   // D_SEA / H_WAVE
    double T_WAVE = 0;     // wave period (s)
    double H_WAVE = 0;     // wave height (m)
    double F_FRIC = 0;     // bottom friction factor
    double F_FRIC_ND = 0;  // dimensionless friction coefficient
};
struct WAVE_CONSI {
    std::int32_t N_SHORE = 0;  // last wet node
};
struct DIFFX {
    double DX = 0;     // grid spacing (m)
    double DX_ND = 0;  // grid spacing in units of T_WAVE*sqrt(g*H_WAVE)
};
struct CUT_OFF {
    double H_CUT = 0;  // smallest depth of a wet node, in units of H_WAVE
};
struct DAMPING {
    double DAMP1 = 0;  // damping on the u+c characteristic
    double DAMP2 = 0;  // damping on the u-c characteristic
};
struct SED_INT {
    std::int32_t N_GRID = 0;  // nodes of the cross-shore grid
    std::int32_t N_RAMP = 0;  // wave steps since the last profile update
};
struct CROSS_DIS {
    GridArray X_NODE;  // x of node j (m)
};
struct WAVE {
    GridArray U_ND;   // velocity, new time level (dimensionless)
    GridArray H_ND;   // depth, new time level (dimensionless)
    GridArray U_DIM;  // velocity (m/s)
    GridArray H_DIM;  // depth (m)
};
struct WAVE_INI {
    GridArray U_OLD;  // U_ND of the previous step
    GridArray H_OLD;  // H_ND of the previous step
};
struct RUNUP {
    std::int32_t N_UP = 0;    // highest shoreline node since the last evaluation
    std::int32_t N_DOWN = 0;  // lowest run-down node since the last evaluation
    double X_UP = 0;          // run-up limit of the last period (m)
    double X_DOWN = 0;        // run-down limit of the last period (m)
    double SLOPE_SWASH = 0;   // mean bed slope over the last period's swash zone
};

// Sediment and profile.
struct SED_TRANS {
    double T_CYCLE = 0;   // seconds since the last wave-period boundary
    double POROSITY = 0;  // porosity of the sand
    double RHO_S = 0;     // density of the sediment (kg/m^3)
    double EFF_ON = 0;    // transport efficiency, onshore flow
    double EFF_OFF = 0;   // transport efficiency, offshore flow
    double TAN_PHI = 0;   // tangent of the friction angle
};
struct BEACH_PROFILE {
    GridArray SLOPE;          // local bed slope
    GridArray SLOPE_ND;       // dimensionless slope term of the momentum equation
    GridArray Z_BED;          // bed elevation (m) above the bed at node 1
    GridArray DZ_BED;         // bed change of the last profile update (m)
    GridArray QS_ON;          // transport of the current period, onshore flow
    GridArray QS_OFF;         // the same, offshore flow
    GridArray QS_NET;         // net transport, smoothed over two periods
    GridArray SLOPE_ND_INC;   // slope change to be ramped in
    GridArray SLOPE_ND_BASE;  // SLOPE_ND at the start of the ramp
    GridArray QS_NET_OLD;     // QS_NET of the previous period
};

// Aquifer parameters.
struct CONSTS {
    double K_HYD = 0;     // hydraulic conductivity (m/s)
    double THETA_T = 0;   // time weight of the free-surface condition
    double TAN_BETA = 0;  // initial plane beach slope
    double H_LAND = 0;    // water-table elevation at the landward boundary (m)
    double X_LAND = 0;    // x of the landward boundary (m)
};
struct CAPILLARY {
    double H_CAP = 0;  // capillary fringe height (m)
};
struct L_ELEMENT {
    double L_ELEM = 0;  // element length along the beach face (m)
};
struct WELL {
    double X_WELL = 0;  // x of the well (m)
    double Z_WELL = 0;  // elevation of the well (m)
    double Q_WELL = 0;  // discharge / K_HYD (m); > 0 switches the well on
    BoundaryArray PHI_WELL;   // head of the well at boundary node j
    BoundaryArray DPHI_WELL;  // normal derivative of the well's head at node j
};
struct TI_ME {
    double DT_AQ = 0;  // time step of the free-surface condition (s)
};

// Aquifer boundary and system.
struct CONFIG_BOUND {
    std::int32_t N_BND = 0;   // boundary nodes (= elements = unknowns)
    std::int32_t N_FACE = 0;  // beach-face nodes 1 .. N_FACE
    std::int32_t N_FREE = 0;  // water-table nodes N_FACE+1 .. N_FACE+N_FREE
};
struct NODE_PROPERTIES {
    BoundaryArray X_BND;    // x of node j (m)
    BoundaryArray Z_BND;    // elevation of node j (m)
    BoundaryArray PHI_BND;  // head at node j (m)
    BoundaryArray Q_BND;    // derivative of the head along the outward normal
    BoundaryCodes KODE_BND; // boundary-condition code 1..4
};
struct FINAL_INI {
    BoundaryArray X_BND0, Z_BND0, PHI_BND0, Q_BND0;
    BoundaryCodes KODE_BND0;
};
struct FINAL_INIC {
    std::int32_t N_BND0 = 0, N_FACE0 = 0, N_FREE0 = 0;
};
struct FREE_SURFACE {
    BoundaryArray ANG_MOVE;  // angle from the vertical of a water-table node's path (rad)
    BoundaryArray FS_COEF;   // free-surface factor (m)
};
struct COE_MATRIX {
    Matrix1000 G_COEF;  // multiplies the normal derivatives
    Matrix1000 H_COEF;  // multiplies the heads
};
struct EQUATIONS {
    Matrix1000 A_EQ;     // augmented system, right-hand side in column N_EQ + 1
    BoundaryArray X_EQ;  // solution of the last solve
    std::int32_t N_EQ = 0;
};
// Flow through the beach face on the wave grid. Sized to the whole grid so
// that, with the aquifer off, a wet region beyond node 1000 reads 0 here;
// the aquifer itself is limited to grids of 1000 nodes by the input check.
struct INFILTRATION {
    GridArray INFIL;           // m/s, positive out of the beach
    GridArray INFIL_ND;        // dimensionless INFIL
    GridArray INFIL_RATE;      // rate of change of INFIL_ND over the step
    GridArray INFIL_ABS_RATE;  // rate of change of |INFIL_ND| over the step
};
struct GAUSS {
    Array1<double, GAUSS_POINTS> XI_GAUSS = widen(GAUSS_ABSCISSAE);
    Array1<double, GAUSS_POINTS> W_GAUSS = widen(GAUSS_WEIGHTS);

private:
    static constexpr Array1<double, GAUSS_POINTS> widen(const std::array<float, GAUSS_POINTS>& values) {
        Array1<double, GAUSS_POINTS> out{};
        for (int k = 0; k < GAUSS_POINTS; ++k) out.v[static_cast<std::size_t>(k)] = double(values[static_cast<std::size_t>(k)]);
        return out;
    }
};

}  // namespace blocks

struct Model {
    blocks::TIME_RELATED TIME_RELATED;
    blocks::N_CAL N_CAL;
    blocks::INDEX_INFIL INDEX_INFIL;
    blocks::WAVE_CONSD WAVE_CONSD;
    blocks::WAVE_CONSI WAVE_CONSI;
    blocks::DIFFX DIFFX;
    blocks::CUT_OFF CUT_OFF;
    blocks::DAMPING DAMPING;
    blocks::SED_INT SED_INT;
    blocks::CROSS_DIS CROSS_DIS;
    blocks::WAVE WAVE;
    blocks::WAVE_INI WAVE_INI;
    blocks::RUNUP RUNUP;
    blocks::SED_TRANS SED_TRANS;
    blocks::BEACH_PROFILE BEACH_PROFILE;
    blocks::CONSTS CONSTS;
    blocks::CAPILLARY CAPILLARY;
    blocks::L_ELEMENT L_ELEMENT;
    blocks::WELL WELL;
    blocks::TI_ME TI_ME;
    blocks::CONFIG_BOUND CONFIG_BOUND;
    blocks::NODE_PROPERTIES NODE_PROPERTIES;
    blocks::FINAL_INI FINAL_INI;
    blocks::FINAL_INIC FINAL_INIC;
    blocks::FREE_SURFACE FREE_SURFACE;
    blocks::COE_MATRIX COE_MATRIX;
    blocks::EQUATIONS EQUATIONS;
    blocks::INFILTRATION INFILTRATION;
    blocks::GAUSS GAUSS;

    // Threads, reuse of boundary systems and the solver's work space
    // (defaults when the model is made without run options).
    AquiferSolver aquifer_solver;
    WorkSpace work;
};

// A zeroed model on the heap.
inline std::unique_ptr<Model> make_model() { return std::make_unique<Model>(); }

}  // namespace tidmor
