#pragma once
// Fixed-width little-endian bytes, whatever the machine's own order: the
// form of a checkpoint. Reals are the 64 bits of their IEEE double, so
// every value comes back with its exact bits (signed zeros and NaNs too).
#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tidmor {

class ByteWriter {
public:
    void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) u8(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    void u64(std::uint64_t v) {
        for (int k = 0; k < 8; ++k) u8(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void real(double v) { u64(std::bit_cast<std::uint64_t>(v)); }
    void raw(std::string_view v) { bytes_.append(v); }
    void text(std::string_view v) {
        u32(static_cast<std::uint32_t>(v.size()));
        raw(v);
    }
    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Reads what ByteWriter wrote; reading past the end throws std::out_of_range.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)[0]); }
    std::uint32_t u32() {
        const std::string_view b = take(4);
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v |= std::uint32_t{static_cast<std::uint8_t>(b[k])} << (8 * k);
        return v;
    }
    std::uint64_t u64() {
        const std::string_view b = take(8);
        std::uint64_t v = 0;
        for (int k = 0; k < 8; ++k) v |= std::uint64_t{static_cast<std::uint8_t>(b[k])} << (8 * k);
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double real() { return std::bit_cast<double>(u64()); }
    std::string_view raw(std::size_t n) { return take(n); }
    std::string_view text() { return take(u32()); }
    std::size_t left() const { return bytes_.size() - at_; }

private:
    std::string_view take(std::size_t n) {
        if (n > left()) throw std::out_of_range("the data end early");
        const std::string_view v = bytes_.substr(at_, n);
        at_ += n;
        return v;
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
};

}  // namespace tidmor
