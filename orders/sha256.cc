#include "orders/sha256.h"

#include <algorithm>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#include <immintrin.h>
#define TALIQ_SHA256_X86 1
#endif

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

#ifdef TALIQ_SHA256_X86
// Whether the processor has the SHA extensions (and SSSE3 / SSE4.1, which
// the code around them uses).
bool HasShaInstructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = (c >> 9) & 1, sse41 = (c >> 19) & 1;
  if (!ssse3 || !sse41 || !__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b >> 29) & 1;
}

// `blocks` blocks of 64 bytes with the SHA instructions: the state kept as
// ABEF / CDGH, four rounds per step, the message schedule four words at a
// time.
__attribute__((target("sha,ssse3,sse4.1"))) void CompressWithShaInstructions(
    std::uint32_t* state, const std::uint8_t* data, std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
  __m128i efgh =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i w[4];
    for (int i = 0; i < 16; ++i) {
      __m128i words;
      if (i < 4) {
        words = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)),
                                 byteSwap);
      } else {
        // W[t] = s1(W[t-2]) + W[t-7] + s0(W[t-15]) + W[t-16], four at once.
        const __m128i older = _mm_sha256msg1_epu32(w[i & 3], w[(i + 1) & 3]);
        const __m128i seventh = _mm_alignr_epi8(w[(i + 3) & 3], w[(i + 2) & 3], 4);
        words = _mm_sha256msg2_epu32(_mm_add_epi32(older, seventh), w[(i + 3) & 3]);
      }
      w[i & 3] = words;
      __m128i message = _mm_add_epi32(
          words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * i])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool kHasShaInstructions = HasShaInstructions();
#endif

}  // namespace

bool Sha256::UseProcessorInstructions(bool use) {
#ifdef TALIQ_SHA256_X86
  kHasShaInstructions = use && HasShaInstructions();
  return kHasShaInstructions;
#else
  return use && false;
#endif
}

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
#ifdef TALIQ_SHA256_X86
    if (kHasShaInstructions) {
      CompressWithShaInstructions(state_.data(), block_.data(), 1);
    } else {
      Compress(block_.data());
    }
#else
    Compress(block_.data());
#endif
    blockUsed_ = 0;
  }
#ifdef TALIQ_SHA256_X86
  if (kHasShaInstructions && size >= block_.size()) {
    const std::size_t blocks = size / block_.size();
    CompressWithShaInstructions(state_.data(), bytes, blocks);
    bytes += blocks * block_.size();
    size -= blocks * block_.size();
  }
#endif
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
