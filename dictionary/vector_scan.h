// The vector scan kernels' searches as one template over the register
// width: 16 bytes (SSE2) or 32 bytes (AVX2). The kernel files instantiate
// it, each compiled for its instruction set; only the byte masks and the
// narrowing of units to bytes differ between the two.
//
// Everything here has internal linkage on purpose: each kernel file compiles
// it for its own instruction set, and a copy built for AVX2 must never be
// what another kernel calls (with external linkage the linker would keep
// one copy for all).
#ifndef TALIQ_DICTIONARY_VECTOR_SCAN_H_
#define TALIQ_DICTIONARY_VECTOR_SCAN_H_

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dictionary/format.h"
#include "dictionary/phrase_walk.h"
#include "dictionary/scan_kernels.h"
#include "dictionary/scan_tail.h"

namespace taliq {
namespace {  // NOLINT(build/namespaces_headers): see above

// One register of W bytes as 16-bit units or as bytes.
template <std::size_t W>
struct Vec {
  typedef std::int16_t Units __attribute__((vector_size(W)));
  typedef std::int8_t Bytes __attribute__((vector_size(W)));
};

template <std::size_t W>
typename Vec<W>::Units LoadUnits(const std::uint8_t* p) {
  typename Vec<W>::Units v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <std::size_t W>
typename Vec<W>::Units Splat(std::uint16_t unit) {
  typename Vec<W>::Units v;
  for (std::size_t i = 0; i < W / 2; ++i) v[i] = static_cast<std::int16_t>(unit);
  return v;
}

// Bit j set where byte j of `m` has its top bit set (a comparison's "true").
template <std::size_t W, typename V>
unsigned ByteMask(V m) {
  if constexpr (W == 16) {
    return static_cast<unsigned>(_mm_movemask_epi8(reinterpret_cast<__m128i>(m)));
  } else {
    return static_cast<unsigned>(_mm256_movemask_epi8(reinterpret_cast<__m256i>(m)));
  }
}

// Whether any byte of a comparison result is set (AVX2 tests without
// gathering the mask).
template <std::size_t W, typename V>
bool AnySet(V m) {
  if constexpr (W == 32) {
    const __m256i x = reinterpret_cast<__m256i>(m);
    return !_mm256_testz_si256(x, x);
  }
  return ByteMask<W>(m) != 0;
}

// The units of `a` then `b` as bytes, in order, by signed saturation: a
// byte is 0x00 only for 0x0000 and 0xFF only for 0xFFFF (-1).
template <std::size_t W>
typename Vec<W>::Bytes Narrow(typename Vec<W>::Units a, typename Vec<W>::Units b) {
  using Bytes = typename Vec<W>::Bytes;
  if constexpr (W == 16) {
    return reinterpret_cast<Bytes>(
        _mm_packs_epi16(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
  } else {
    // The pack works within each 128-bit half: put the quarters back in order.
    const __m256i packed =
        _mm256_packs_epi16(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b));
    return reinterpret_cast<Bytes>(_mm256_permute4x64_epi64(packed, 0xD8));
  }
}

template <std::size_t W>
std::size_t FindUnitWith(const std::uint8_t* data, std::size_t size, std::size_t pos,
                         std::uint16_t unit) {
  const typename Vec<W>::Units key = Splat<W>(unit);
  while (size - pos >= W) {
    const unsigned hits = ByteMask<W>(LoadUnits<W>(data + pos) == key);
    if (hits != 0) return pos + static_cast<std::size_t>(__builtin_ctz(hits));
    pos += W;
  }
  return FindUnitTail(data, size, pos, unit);
}

// Character groups are long, so this looks at four registers per step
// before narrowing down.
template <std::size_t W>
std::size_t FindGroupEndWith(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  const typename Vec<W>::Units ones = Splat<W>(kGroupEnd);
  while (size - pos >= 4 * W) {
    const std::uint8_t* p = data + pos;
    const typename Vec<W>::Units any = (LoadUnits<W>(p) == ones) | (LoadUnits<W>(p + W) == ones) |
                                       (LoadUnits<W>(p + 2 * W) == ones) |
                                       (LoadUnits<W>(p + 3 * W) == ones);
    if (AnySet<W>(any)) break;
    pos += 4 * W;
  }
  return FindUnitWith<W>(data, size, pos, kGroupEnd);
}

// Bit i of *zeros (*ones) is set where unit i of the 64 units at p is 0x0000
// (0xFFFF).
template <std::size_t W>
void UnitMasks(const std::uint8_t* p, std::uint64_t* zeros, std::uint64_t* ones) {
  using Bytes = typename Vec<W>::Bytes;
  const Bytes none = {};
  const Bytes all = ~none;
  std::uint64_t z = 0;
  std::uint64_t f = 0;
  for (std::size_t k = 0; k < kWindowBytes / (2 * W); ++k) {
    const Bytes packed = Narrow<W>(LoadUnits<W>(p + 2 * k * W), LoadUnits<W>(p + (2 * k + 1) * W));
    z |= static_cast<std::uint64_t>(ByteMask<W>(packed == none)) << (k * W);
    f |= static_cast<std::uint64_t>(ByteMask<W>(packed == all)) << (k * W);
  }
  *zeros = z;
  *ones = f;
}

template <std::size_t W>
std::size_t SkipPhraseEntriesWith(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                  bool* found) {
  PhraseWalk walk(pos);
  for (std::size_t w = pos; size - w >= kWindowBytes; w += kWindowBytes) {
    std::uint64_t zeros;
    std::uint64_t ones;
    UnitMasks<W>(data + w, &zeros, &ones);
    std::size_t end;
    if (walk.Step(w, zeros, ones, &end)) {
      *found = true;
      return end;
    }
  }
  *found = false;
  return walk.Resume();
}

// W offsets at a time: both bytes compared at once.
template <std::size_t W>
std::size_t FindBytePairWith(const std::uint8_t* data, std::size_t size, std::size_t pos,
                             std::uint8_t first, std::uint8_t second) {
  using Bytes = typename Vec<W>::Bytes;
  Bytes a;
  Bytes b;
  for (std::size_t i = 0; i < W; ++i) {
    a[i] = static_cast<std::int8_t>(first);
    b[i] = static_cast<std::int8_t>(second);
  }
  const auto pairsAt = [&](std::size_t at) {
    Bytes x;
    Bytes y;
    std::memcpy(&x, data + at, W);
    std::memcpy(&y, data + at + 1, W);
    return (x == a) & (y == b);
  };
  // Two registers a step, tested together.
  while (size - pos > 2 * W) {  // the byte after the 2W offsets is there too
    const auto low = pairsAt(pos);
    const auto high = pairsAt(pos + W);
    if (AnySet<W>(low | high)) {
      const unsigned hits = ByteMask<W>(low);
      if (hits != 0) return pos + static_cast<std::size_t>(__builtin_ctz(hits));
      return pos + W + static_cast<std::size_t>(__builtin_ctz(ByteMask<W>(high)));
    }
    pos += 2 * W;
  }
  while (size - pos > W) {
    const unsigned hits = ByteMask<W>(pairsAt(pos));
    if (hits != 0) return pos + static_cast<std::size_t>(__builtin_ctz(hits));
    pos += W;
  }
  return FindBytePairTail(data, size, pos, first, second);
}

// W / 8 entries at a time: the first unit of each compared with both.
template <std::size_t W>
std::size_t FindCharacterEntryWith(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                   std::uint16_t unit) {
  const typename Vec<W>::Units ones = Splat<W>(kGroupEnd);
  const typename Vec<W>::Units key = Splat<W>(unit);
  // The two bytes of each entry's first unit.
  constexpr unsigned kFirstUnits = W == 16 ? 0x0303u : 0x03030303u;
  while (size - pos >= W) {
    const typename Vec<W>::Units v = LoadUnits<W>(data + pos);
    const unsigned hits = ByteMask<W>((v == ones) | (v == key)) & kFirstUnits;
    if (hits != 0) return pos + static_cast<std::size_t>(__builtin_ctz(hits));
    pos += W;
  }
  return FindCharacterEntryTail(data, size, pos, unit);
}

template <std::size_t W>
void UnitMasksWith(const std::uint8_t* data, std::size_t windows, std::uint64_t* zeros,
                   std::uint64_t* ones) {
  for (std::size_t k = 0; k < windows; ++k)
    UnitMasks<W>(data + kWindowBytes * k, zeros + k, ones + k);
}

// The searches with registers of W bytes.
template <std::size_t W>
constexpr ScanOps VectorScanOps() {
  return ScanOps{FindUnitWith<W>,     FindGroupEndWith<W>,       SkipPhraseEntriesWith<W>,
                 FindBytePairWith<W>, FindCharacterEntryWith<W>, UnitMasksWith<W>};
}

}  // namespace
}  // namespace taliq

#endif  // TALIQ_DICTIONARY_VECTOR_SCAN_H_
