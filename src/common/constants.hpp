#pragma once
// The numerical constants of the model's formulas.
//
// Most of them are single-precision values used in double-precision
// arithmetic: the float literal widened to double, so 0.4 is
// 0.4000000059604645 and 9.81 is 9.8100004196167. Results are compared
// digit by digit with other runs, so these widened values, not the exact
// decimals, are what the formulas must use. Each constant is defined here
// and only here.

namespace tidmor {

// Gravity (m/s^2), single precision.
inline constexpr double GRAVITY = double(9.81f);
// pi in single precision; the boundary-element kernels divide by 4 pi_s.
inline constexpr double PI_SINGLE = double(3.14159265358979f);
// 2 pi as written in the incident wave and the well formulas: 6.283185.
inline constexpr double TWO_PI_SINGLE = double(6.283185f);
// Phase offset of the incident wave: 1.57, not exactly a quarter period.
inline constexpr double INCIDENT_PHASE = double(1.57f);
// Amplitude of the incident wave in units of H_WAVE: half the wave height.
inline constexpr double INCIDENT_AMPLITUDE = 0.5;

// The bottom stress of the swash is (F_FRIC / 2) rho u |u|: the friction
// factor enters the momentum equation halved.
inline constexpr double FRICTION_HALF = 0.5;

// Courant number of the wave scheme.
inline constexpr double COURANT = double(0.4f);
// Number of wave steps over which a new bed slope is phased in.
inline constexpr int SLOPE_RAMP_STEPS = 20;
// Number of wet nodes over which the depth must fall toward the shoreline;
// also the fewest wet nodes the scheme can run with.
inline constexpr int TAIL_NODES = 6;
// Water depth (m) below which a node counts as run-down.
inline constexpr double RUNDOWN_DEPTH = double(0.002f);

// Sediment: porosity, density (kg/m^3), thin-water limit (m), velocity
// limit of the transport rate (m/s), smallest velocity of the exchange
// parameter (m/s), and the thresholds of the boundary-layer factor.
inline constexpr double POROSITY_SAND = double(0.4f);
inline constexpr double RHO_SEDIMENT = 2650.0;
inline constexpr double TRANSPORT_MIN_DEPTH = double(0.02f);
inline constexpr double TRANSPORT_MAX_VELOCITY = 2.0;
inline constexpr double EXCHANGE_MIN_VELOCITY = double(0.0001f);
inline constexpr double EXCHANGE_NEGLIGIBLE = double(1e-7f);
inline constexpr double EXCHANGE_BLOCKING = 100.0;
inline constexpr double EXCHANGE_FACTOR_CAP = 10.0;

// Profile update: coarse stride of the bed-change stencil (nodes).
inline constexpr int COARSE_STRIDE = 10;
// Wave periods between two profile records.
inline constexpr double PERIODS_PER_PROFILE_RECORD = 10.0;
// Snapshots are written during the last this-many wave periods.
inline constexpr double SNAPSHOT_PERIODS = 4.0;
// Tolerance of the whole-multiple test of the snapshot schedule: 1e-5.
inline constexpr double SNAPSHOT_TOLERANCE = double(1e-5f);

// Aquifer: time weight of the free-surface condition, capillary fringe (m),
// pseudo-time step of the initial relaxation (s), seepage-node offset and
// node-removal distance (both 0.1, single precision), convergence ratio of
// the sweeps (0.1, single precision).
inline constexpr double THETA_FREE_SURFACE = 0.5;
inline constexpr double CAPILLARY_FRINGE = double(0.1f);
inline constexpr double DT_RELAXATION = 360.0;
inline constexpr double SEEPAGE_OFFSET = double(0.1f);
inline constexpr double NODE_REMOVAL_DISTANCE = double(0.1f);
inline constexpr double SWEEP_CONVERGENCE = double(0.1f);
// The relaxation sweeps end when the water table has come to rest: a mean
// movement of at most 1e-12 m per sweep is below anything the ratio test can
// resolve. Past MAX_SWEEPS the relaxation is taken as failed.
inline constexpr double SWEEP_REST_MOVEMENT = 1e-12;
inline constexpr int MAX_SWEEPS = 100000;
// A relaxation whose movement per sweep has grown to this multiple of its
// smallest value is diverging, not settling: three orders of magnitude.
inline constexpr double RELAXATION_GROWTH_LIMIT = 1000.0;
// On a beach face steeper than this, water-table nodes move vertically.
inline constexpr double VERTICAL_MOTION_SLOPE = 100.0;
// Boundary rebuild for a shoreline beyond the reference face: face nodes
// every EXTENDED_FACE_SPACING element lengths, as the water table and the
// bottom are meshed; a reference water-table node below the shoreline's bed
// is kept only under a line from the shoreline no steeper than this.
inline constexpr double EXTENDED_FACE_SPACING = 2.0;
inline constexpr double WATER_TABLE_DROP_SLOPE = 10.0;
// A well closer to the aquifer boundary than this many element lengths is
// refused; closer than WELL_RESOLVED_CLEARANCE it runs with a warning.
inline constexpr double WELL_REFUSAL_CLEARANCE = 0.25;
inline constexpr double WELL_RESOLVED_CLEARANCE = 1.0;

}  // namespace tidmor
