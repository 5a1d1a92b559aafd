// libFuzzer target: the input data file reader and the start-up checks.
//
// Each input is taken as the whole content of an input data file. It is read
// by INPUT_DATA and, with the aquifer switched on, checked as the run would
// check it before creating any result file (check_aquifer_mesh), and the
// warnings are formed. Any outcome but acceptance or a RunFailure (a crash,
// a sanitizer report, an index outside a fixed array) is a finding.
//
//   make fuzz                      60 s from the committed seed corpus
//   make fuzz FUZZ_SECONDS=3600    longer, by hand
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "aquifer/aquifer_ini.hpp"
#include "common/run_failure.hpp"
#include "input/input_data.hpp"
#include "input/input_warnings.hpp"

namespace {

// Every block INPUT_DATA and the checks read or write starts each input at
// zero, as in a fresh run; the dense matrices, which they do not touch, are
// left alone so that an input costs microseconds rather than a 24 MB clear.
void reset_start_up_blocks(tidmor::Model& m) {
    using namespace tidmor::blocks;
    m.TIME_RELATED = TIME_RELATED{};
    m.N_CAL = N_CAL{};
    m.INDEX_INFIL = INDEX_INFIL{};
    m.WAVE_CONSD = WAVE_CONSD{};
    m.WAVE_CONSI = WAVE_CONSI{};
    m.DIFFX = DIFFX{};
    m.CUT_OFF = CUT_OFF{};
    m.DAMPING = DAMPING{};
    m.SED_INT = SED_INT{};
    m.CROSS_DIS = CROSS_DIS{};
    m.WAVE = WAVE{};
    m.WAVE_INI = WAVE_INI{};
    m.RUNUP = RUNUP{};
    m.SED_TRANS = SED_TRANS{};
    m.BEACH_PROFILE = BEACH_PROFILE{};
    m.CONSTS = CONSTS{};
    m.CAPILLARY = CAPILLARY{};
    m.L_ELEMENT = L_ELEMENT{};
    m.WELL = WELL{};
    m.CONFIG_BOUND = CONFIG_BOUND{};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto model = tidmor::make_model();
    tidmor::Model& m = *model;
    reset_start_up_blocks(m);
    std::istringstream unit5(std::string(reinterpret_cast<const char*>(data), size));
    try {
        tidmor::INPUT_DATA(m, unit5, "fuzz.dat");
        if (m.INDEX_INFIL.I_INFIL == 1) tidmor::check_aquifer_mesh(m, "fuzz.dat");
        (void)tidmor::input_warnings(m);
    } catch (const tidmor::RunFailure&) {
        // A rejection is a correct answer to a bad input.
    }
    return 0;
}
