#include "orders/fingerprint.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>

#include "orders/block_feed.h"

namespace taliq {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;

constexpr std::uint64_t Rotl(std::uint64_t x, int n) { return (x << n) | (x >> (64 - n)); }

std::uint64_t Word(const std::uint8_t* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
  return Rotl(lane + word * kPrime2, 31) * kPrime1;
}

constexpr std::size_t kReadBuffer = 128 * 1024;

}  // namespace

void Fingerprint64::Stripes(const std::uint8_t* p, std::size_t n) {
  // The lanes stay in registers over the run: four chains of multiplies
  // that do not wait on each other or on memory.
  std::uint64_t a = lanes_[0], b = lanes_[1], c = lanes_[2], d = lanes_[3];
  for (const std::uint8_t* end = p + 32 * n; p != end; p += 32) {
    a = Round(a, Word(p));
    b = Round(b, Word(p + 8));
    c = Round(c, Word(p + 16));
    d = Round(d, Word(p + 24));
  }
  lanes_ = {a, b, c, d};
}

void Fingerprint64::Update(const void* data, std::size_t size) {
  total_ += size;
  FeedBlocks(static_cast<const std::uint8_t*>(data), size, &tail_, &tailUsed_,
             [this](const std::uint8_t* p, std::size_t n) { Stripes(p, n); });
}

std::uint64_t Fingerprint64::Value() const {
  std::uint64_t h =
      Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) + Rotl(lanes_[3], 18);
  for (std::uint64_t lane : lanes_) h = (h ^ Round(0, lane)) * kPrime1 + kPrime4;
  h += total_;
  for (std::size_t i = 0; i < tailUsed_; ++i) h = Rotl(h ^ (tail_[i] * kPrime3), 11) * kPrime1;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  h ^= h >> 32;
  return h;
}

std::uint64_t Fingerprint64::Of(std::string_view bytes) {
  Fingerprint64 f;
  f.Update(bytes);
  return f.Value();
}

Status FingerprintFile(Platform* platform, const std::string& path, FileFingerprint* fingerprint) {
  errno = 0;
  FileHandle file = platform->OpenFile(path, "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return Status::NotFound(path);
    return Status::CannotOpen(path, ErrnoCause(errno));
  }
  auto buffer = std::make_unique_for_overwrite<char[]>(kReadBuffer);
  Fingerprint64 f;
  std::int64_t size = 0;
  std::size_t got;
  // A short read is the end of the file (or an error, told by ferror).
  do {
    got = std::fread(buffer.get(), 1, kReadBuffer, file.get());
    f.Update(buffer.get(), got);
    size += static_cast<std::int64_t>(got);
  } while (got == kReadBuffer);
  if (std::ferror(file.get())) return Status::IoError(path, "read failed");
  *fingerprint = FileFingerprint{size, f.Value()};
  return Status::Ok();
}

}  // namespace taliq
