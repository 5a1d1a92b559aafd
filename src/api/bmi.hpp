#pragma once
// The Basic Model Interface (BMI 2.0) of the model, over Simulation.
//
// The functions are those of BMI 2.0 with the signatures of its C++
// binding (Initialize, Update, ..., GetGridNodesPerFace); a coupling
// framework written against that binding can call a BmiTidmor as it is.
//
// Variables carry CSDMS Standard Names where one exists and the model's own
// "tidmor__..." names otherwise; units are UDUNITS strings. Grids:
//   0  the wave grid: uniform_rectilinear, rank 1, N_GRID nodes, spacing DX (m),
//      origin 0; edges join neighbouring nodes.
//   1  the aquifer boundary: unstructured, rank 2 (x and, as the second
//      coordinate, the elevation z, in the vertical cross-shore section),
//      N_BND nodes; one face, the aquifer, bounded by N_BND edges, edge k
//      from node k to node k+1 and the last back to node 0. N_BND changes
//      from step to step with the shoreline: ask for the size again.
//   2  scalars: rank 0, one value.
//   3  the water table: unstructured, rank 2 like grid 1, the N_FREE nodes of
//      the boundary on the water table, joined by N_FREE - 1 edges.
// Indices (GetValueAtIndices, edge and face nodes) count from 0, as BMI
// does; node 0 of a grid is node 1 of the model.
//
// Time is in s: the start is 0, the end T_MAX, GetTimeStep the length of the
// step just taken (0 before the first). UpdateUntil takes whole steps while
// the model time is below the time asked for, so it usually ends a little
// after it.
//
// GetValuePtr points into the model's arrays (at node 1); the values seen
// through it are those of the latest step. Set the input variables with
// SetValue or SetValueAtIndices, which hand them to the model; writing
// through the pointer bypasses that.
//
// Errors throw: RunFailure (status and message as the program's) for
// failures of the model, std::invalid_argument for unknown names, grids or
// indices, std::logic_error for calls out of order.
#include <memory>
#include <string>
#include <vector>

#include "api/simulation.hpp"

namespace tidmor {

class BmiTidmor {
public:
    BmiTidmor() = default;
    // With `write_results` off, Initialize writes no result file.
    explicit BmiTidmor(bool write_results) : write_results_(write_results) {}
    // Further options (console, threads); write_results as set there.
    explicit BmiTidmor(SimulationOptions options) : options_(options), write_results_(options.write_results) {}

    // Model control. `config` is a case folder or its "SIM.FILE"; the
    // result files go to that folder unless turned off.
    void Initialize(std::string config);
    void Update();
    void UpdateUntil(double time);
    void Finalize();

    // Model information.
    std::string GetComponentName();  // "TIDMOR"
    int GetInputItemCount();
    int GetOutputItemCount();
    std::vector<std::string> GetInputVarNames();   // the bed; with the aquifer off also INFIL
    std::vector<std::string> GetOutputVarNames();

    // Variable information.
    int GetVarGrid(std::string name);
    std::string GetVarType(std::string name);      // "double" or "int"
    std::string GetVarUnits(std::string name);
    int GetVarItemsize(std::string name);          // bytes of one value
    int GetVarNbytes(std::string name);            // bytes of the whole variable now
    std::string GetVarLocation(std::string name);  // "node"

    // Time.
    double GetCurrentTime();
    double GetStartTime();
    double GetEndTime();
    std::string GetTimeUnits();  // "s"
    double GetTimeStep();

    // Getters and setters. `dest` and `src` hold values of the variable's type.
    void GetValue(std::string name, void* dest);
    void* GetValuePtr(std::string name);
    void GetValueAtIndices(std::string name, void* dest, int* inds, int count);
    void SetValue(std::string name, void* src);
    void SetValueAtIndices(std::string name, int* inds, int count, void* src);

    // Grid information.
    int GetGridRank(const int grid);
    int GetGridSize(const int grid);
    std::string GetGridType(const int grid);
    void GetGridShape(const int grid, int* shape);
    void GetGridSpacing(const int grid, double* spacing);
    void GetGridOrigin(const int grid, double* origin);
    void GetGridX(const int grid, double* x);
    void GetGridY(const int grid, double* y);
    void GetGridZ(const int grid, double* z);
    int GetGridNodeCount(const int grid);
    int GetGridEdgeCount(const int grid);
    int GetGridFaceCount(const int grid);
    void GetGridEdgeNodes(const int grid, int* edge_nodes);
    void GetGridFaceEdges(const int grid, int* face_edges);
    void GetGridFaceNodes(const int grid, int* face_nodes);
    void GetGridNodesPerFace(const int grid, int* nodes_per_face);

    // The Simulation underneath (after Initialize).
    Simulation& simulation();

private:
    Simulation& running();
    SimulationOptions options_;
    bool write_results_ = true;
    std::unique_ptr<Simulation> simulation_;
};

// The grid numbers.
inline constexpr int WAVE_GRID = 0;
inline constexpr int BOUNDARY_GRID = 1;
inline constexpr int SCALAR_GRID = 2;
inline constexpr int WATER_TABLE_GRID = 3;

}  // namespace tidmor
