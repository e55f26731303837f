#include "orders/sha256.h"

#include <algorithm>
#include <cstring>

namespace taliq {
namespace {

constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

void Sha256::Reset() {
  state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  blockUsed_ = 0;
  totalBytes_ = 0;
}

void Sha256::Compress(const std::uint8_t* block) {
  std::uint32_t w[64];
  for (int t = 0; t < 16; ++t) {
    w[t] = static_cast<std::uint32_t>(block[4 * t]) << 24 |
           static_cast<std::uint32_t>(block[4 * t + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * t + 2]) << 8 | block[4 * t + 3];
  }
  for (int t = 16; t < 64; ++t) {
    const std::uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
    w[t] = w[t - 16] + s0 + w[t - 7] + s1;
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (int t = 0; t < 64; ++t) {
    const std::uint32_t sum1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + sum1 + choose + kRoundConstants[t] + w[t];
    const std::uint32_t sum0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = sum0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  totalBytes_ += size;
  if (blockUsed_ > 0) {
    const std::size_t take = std::min(size, block_.size() - blockUsed_);
    std::memcpy(block_.data() + blockUsed_, bytes, take);
    blockUsed_ += take;
    bytes += take;
    size -= take;
    if (blockUsed_ < block_.size()) return;
    Compress(block_.data());
    blockUsed_ = 0;
  }
  for (; size >= block_.size(); bytes += block_.size(), size -= block_.size()) Compress(bytes);
  if (size > 0) std::memcpy(block_.data(), bytes, size);
  blockUsed_ = size;
}

Sha256Digest Sha256::Finish() {
  const std::uint64_t bits = totalBytes_ * 8;
  // 0x80, zeros up to 56 bytes into a block, then the length in bits.
  static constexpr std::uint8_t kPadding[64] = {0x80};
  const std::size_t padding = blockUsed_ < 56 ? 56 - blockUsed_ : 120 - blockUsed_;
  Update(kPadding, padding);
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update(length, sizeof length);
  Sha256Digest digest;
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j) {
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
    }
  }
  Reset();
  return digest;
}

Sha256Digest Sha256::Of(std::string_view bytes) {
  Sha256 sha;
  sha.Update(bytes);
  return sha.Finish();
}

std::string DigestHex(const Sha256Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * digest.size());
  for (std::uint8_t b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

std::optional<Sha256Digest> ParseDigestHex(std::string_view hex) {
  if (hex.size() != 64) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Sha256Digest digest;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int hi = nibble(hex[2 * i]);
    const int lo = nibble(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    digest[i] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
  return digest;
}

}  // namespace taliq
