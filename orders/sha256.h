// SHA-256 (FIPS 180-4) over bytes given at once or piece by piece, for the
// digests that tell whether a copied or installed file is still the same.
#ifndef TALIQ_ORDERS_SHA256_H_
#define TALIQ_ORDERS_SHA256_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace taliq {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256() { Reset(); }

  // Adds bytes; any split of the input gives the same digest.
  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }

  // The digest of everything added since construction or the last Finish;
  // the object then starts over.
  Sha256Digest Finish();

  static Sha256Digest Of(std::string_view bytes);

  // Whether blocks go through the processor's SHA instructions where it has
  // them (the default) or the portable code; returns whether they now do.
  // For comparing the two.
  static bool UseProcessorInstructions(bool use);

 private:
  void Reset();
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_;
  std::size_t blockUsed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// 64 lowercase hex digits.
std::string DigestHex(const Sha256Digest& digest);
// The digest written by DigestHex (either case); nullopt for anything else.
std::optional<Sha256Digest> ParseDigestHex(std::string_view hex);

}  // namespace taliq

#endif  // TALIQ_ORDERS_SHA256_H_
