#include "common/vector_path.hpp"

namespace tidmor {

bool vector_path_runs_here(VectorPath path) {
    switch (path) {
        case VectorPath::BEST:
        case VectorPath::SCALAR: return true;
#if defined(__x86_64__)
        case VectorPath::SSE2: return true;
        case VectorPath::AVX2: return __builtin_cpu_supports("avx2");
#else
        case VectorPath::SSE2:
        case VectorPath::AVX2: return false;
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return true;
#else
        case VectorPath::NEON: return false;
#endif
    }
    return false;
}

VectorPath best_vector_path() {
    for (VectorPath p : {VectorPath::AVX2, VectorPath::SSE2, VectorPath::NEON})
        if (vector_path_runs_here(p)) return p;
    return VectorPath::SCALAR;
}

VectorPath resolved(VectorPath path) { return path == VectorPath::BEST ? best_vector_path() : path; }

std::vector<VectorPath> vector_paths_here() {
    std::vector<VectorPath> paths;
    for (VectorPath p : {VectorPath::SCALAR, VectorPath::SSE2, VectorPath::AVX2, VectorPath::NEON})
        if (vector_path_runs_here(p)) paths.push_back(p);
    return paths;
}

const char* vector_path_name(VectorPath path) {
    switch (path) {
        case VectorPath::BEST: return "best";
        case VectorPath::SCALAR: return "scalar";
        case VectorPath::SSE2: return "sse2";
        case VectorPath::AVX2: return "avx2";
        case VectorPath::NEON: return "neon";
    }
    return "?";
}

bool vector_path_from_name(const std::string& name, VectorPath& path) {
    for (VectorPath p : {VectorPath::BEST, VectorPath::SCALAR, VectorPath::SSE2, VectorPath::AVX2, VectorPath::NEON})
        if (name == vector_path_name(p)) {
            path = p;
            return true;
        }
    return false;
}

}  // namespace tidmor
