#include "aquifer/boundary_system_cache.hpp"

#include <cstring>
#include <new>

namespace tidmor {

namespace {

// A hash over the key eight bytes at a time: each word is mixed in by a
// multiplication with an odd constant and a fold of the high half into the
// low one, so that a change in any bit of a coordinate reaches the low
// bits the buckets are chosen by.
struct WordHash {
    std::uint64_t h = 14695981039346656037ull;
    void add_word(std::uint64_t w) {
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    void add(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            add_word(w);
        }
        if (i < size) {
            std::uint64_t w = 0;
            std::memcpy(&w, p + i, size - i);
            add_word(w ^ (std::uint64_t{size - i} << 56));
        }
    }
};

template <typename T>
bool same_bytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool same_double_bits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

}  // namespace

std::uint64_t BoundarySystemKey::hash() const {
    WordHash f;
    f.add_word(static_cast<std::uint64_t>(static_cast<std::uint32_t>(n)) | (well ? std::uint64_t{1} << 32 : 0));
    f.add(x.data(), x.size() * sizeof(double));
    f.add(z.data(), z.size() * sizeof(double));
    f.add(code2.data(), code2.size());
    if (well) {
        f.add(&q_well, sizeof(double));
        f.add(&x_well, sizeof(double));
        f.add(&z_well, sizeof(double));
    }
    return f.h;
}

bool BoundarySystemKey::same_bits(const BoundarySystemKey& o) const {
    if (n != o.n || well != o.well) return false;
    if (well && !(same_double_bits(q_well, o.q_well) && same_double_bits(x_well, o.x_well) &&
                  same_double_bits(z_well, o.z_well)))
        return false;
    return same_bytes(x, o.x) && same_bytes(z, o.z) && same_bytes(code2, o.code2);
}

void RecordedSystem::size_for(int n) {
    const auto nn = static_cast<std::size_t>(n);
    coef.resize(nn * nn);
    pivot_col.resize(nn);
    pivot.resize(nn);
    factors.resize(nn * nn);
    phi_well.resize(nn);
    dphi_well.resize(nn);
}

std::size_t RecordedSystem::bytes() const {
    return sizeof(RecordedSystem) + (key.x.size() + key.z.size()) * sizeof(double) + key.code2.size() +
           (coef.size() + pivot.size() + factors.size() + phi_well.size() + dphi_well.size()) * sizeof(double) +
           pivot_col.size() * sizeof(std::int32_t);
}

RecordedSystem* BoundarySystemCache::find(const BoundarySystemKey& key) {
    const auto range = index_.equal_range(key.hash());
    for (auto it = range.first; it != range.second; ++it) {
        if (!it->second->key.same_bits(key)) continue;
        lru_.splice(lru_.begin(), lru_, it->second);
        return &lru_.front();
    }
    return nullptr;
}

bool BoundarySystemCache::insert(RecordedSystem&& record) {
    const std::size_t size = record.bytes();
    if (size > capacity_) return false;
    evict_to(capacity_ - size);
    const std::uint64_t h = record.key.hash();
    // Memory for the entry itself may be refused: the record is then not
    // kept (a failed push_front leaves it untouched; a failed index entry
    // gives it back).
    try {
        lru_.push_front(std::move(record));
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        index_.emplace(h, lru_.begin());
    } catch (const std::bad_alloc&) {
        record = std::move(lru_.front());
        lru_.pop_front();
        return false;
    }
    bytes_ += size;
    if (bytes_ > peak_bytes_) peak_bytes_ = bytes_;
    return true;
}

std::vector<std::uint64_t> BoundarySystemCache::key_hashes() const {
    std::vector<std::uint64_t> hashes;
    hashes.reserve(index_.size());
    for (const auto& entry : index_) hashes.push_back(entry.first);
    return hashes;
}

void BoundarySystemCache::set_capacity(std::size_t bytes) {
    capacity_ = bytes;
    evict_to(capacity_);
}

void BoundarySystemCache::clear() { evict_to(0); }

void BoundarySystemCache::evict_to(std::size_t bytes) {
    while (bytes_ > bytes && !lru_.empty()) {
        const RecordedSystem& last = lru_.back();
        const auto range = index_.equal_range(last.key.hash());
        for (auto it = range.first; it != range.second; ++it) {
            if (&*it->second == &last) {
                index_.erase(it);
                break;
            }
        }
        bytes_ -= last.bytes();
        lru_.pop_back();
    }
}

}  // namespace tidmor
