// A fast 64-bit fingerprint of a file's bytes, to tell cheaply whether the
// installed files are still those the last save left (not a protection
// against deliberate forgery: the SHA-256 record is kept for that, see
// install_state.h). It runs at about the speed of a read from the page
// cache, so that status can compare every installed table in one read.
//
// Four lanes of 64-bit multiply-rotate rounds over 32-byte stripes, folded
// with the length and the tail bytes and mixed at the end; the bytes are
// read as little-endian words. Any split of the input gives the same value.
#ifndef TALIQ_ORDERS_FINGERPRINT_H_
#define TALIQ_ORDERS_FINGERPRINT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

class Fingerprint64 {
 public:
  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // The fingerprint of everything added so far.
  std::uint64_t Value() const;

  static std::uint64_t Of(std::string_view bytes);

 private:
  // Adds `n` stripes of 32 bytes from `p`.
  void Stripes(const std::uint8_t* p, std::size_t n);

  std::array<std::uint64_t, 4> lanes_ = {0x60ea27eeadc0b5d6ULL, 0xc2b2ae3d27d4eb4fULL,
                                         0x0000000000000000ULL, 0x61c8864e7a143579ULL};
  std::array<std::uint8_t, 32> tail_{};
  std::size_t tailUsed_ = 0;
  std::uint64_t total_ = 0;
};

struct FileFingerprint {
  std::int64_t size = 0;
  std::uint64_t value = 0;

  friend bool operator==(const FileFingerprint&, const FileFingerprint&) = default;
};

// Reads the file through one buffer. kNotFound when it is missing.
Status FingerprintFile(Platform* platform, const std::string& path, FileFingerprint* fingerprint);

}  // namespace taliq

#endif  // TALIQ_ORDERS_FINGERPRINT_H_
