#pragma once
// SHA-256 (FIPS 180-4), for the fingerprints a checkpoint keeps of the
// input files and of the result files written until then.
//
//     Sha256 h;  h.update(bytes, n);  ...;  Sha256::Digest d = h.digest();
//
// The state is a plain value: a copy goes on from the same point, so the
// running fingerprint of a result file can be read off at a checkpoint
// while the file is still being written. Byte order and word widths are
// fixed by the standard, so a digest is the same on every machine.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tidmor {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void update(const void* data, std::size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // The digest of everything given so far; the state is left as it was.
    Digest digest() const;

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes given so far
};

// The digest of one text, and a digest as 64 lower-case hexadecimal digits.
Sha256::Digest sha256_of(std::string_view text);
std::string hex_text(const Sha256::Digest& digest);

}  // namespace tidmor
