#include "api/model_state.hpp"

#include <bit>
#include <stdexcept>
#include <string>

#include "common/byte_codec.hpp"

namespace tidmor {

namespace {

// A block gaining a field must be kept here too: these sizes stop the build
// until it is.
static_assert(sizeof(blocks::TIME_RELATED) == 4 * 8 && sizeof(blocks::N_CAL) == 3 * 8 &&
              sizeof(blocks::INDEX_INFIL) == 2 * 4 && sizeof(blocks::WAVE_CONSD) == 6 * 8 &&
              sizeof(blocks::WAVE_CONSI) == 4 && sizeof(blocks::DIFFX) == 2 * 8 && sizeof(blocks::CUT_OFF) == 8 &&
              sizeof(blocks::DAMPING) == 2 * 8 && sizeof(blocks::SED_INT) == 2 * 4 &&
              sizeof(blocks::CROSS_DIS) == sizeof(GridArray) && sizeof(blocks::WAVE) == 4 * sizeof(GridArray) &&
              sizeof(blocks::WAVE_INI) == 2 * sizeof(GridArray) && sizeof(blocks::RUNUP) == 4 * 8 &&
              sizeof(blocks::SED_TRANS) == 6 * 8 && sizeof(blocks::BEACH_PROFILE) == 10 * sizeof(GridArray) &&
              sizeof(blocks::CONSTS) == 5 * 8 && sizeof(blocks::CAPILLARY) == 8 && sizeof(blocks::L_ELEMENT) == 8 &&
              sizeof(blocks::WELL) == 3 * 8 + 2 * sizeof(BoundaryArray) && sizeof(blocks::TI_ME) == 8 &&
              sizeof(blocks::CONFIG_BOUND) == 3 * 4 &&
              sizeof(blocks::NODE_PROPERTIES) == 4 * sizeof(BoundaryArray) + sizeof(BoundaryCodes) &&
              sizeof(blocks::FINAL_INI) == 4 * sizeof(BoundaryArray) + sizeof(BoundaryCodes) &&
              sizeof(blocks::FINAL_INIC) == 3 * 4 && sizeof(blocks::FREE_SURFACE) == 2 * sizeof(BoundaryArray) &&
              sizeof(blocks::EQUATIONS) == sizeof(Matrix1000) + sizeof(BoundaryArray) + 8 &&
              sizeof(blocks::INFILTRATION) == 4 * sizeof(GridArray),
              "a block of the model changed: keep its fields in the checkpoint");

class Writer {
public:
    void block(std::string_view name) { out_.text(name); }
    void operator()(const double& v) { out_.real(v); }
    void operator()(const std::int32_t& v) { out_.i32(v); }
    template <int N>
    void operator()(const Array1<double, N>& a) {
        int used = N;
        while (used > 0 && std::bit_cast<std::uint64_t>(a.v[static_cast<std::size_t>(used - 1)]) == 0) --used;
        out_.u32(static_cast<std::uint32_t>(used));
        for (int k = 0; k < used; ++k) out_.real(a.v[static_cast<std::size_t>(k)]);
    }
    template <int N>
    void operator()(const Array1<std::int32_t, N>& a) {
        int used = N;
        while (used > 0 && a.v[static_cast<std::size_t>(used - 1)] == 0) --used;
        out_.u32(static_cast<std::uint32_t>(used));
        for (int k = 0; k < used; ++k) out_.i32(a.v[static_cast<std::size_t>(k)]);
    }
    std::string take() { return out_.take(); }

private:
    ByteWriter out_;
};

class Reader {
public:
    explicit Reader(std::string_view state) : in_(state) {}
    void block(std::string_view name) {
        block_ = name;
        if (in_.text() != name) fail("is not where it belongs");
    }
    void operator()(double& v) { v = in_.real(); }
    void operator()(std::int32_t& v) { v = in_.i32(); }
    template <typename T, int N>
    void operator()(Array1<T, N>& a) {
        const std::uint32_t used = in_.u32();
        if (used > static_cast<std::uint32_t>(N)) fail("holds an array longer than this program's");
        a.v.fill(T{});
        for (std::uint32_t k = 0; k < used; ++k) (*this)(a.v[k]);
    }
    void end() {
        if (in_.left() != 0) fail("is followed by data this program does not know");
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("the model state of block " + std::string(block_) + " " + what);
    }

private:
    ByteReader in_;
    std::string_view block_ = "TIME_RELATED";
};

// Every kept field, in the order of the blocks; the same list writes and reads.
template <typename Io, typename M>
void visit_state(Io& io, M& m) {
    io.block("TIME_RELATED");
    io(m.TIME_RELATED.T_MAX), io(m.TIME_RELATED.TIME), io(m.TIME_RELATED.DT_S), io(m.TIME_RELATED.DT);
    io.block("N_CAL");
    io(m.N_CAL.N_STEP), io(m.N_CAL.N_OUT), io(m.N_CAL.N_PERIOD);
    io.block("INDEX_INFIL");
    io(m.INDEX_INFIL.I_INFIL), io(m.INDEX_INFIL.I_MORPH);
    io.block("WAVE_CONSD");
    io(m.WAVE_CONSD.D_SEA), io(m.WAVE_CONSD.D_SEA_ND), io(m.WAVE_CONSD.T_WAVE), io(m.WAVE_CONSD.H_WAVE);
    io(m.WAVE_CONSD.F_FRIC), io(m.WAVE_CONSD.F_FRIC_ND);
    io.block("WAVE_CONSI");
    io(m.WAVE_CONSI.N_SHORE);
    io.block("DIFFX");
    io(m.DIFFX.DX), io(m.DIFFX.DX_ND);
    io.block("CUT_OFF");
    io(m.CUT_OFF.H_CUT);
    io.block("DAMPING");
    io(m.DAMPING.DAMP1), io(m.DAMPING.DAMP2);
    io.block("SED_INT");
    io(m.SED_INT.N_GRID), io(m.SED_INT.N_RAMP);
    io.block("CROSS_DIS");
    io(m.CROSS_DIS.X_NODE);
    io.block("WAVE");
    io(m.WAVE.U_ND), io(m.WAVE.H_ND), io(m.WAVE.U_DIM), io(m.WAVE.H_DIM);
    io.block("WAVE_INI");
    io(m.WAVE_INI.U_OLD), io(m.WAVE_INI.H_OLD);
    io.block("RUNUP");
    io(m.RUNUP.N_UP), io(m.RUNUP.N_DOWN), io(m.RUNUP.X_UP), io(m.RUNUP.X_DOWN), io(m.RUNUP.SLOPE_SWASH);
    io.block("SED_TRANS");
    io(m.SED_TRANS.T_CYCLE), io(m.SED_TRANS.POROSITY), io(m.SED_TRANS.RHO_S), io(m.SED_TRANS.EFF_ON);
    io(m.SED_TRANS.EFF_OFF), io(m.SED_TRANS.TAN_PHI);
    io.block("BEACH_PROFILE");
    auto& p = m.BEACH_PROFILE;
    io(p.SLOPE), io(p.SLOPE_ND), io(p.Z_BED), io(p.DZ_BED), io(p.QS_ON), io(p.QS_OFF), io(p.QS_NET);
    io(p.SLOPE_ND_INC), io(p.SLOPE_ND_BASE), io(p.QS_NET_OLD);
    io.block("CONSTS");
    io(m.CONSTS.K_HYD), io(m.CONSTS.THETA_T), io(m.CONSTS.TAN_BETA), io(m.CONSTS.H_LAND), io(m.CONSTS.X_LAND);
    io.block("CAPILLARY");
    io(m.CAPILLARY.H_CAP);
    io.block("L_ELEMENT");
    io(m.L_ELEMENT.L_ELEM);
    io.block("WELL");
    io(m.WELL.X_WELL), io(m.WELL.Z_WELL), io(m.WELL.Q_WELL), io(m.WELL.PHI_WELL), io(m.WELL.DPHI_WELL);
    io.block("TI_ME");
    io(m.TI_ME.DT_AQ);
    io.block("CONFIG_BOUND");
    io(m.CONFIG_BOUND.N_BND), io(m.CONFIG_BOUND.N_FACE), io(m.CONFIG_BOUND.N_FREE);
    io.block("NODE_PROPERTIES");
    auto& nodes = m.NODE_PROPERTIES;
    io(nodes.X_BND), io(nodes.Z_BND), io(nodes.PHI_BND), io(nodes.Q_BND), io(nodes.KODE_BND);
    io.block("FINAL_INI");
    auto& ref = m.FINAL_INI;
    io(ref.X_BND0), io(ref.Z_BND0), io(ref.PHI_BND0), io(ref.Q_BND0), io(ref.KODE_BND0);
    io.block("FINAL_INIC");
    io(m.FINAL_INIC.N_BND0), io(m.FINAL_INIC.N_FACE0), io(m.FINAL_INIC.N_FREE0);
    io.block("FREE_SURFACE");
    io(m.FREE_SURFACE.ANG_MOVE), io(m.FREE_SURFACE.FS_COEF);
    io.block("EQUATIONS");
    io(m.EQUATIONS.X_EQ), io(m.EQUATIONS.N_EQ);
    io.block("INFILTRATION");
    auto& inf = m.INFILTRATION;
    io(inf.INFIL), io(inf.INFIL_ND), io(inf.INFIL_RATE), io(inf.INFIL_ABS_RATE);
}

}  // namespace

std::string encode_model_state(const Model& m) {
    Writer out;
    visit_state(out, m);
    return out.take();
}

void decode_model_state(std::string_view state, Model& m) {
    Reader in(state);
    try {
        visit_state(in, m);
    } catch (const std::out_of_range&) {
        in.fail("ends early");
    }
    in.end();
}

}  // namespace tidmor
