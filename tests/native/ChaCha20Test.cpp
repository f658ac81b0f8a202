// The stream cipher against the published test vectors of RFC 8439, and the
// ways a chunk of key stream is cut: whole blocks, a tail, a counter that
// wraps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "erase/ChaCha20.h"

namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::vector<uint8_t> KeyStream(const std::vector<uint8_t>& key, const std::vector<uint8_t>& nonce, uint32_t counter,
                               size_t n) {
  std::vector<uint8_t> out(n, 0);
  ChaChaXor(key.data(), nonce.data(), counter, out.data(), n);
  return out;
}

const std::vector<uint8_t> kCountingKey = Hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");

TEST(ChaChaVectors, BlockFunctionOfSection232) {
  const std::vector<uint8_t> nonce = Hex("000000090000004a00000000");
  const std::vector<uint8_t> expected = Hex(
      "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
      "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e");
  std::vector<uint8_t> block(64);
  ChaChaBlock(kCountingKey.data(), nonce.data(), 1, block.data());
  EXPECT_EQ(expected, block);
  EXPECT_EQ(expected, KeyStream(kCountingKey, nonce, 1, 64));
}

TEST(ChaChaVectors, EncryptionOfSection242SpansTwoBlocksAndATail) {
  const std::string text =
      "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen would "
      "be it.";
  const std::vector<uint8_t> expected = Hex(
      "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0b"
      "f91b65c5524733ab8f593dabcd62b3571639d624e65152ab8f530c359f0861d8"
      "07ca0dbf500d6a6156a38e088a22b65e52bc514d16ccf806818ce91ab7793736"
      "5af90bbf74a35be6b40b8eedf2785e42874d");
  std::vector<uint8_t> data(text.begin(), text.end());
  ASSERT_EQ(114u, data.size());
  const std::vector<uint8_t> nonce = Hex("000000000000004a00000000");
  ChaChaXor(kCountingKey.data(), nonce.data(), 1, data.data(), data.size());
  EXPECT_EQ(expected, data);
  ChaChaXor(kCountingKey.data(), nonce.data(), 1, data.data(), data.size());
  EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), data) << "the same key stream undoes it";
}

TEST(ChaChaVectors, KeyStreamVectorsOfAppendixA1) {
  const std::vector<uint8_t> zeroKey(32, 0), zeroNonce(12, 0);
  EXPECT_EQ(Hex("76b8e0ada0f13d90405d6ae55386bd28bdd219b8a08ded1aa836efcc8b770dc7"
                "da41597c5157488d7724e03fb8d84a376a43b8f41518a11cc387b669b2ee6586"),
            KeyStream(zeroKey, zeroNonce, 0, 64));
  EXPECT_EQ(Hex("9f07e7be5551387a98ba977c732d080dcb0f29a048e3656912c6533e32ee7aed"
                "29b721769ce64e43d57133b074d839d531ed1f28510afb45ace10a1f4b794d6f"),
            KeyStream(zeroKey, zeroNonce, 1, 64));
}

TEST(ChaChaCuts, LongStreamIsTheBlocksInTurnAndTheCounterWraps) {
  const std::vector<uint8_t> nonce = Hex("0102030405060708090a0b0c");
  // 1000 bytes from the last counter value on: 15 whole blocks and a tail
  // of 40 bytes, the counter wrapping to 0 after the first block.
  const uint32_t first = 0xFFFFFFFFu;
  const std::vector<uint8_t> stream = KeyStream(kCountingKey, nonce, first, 1000);
  for (uint32_t b = 0; b * 64 < 1000; ++b) {
    uint8_t block[64];
    ChaChaBlock(kCountingKey.data(), nonce.data(), first + b, block);
    const size_t length = std::min<size_t>(64, 1000 - b * 64);
    EXPECT_EQ(std::vector<uint8_t>(block, block + length),
              std::vector<uint8_t>(stream.begin() + b * 64, stream.begin() + b * 64 + length))
        << "block " << b;
  }
  // Every key and nonce byte counts.
  std::vector<uint8_t> otherKey = kCountingKey, otherNonce = nonce;
  otherKey[31] ^= 1;
  otherNonce[0] ^= 0x80;
  EXPECT_NE(stream, KeyStream(otherKey, nonce, first, 1000));
  EXPECT_NE(stream, KeyStream(kCountingKey, otherNonce, first, 1000));
}

}  // namespace
