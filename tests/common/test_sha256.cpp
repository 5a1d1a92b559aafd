// SHA-256 against the test vectors of FIPS 180-4 (NIST's examples), fed
// whole and in pieces that cross the 64-byte blocks.
#include <gtest/gtest.h>

#include <string>

#include "common/sha256.hpp"

namespace tidmor {
namespace {

TEST(Sha256, MatchesTheStandardsVectors) {
    EXPECT_EQ(hex_text(sha256_of("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex_text(sha256_of("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex_text(sha256_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hex_text(sha256_of(std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, GivesTheSameDigestWhateverThePiecesAndGoesOnAfterADigest) {
    std::string text;
    for (int k = 0; k < 300; ++k) text.push_back(static_cast<char>(k * 37 + 11));
    const Sha256::Digest whole = sha256_of(text);
    for (std::size_t piece : {1u, 7u, 63u, 64u, 65u, 200u}) {
        Sha256 h;
        for (std::size_t at = 0; at < text.size(); at += piece) {
            h.update(std::string_view(text).substr(at, piece));
            // A digest on the way changes nothing of what follows.
            static_cast<void>(h.digest());
        }
        EXPECT_EQ(h.digest(), whole) << "pieces of " << piece;
    }
}

}  // namespace
}  // namespace tidmor
