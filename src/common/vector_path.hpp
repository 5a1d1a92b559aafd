#pragma once
// The instruction sets the vector kernels are written for, and which of them
// this machine runs. Every path does, lane by lane, the same IEEE operations
// in the same order as the scalar one (no fused multiply-add), so the
// choice changes speed only, never a bit of a result.
#include <string>
#include <vector>

namespace tidmor {

enum class VectorPath {
    BEST,    // the widest this machine runs (resolved where the run is set up)
    SCALAR,  // plain C++, every machine
    SSE2,    // two lanes, every x86-64
    AVX2,    // four lanes, x86-64 with AVX2
    NEON,    // two lanes, every aarch64
};

// Whether this build and this machine can run `path` (BEST always can).
bool vector_path_runs_here(VectorPath path);
// The widest path that runs here.
VectorPath best_vector_path();
// BEST replaced by best_vector_path(); any other path as it is.
VectorPath resolved(VectorPath path);
// Every path that runs here, scalar first (BEST not among them).
std::vector<VectorPath> vector_paths_here();

// "best", "scalar", "sse2", "avx2", "neon"; false for another name.
const char* vector_path_name(VectorPath path);
bool vector_path_from_name(const std::string& name, VectorPath& path);

}  // namespace tidmor
