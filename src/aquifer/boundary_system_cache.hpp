#pragma once
// Memory of aquifer boundary systems already solved once in this run.
//
// The matrix of the boundary system depends only on the node coordinates,
// on which nodes carry code 2 (codes 1 and 4 give the same columns) and on
// whether the well is on. Between profile updates the rebuilt boundary is a
// function of the shoreline index alone, so the same few dozen geometries
// come back step after step. For each geometry this keeps what a later
// solve with the same geometry needs, so that it skips the kernel
// integration (MATRIX), the well (TRANS) and the O(N^3) elimination:
//
//   coef      N x N, column by column: for each column j the entries the
//             right-hand side reads, H_COEF(., j) for a head-given node,
//             G_COEF(., j) for a node of given normal derivative
//   pivot_col the pivot column of each row, in elimination order
//   pivot     the pivot value each row was divided by
//   factors   N x N: for elimination step i, the multipliers of rows
//             1..N (pivot column after the pivot row's scaling, before
//             any other row changed)
//   phi_well, dphi_well  the well's head and normal derivative at each node
//
// about 16 N^2 bytes a geometry. The store is bounded by memory and drops
// the least recently used geometry first. Keys compare by exact bits: two
// coordinates that differ in the last bit are two geometries.
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "common/uninitialized_vector.hpp"

namespace tidmor {

struct BoundarySystemKey {
    std::int32_t n = 0;
    bool well = false;
    std::vector<double> x, z;          // X_BND(1..N), Z_BND(1..N)
    std::vector<std::uint8_t> code2;   // 1 where KODE_BND is 2
    double q_well = 0, x_well = 0, z_well = 0;  // only when the well is on

    std::uint64_t hash() const;
    bool same_bits(const BoundarySystemKey& other) const;
};

struct RecordedSystem {
    BoundarySystemKey key;
    // Each written whole by the solve that records it.
    UninitializedVector<double> coef;
    std::vector<std::int32_t> pivot_col;
    std::vector<double> pivot;
    UninitializedVector<double> factors;
    std::vector<double> phi_well, dphi_well;
    // Solved ahead of the step that first uses it (AheadSolver), which is
    // still to come: that step tests the geometry as a new one.
    bool solved_ahead = false;

    // Storage for a system of n equations (whatever it held is overwritten by the solve).
    void size_for(int n);
    std::size_t bytes() const;
};

class BoundarySystemCache {
public:
    explicit BoundarySystemCache(std::size_t capacity_bytes = std::size_t{256} << 20)
        : capacity_(capacity_bytes) {}
    BoundarySystemCache(const BoundarySystemCache&) = delete;
    BoundarySystemCache& operator=(const BoundarySystemCache&) = delete;

    // The recorded system of this geometry (now the most recently used), or
    // nullptr.
    RecordedSystem* find(const BoundarySystemKey& key);

    // Stores a completed record; the least recently used ones go until it
    // fits. A record larger than the whole bound, or one whose entry the
    // system has no memory for, is not kept: returns false, and the record
    // is left with the caller.
    bool insert(RecordedSystem&& record);

    void set_capacity(std::size_t bytes);
    void clear();

    std::size_t capacity() const { return capacity_; }
    std::size_t bytes() const { return bytes_; }
    std::size_t entries() const { return lru_.size(); }
    std::size_t peak_bytes() const { return peak_bytes_; }
    // The hash of every geometry held.
    std::vector<std::uint64_t> key_hashes() const;

private:
    using Lru = std::list<RecordedSystem>;
    void evict_to(std::size_t bytes);

    std::size_t capacity_;
    std::size_t bytes_ = 0;
    std::size_t peak_bytes_ = 0;
    Lru lru_;  // most recently used first
    std::unordered_multimap<std::uint64_t, Lru::iterator> index_;
};

}  // namespace tidmor
