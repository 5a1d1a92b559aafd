// Every function of the BMI class, on the coupled example (aquifer on) and
// the plane beach (aquifer off).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "api/bmi.hpp"
#include "api/case_runner.hpp"
#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const fs::path EXAMPLES = fs::path(TIDMOR_SOURCE_DIR) / "examples";
const fs::path CASES = fs::path(TIDMOR_SOURCE_DIR) / "tests" / "run" / "cases";

const char* const BED = "land_surface__elevation";
const char* const DEPTH = "sea_water__depth";
const char* const INFIL = "tidmor__bed_outflow_volume_flux";
const char* const WATER_TABLE = "soil_water_sat-zone_top_surface__elevation";
const char* const HEAD = "tidmor__aquifer_boundary_hydraulic_head";

std::vector<double> values_of(BmiTidmor& bmi, const std::string& name) {
    std::vector<double> v(static_cast<std::size_t>(bmi.GetVarNbytes(name)) / sizeof(double));
    bmi.GetValue(name, v.data());
    return v;
}

TEST(Bmi, InitializeTakesTheFolderOrItsControlFileAndWritesTheProgramsResults) {
    const fs::path case_dir = CASES / "aquifer_one_period";
    for (const bool by_control_file : {false, true}) {
        const fs::path scratch = copy_case(case_dir, "bmi-files");
        BmiTidmor bmi;
        bmi.Initialize(by_control_file ? (scratch / "SIM.FILE").string() : scratch.string());
        bmi.UpdateUntil(bmi.GetEndTime());
        bmi.Finalize();
        for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
            EXPECT_EQ(first_difference(read_file(case_dir / "expected" / name), read_file(scratch / name)), "")
                << name;
        fs::remove_all(scratch);
    }
    const fs::path scratch = copy_case(case_dir, "bmi-off");
    BmiTidmor quiet(false);
    quiet.Initialize(scratch.string());
    quiet.Update();
    quiet.Finalize();
    EXPECT_FALSE(fs::exists(scratch / "outw.dat"));
    EXPECT_THROW(quiet.Initialize(scratch.string()), std::logic_error);
    EXPECT_THROW(BmiTidmor(false).Initialize((scratch / "case.dat").string()), std::invalid_argument);
    fs::remove_all(scratch);
    EXPECT_THROW(BmiTidmor().Update(), std::logic_error);
}

// Rejected input in Initialize, a breakdown in the first Update.
TEST(Bmi, ModelFailuresKeepTheProgramsStatusAndMessage) {
    for (const char* name : {"rejected_mesh", "wet_region_too_small"}) {
        const fs::path case_dir = CASES / name;
        BmiTidmor bmi(false);
        try {
            bmi.Initialize(case_dir.string());
            bmi.Update();
            FAIL() << name;
        } catch (const RunFailure& failure) {
            EXPECT_EQ(std::to_string(failure.status()) + "\n", read_file(case_dir / "expected" / "status"));
            EXPECT_EQ(std::string("tidmor: ") + failure.what() + "\n",
                      read_file(case_dir / "expected" / "stderr.txt"));
        }
    }
}

TEST(Bmi, NamesTypesUnitsAndGridsOfTheVariables) {
    BmiTidmor coupled(false), plane(false);
    coupled.Initialize((EXAMPLES / "coupled_beach").string());
    plane.Initialize((EXAMPLES / "plane_beach").string());
    EXPECT_EQ(coupled.GetComponentName(), "TIDMOR");

    // The flow through the bed is an input only with the aquifer off.
    EXPECT_EQ(coupled.GetInputVarNames(), std::vector<std::string>{BED});
    EXPECT_EQ(plane.GetInputVarNames(), (std::vector<std::string>{BED, INFIL}));
    EXPECT_EQ(coupled.GetInputItemCount(), 1);
    EXPECT_EQ(plane.GetInputItemCount(), 2);
    const std::vector<std::string> out = coupled.GetOutputVarNames();
    EXPECT_EQ(coupled.GetOutputItemCount(), 16);
    EXPECT_EQ(std::set<std::string>(out.begin(), out.end()).size(), out.size());
    for (const char* name : {BED, DEPTH, WATER_TABLE, "sea_water_flow__x_component_of_velocity"})
        EXPECT_NE(std::find(out.begin(), out.end(), name), out.end()) << name;

    EXPECT_EQ(coupled.GetVarGrid(BED), WAVE_GRID);
    EXPECT_EQ(coupled.GetVarGrid(HEAD), BOUNDARY_GRID);
    EXPECT_EQ(coupled.GetVarGrid("tidmor__shoreline_node"), SCALAR_GRID);
    EXPECT_EQ(coupled.GetVarGrid(WATER_TABLE), WATER_TABLE_GRID);
    EXPECT_EQ(coupled.GetVarType(BED), "double");
    EXPECT_EQ(coupled.GetVarType("tidmor__shoreline_node"), "int");
    EXPECT_EQ(coupled.GetVarItemsize(BED), 8);
    EXPECT_EQ(coupled.GetVarItemsize("tidmor__aquifer_boundary_condition_code"), 4);
    EXPECT_EQ(coupled.GetVarUnits(BED), "m");
    EXPECT_EQ(coupled.GetVarUnits(INFIL), "m s-1");
    EXPECT_EQ(coupled.GetVarUnits("sea_water_flow__x_component_of_velocity"), "m s-1");
    EXPECT_EQ(coupled.GetVarUnits("tidmor__aquifer_boundary_normal_head_gradient"), "1");
    EXPECT_EQ(coupled.GetVarLocation(BED), "node");
    EXPECT_EQ(coupled.GetVarNbytes(BED), 8 * coupled.GetGridSize(WAVE_GRID));
    EXPECT_EQ(coupled.GetVarNbytes("tidmor__shoreline_node"), 4);
    EXPECT_THROW(coupled.GetVarUnits("bed"), std::invalid_argument);
    // The model's own names are accepted too.
    EXPECT_EQ(coupled.GetVarGrid("Z_BED"), WAVE_GRID);
}

TEST(Bmi, TimeInSeconds) {
    BmiTidmor bmi(false);
    bmi.Initialize((EXAMPLES / "plane_beach").string());
    EXPECT_EQ(bmi.GetTimeUnits(), "s");
    EXPECT_EQ(bmi.GetStartTime(), 0.0);
    EXPECT_EQ(bmi.GetEndTime(), 324.0);  // T_MAX
    EXPECT_EQ(bmi.GetCurrentTime(), 0.0);
    EXPECT_EQ(bmi.GetTimeStep(), 0.0);
    bmi.Update();
    const double first = bmi.GetCurrentTime();
    EXPECT_GT(first, 0.0);
    EXPECT_EQ(bmi.GetTimeStep(), first);
    bmi.Update();
    EXPECT_EQ(bmi.GetCurrentTime(), first + bmi.GetTimeStep());
    bmi.UpdateUntil(20.0);
    EXPECT_GE(bmi.GetCurrentTime(), 20.0);
    EXPECT_LT(bmi.GetCurrentTime() - bmi.GetTimeStep(), 20.0);
}

TEST(Bmi, GridsAndTheirSizesAsTheShorelineMoves) {
    BmiTidmor bmi(false);
    bmi.Initialize((EXAMPLES / "coupled_beach").string());
    const Simulation& sim = bmi.simulation();
    const int n_grid = sim.grid_nodes();

    EXPECT_EQ(bmi.GetGridType(WAVE_GRID), "uniform_rectilinear");
    EXPECT_EQ(bmi.GetGridType(BOUNDARY_GRID), "unstructured");
    EXPECT_EQ(bmi.GetGridType(SCALAR_GRID), "scalar");
    EXPECT_EQ(bmi.GetGridType(WATER_TABLE_GRID), "unstructured");
    EXPECT_EQ(bmi.GetGridRank(WAVE_GRID), 1);
    EXPECT_EQ(bmi.GetGridRank(BOUNDARY_GRID), 2);
    EXPECT_EQ(bmi.GetGridRank(SCALAR_GRID), 0);
    EXPECT_EQ(bmi.GetGridRank(WATER_TABLE_GRID), 2);
    EXPECT_THROW(bmi.GetGridRank(4), std::invalid_argument);

    int shape = 0;
    double spacing = 0, origin = -1;
    bmi.GetGridShape(WAVE_GRID, &shape);
    bmi.GetGridSpacing(WAVE_GRID, &spacing);
    bmi.GetGridOrigin(WAVE_GRID, &origin);
    EXPECT_EQ(shape, n_grid);
    EXPECT_EQ(spacing, sim.grid_spacing());
    EXPECT_EQ(origin, 0.0);
    EXPECT_THROW(bmi.GetGridShape(BOUNDARY_GRID, &shape), std::invalid_argument);
    EXPECT_THROW(bmi.GetGridSpacing(SCALAR_GRID, &spacing), std::invalid_argument);
    EXPECT_THROW(bmi.GetGridOrigin(WATER_TABLE_GRID, &origin), std::invalid_argument);
    EXPECT_EQ(bmi.GetGridSize(SCALAR_GRID), 1);
    EXPECT_EQ(bmi.GetGridNodeCount(WAVE_GRID), n_grid);
    EXPECT_EQ(bmi.GetGridEdgeCount(WAVE_GRID), n_grid - 1);
    EXPECT_EQ(bmi.GetGridFaceCount(WAVE_GRID), 0);
    EXPECT_EQ(bmi.GetGridEdgeCount(SCALAR_GRID), 0);

    std::vector<double> x(static_cast<std::size_t>(n_grid));
    bmi.GetGridX(WAVE_GRID, x.data());
    EXPECT_EQ(x[1], spacing);
    std::vector<int> edges(2 * static_cast<std::size_t>(n_grid - 1));
    bmi.GetGridEdgeNodes(WAVE_GRID, edges.data());
    EXPECT_EQ(edges[0], 0);
    EXPECT_EQ(edges.back(), n_grid - 1);
    EXPECT_THROW(bmi.GetGridY(WAVE_GRID, x.data()), std::invalid_argument);
    EXPECT_THROW(bmi.GetGridZ(BOUNDARY_GRID, x.data()), std::invalid_argument);
    EXPECT_THROW(bmi.GetGridX(SCALAR_GRID, x.data()), std::invalid_argument);

    // The boundary follows the shoreline: its size changes from step to
    // step, and every size function follows it.
    std::set<int> sizes;
    while (bmi.GetCurrentTime() < 40.0) {
        bmi.Update();
        const int n = bmi.GetGridSize(BOUNDARY_GRID);
        const int n_free = bmi.GetGridSize(WATER_TABLE_GRID);
        sizes.insert(n);
        ASSERT_EQ(n, sim.boundary_nodes());
        ASSERT_EQ(n_free, sim.water_table_nodes());
        ASSERT_EQ(bmi.GetGridNodeCount(BOUNDARY_GRID), n);
        ASSERT_EQ(bmi.GetVarNbytes(HEAD), 8 * n);
        ASSERT_EQ(bmi.GetVarNbytes(WATER_TABLE), 8 * n_free);
        ASSERT_EQ(bmi.GetGridEdgeCount(BOUNDARY_GRID), n);
        ASSERT_EQ(bmi.GetGridFaceCount(BOUNDARY_GRID), 1);
        ASSERT_EQ(bmi.GetGridEdgeCount(WATER_TABLE_GRID), n_free - 1);
    }
    EXPECT_GT(sizes.size(), 1u);

    // The closed boundary of the aquifer: one face of N_BND nodes and edges.
    const int n = bmi.GetGridSize(BOUNDARY_GRID);
    std::vector<double> bx(static_cast<std::size_t>(n)), bz(static_cast<std::size_t>(n));
    bmi.GetGridX(BOUNDARY_GRID, bx.data());
    bmi.GetGridY(BOUNDARY_GRID, bz.data());
    EXPECT_EQ(bx[0], sim.model().NODE_PROPERTIES.X_BND[1]);
    EXPECT_EQ(bz[static_cast<std::size_t>(n - 1)], sim.model().NODE_PROPERTIES.Z_BND[n]);
    std::vector<int> boundary_edges(2 * static_cast<std::size_t>(n)), face_edges(static_cast<std::size_t>(n)),
        face_nodes(static_cast<std::size_t>(n));
    bmi.GetGridEdgeNodes(BOUNDARY_GRID, boundary_edges.data());
    EXPECT_EQ(boundary_edges[2 * static_cast<std::size_t>(n) - 2], n - 1);
    EXPECT_EQ(boundary_edges[2 * static_cast<std::size_t>(n) - 1], 0);
    bmi.GetGridFaceEdges(BOUNDARY_GRID, face_edges.data());
    bmi.GetGridFaceNodes(BOUNDARY_GRID, face_nodes.data());
    EXPECT_EQ(face_edges[static_cast<std::size_t>(n - 1)], n - 1);
    EXPECT_EQ(face_nodes[static_cast<std::size_t>(n - 1)], n - 1);
    int nodes_per_face = 0;
    bmi.GetGridNodesPerFace(BOUNDARY_GRID, &nodes_per_face);
    EXPECT_EQ(nodes_per_face, n);

    // The water table: the boundary's nodes after the beach face.
    const int n_free = bmi.GetGridSize(WATER_TABLE_GRID);
    std::vector<double> wx(static_cast<std::size_t>(n_free)), wz(static_cast<std::size_t>(n_free));
    bmi.GetGridX(WATER_TABLE_GRID, wx.data());
    bmi.GetGridY(WATER_TABLE_GRID, wz.data());
    EXPECT_EQ(wx[0], bx[static_cast<std::size_t>(sim.face_nodes())]);
    EXPECT_EQ(wz, values_of(bmi, WATER_TABLE));
}

TEST(Bmi, ValuesAndPointersIntoTheModel) {
    BmiTidmor bmi(false);
    bmi.Initialize((EXAMPLES / "coupled_beach").string());
    const Model& m = bmi.simulation().model();
    // The pointer is at node 1 of the model's array and sees every later step.
    auto* depth = static_cast<const double*>(bmi.GetValuePtr(DEPTH));
    EXPECT_EQ(depth, &m.WAVE.H_DIM[1]);
    EXPECT_EQ(bmi.GetValuePtr("tidmor__shoreline_node"), &m.WAVE_CONSI.N_SHORE);
    auto* head = static_cast<const double*>(bmi.GetValuePtr(HEAD));
    for (int k = 0; k < 3; ++k) {
        bmi.Update();
        const std::vector<double> now = values_of(bmi, DEPTH);
        EXPECT_TRUE(std::equal(now.begin(), now.end(), depth));
        const std::vector<double> h = values_of(bmi, HEAD);
        EXPECT_TRUE(std::equal(h.begin(), h.end(), head));
    }
    int shore = 0;
    bmi.GetValue("tidmor__shoreline_node", &shore);
    EXPECT_EQ(shore, m.WAVE_CONSI.N_SHORE);

    int inds[] = {0, 5, shore - 1};
    double picked[3];
    bmi.GetValueAtIndices(DEPTH, picked, inds, 3);
    EXPECT_EQ(picked[0], m.WAVE.H_DIM[1]);
    EXPECT_EQ(picked[1], m.WAVE.H_DIM[6]);
    EXPECT_EQ(picked[2], m.WAVE.H_DIM[shore]);
    int codes[1];
    int first[] = {0};
    bmi.GetValueAtIndices("tidmor__aquifer_boundary_condition_code", codes, first, 1);
    EXPECT_EQ(codes[0], m.NODE_PROPERTIES.KODE_BND[1]);
    int outside[] = {bmi.GetGridSize(WAVE_GRID)};
    EXPECT_THROW(bmi.GetValueAtIndices(DEPTH, picked, outside, 1), std::invalid_argument);
}

TEST(Bmi, ASetBedChangesTheNextStep) {
    BmiTidmor left(false), right(false);
    left.Initialize((EXAMPLES / "coupled_beach").string());
    right.Initialize((EXAMPLES / "coupled_beach").string());
    left.UpdateUntil(8.0);
    right.UpdateUntil(8.0);
    std::vector<double> bed = values_of(right, BED);
    for (std::size_t j = 0; j < bed.size(); ++j) bed[j] += 0.02 * static_cast<double>(j % 7) / 7.0;
    right.SetValue(BED, bed.data());
    EXPECT_EQ(values_of(right, BED), bed);
    // Part of the bed by indices.
    int inds[] = {3, 4};
    double raised[] = {bed[3] + 0.01, bed[4] + 0.01};
    right.SetValueAtIndices(BED, inds, 2, raised);
    EXPECT_EQ(values_of(right, BED)[4], raised[1]);
    EXPECT_EQ(values_of(right, BED)[5], bed[5]);
    left.Update();
    right.Update();
    EXPECT_NE(values_of(left, "sea_water_flow__x_component_of_velocity"),
              values_of(right, "sea_water_flow__x_component_of_velocity"));
    // The aquifer meshes its beach face on the new bed.
    EXPECT_NE(values_of(left, HEAD), values_of(right, HEAD));
    EXPECT_THROW(right.SetValue(DEPTH, bed.data()), std::invalid_argument);
    EXPECT_THROW(right.SetValue(INFIL, bed.data()), std::logic_error);  // the aquifer is on
}

TEST(Bmi, ASetFlowThroughTheBedChangesTheNextStepWithTheAquiferOff) {
    BmiTidmor left(false), right(false);
    left.Initialize((EXAMPLES / "plane_beach").string());
    right.Initialize((EXAMPLES / "plane_beach").string());
    std::vector<double> infil(static_cast<std::size_t>(right.GetGridSize(WAVE_GRID)), -2e-4);
    right.SetValue(INFIL, infil.data());
    left.Update();
    right.Update();
    EXPECT_NE(values_of(left, DEPTH), values_of(right, DEPTH));
    EXPECT_EQ(values_of(right, INFIL), infil);
}

}  // namespace
}  // namespace tidmor
