#include "platform/journal_format.h"

#include <utility>

#include "platform/crc32.h"

namespace taliq {
namespace {

constexpr std::string_view kMagic = "TLQJRNL1";
// Sizes beyond this are no file the tools write (1 TiB).
constexpr std::int64_t kMaxFileSize = std::int64_t{1} << 40;

void PutLittleEndian(std::uint64_t value, int bytes, std::string* out) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLittleEndian(std::string_view bytes, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

bool IsValidJournalRecord(const JournalRecord& r) {
  const auto n = static_cast<std::int64_t>(r.oldBytes.size());
  const auto m = static_cast<std::int64_t>(r.newBytes.size());
  if (r.oldBytes.size() > kMaxJournalRegion || r.newBytes.size() > kMaxJournalRegion) return false;
  if (r.offset < 0 || r.offset > kMaxFileSize || r.newSize < 0 || r.newSize > kMaxFileSize ||
      r.oldSize < kFileAbsent || r.oldSize > kMaxFileSize) {
    return false;
  }
  if (r.offset + m > r.newSize) return false;
  if (r.oldSize == kFileAbsent) {
    return r.offset == 0 && n == 0 && m == r.newSize;
  }
  if (r.offset + n > r.oldSize) return false;
  // A change of size rewrites the whole file.
  if (r.oldSize != r.newSize) return r.offset == 0 && n == r.oldSize && m == r.newSize;
  return true;
}

std::string EncodeJournal(const JournalRecord& r) {
  std::string out(kMagic);
  out.reserve(kJournalOverhead + r.oldBytes.size() + r.newBytes.size());
  PutLittleEndian(static_cast<std::uint64_t>(r.offset), 8, &out);
  PutLittleEndian(static_cast<std::uint64_t>(r.oldSize), 8, &out);
  PutLittleEndian(static_cast<std::uint64_t>(r.newSize), 8, &out);
  PutLittleEndian(r.oldBytes.size(), 4, &out);
  out += r.oldBytes;
  PutLittleEndian(r.newBytes.size(), 4, &out);
  out += r.newBytes;
  PutLittleEndian(Crc32(out), 4, &out);
  return out;
}

bool DecodeJournal(std::string_view bytes, JournalRecord* record) {
  if (bytes.size() < kJournalOverhead || bytes.substr(0, kMagic.size()) != kMagic) return false;
  const std::size_t body = bytes.size() - 4;
  if (GetLittleEndian(bytes, body, 4) != Crc32(bytes.substr(0, body))) return false;
  JournalRecord r;
  r.offset = static_cast<std::int64_t>(GetLittleEndian(bytes, 8, 8));
  r.oldSize = static_cast<std::int64_t>(GetLittleEndian(bytes, 16, 8));
  r.newSize = static_cast<std::int64_t>(GetLittleEndian(bytes, 24, 8));
  const std::uint64_t n = GetLittleEndian(bytes, 32, 4);
  // 36 bytes, the old ones, 4, the new ones, 4: each count must fit.
  if (n > body - 40) return false;
  const std::size_t afterOld = 36 + static_cast<std::size_t>(n);
  const std::uint64_t m = GetLittleEndian(bytes, afterOld, 4);
  if (m != body - afterOld - 4) return false;
  r.oldBytes.assign(bytes.substr(36, static_cast<std::size_t>(n)));
  r.newBytes.assign(bytes.substr(afterOld + 4, static_cast<std::size_t>(m)));
  if (!IsValidJournalRecord(r)) return false;
  *record = std::move(r);
  return true;
}

}  // namespace taliq
