#include "dictionary/dictionary_index.h"

#include <cerrno>
#include <limits>
#include <new>

#include "dictionary/coding.h"
#include "dictionary/open_file.h"

namespace taliq {

void DictionaryIndex::Clear() {
  bytes_.reset();
  blockOffsets_.reset();
}

Status DictionaryIndex::Load(Platform* platform, const std::string& path) {
  Clear();
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  // Read straight into the index's bytes: no stream buffer to set up.
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  // An index has kMinIndexSize bytes: one read of a byte more tells the
  // whole of such a file, without asking for its size first. Only a longer
  // file is measured and read again.
  std::size_t size = kMinIndexSize + 1;
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
  if (bytes == nullptr) return Status::NoMemory("loading " + path);
  errno = 0;
  size_t got = std::fread(bytes.get(), 1, size, f.get());
  if (got == size) {
    const std::int64_t measured = platform->FileSize(f.get());
    if (measured < 0) return Status::IoError(path, "cannot tell its size");
    if (static_cast<std::uint64_t>(measured) > std::numeric_limits<size_t>::max()) {
      return Status::Corruption(path, "too large: " + std::to_string(measured) + " bytes");
    }
    size = static_cast<size_t>(measured);
    bytes.reset(new (std::nothrow) std::uint8_t[size]);
    if (bytes == nullptr) return Status::NoMemory("loading " + path);
    errno = 0;
    got = platform->Seek(f.get(), 0) ? std::fread(bytes.get(), 1, size, f.get()) : 0;
  } else if (!std::ferror(f.get()) && got < kMinIndexSize) {
    return Status::Corruption(path, "too short: " + std::to_string(got) + " bytes, an index has " +
                                        std::to_string(kMinIndexSize));
  }
  if (got < kMinIndexSize || std::ferror(f.get())) {
    return Status::IoError(path, "read failed after " + std::to_string(got) + " bytes" +
                                     (errno != 0 ? ": " + ErrnoText(errno) : std::string()));
  }
  std::unique_ptr<std::int64_t[]> offsets(new (std::nothrow) std::int64_t[2 * kBucketCount]);
  if (offsets == nullptr) return Status::NoMemory("loading " + path);
  // Each lookup would otherwise add up to 1209 lengths to place its block.
  std::int64_t characters = kTableHeaderSize;
  std::int64_t phrases = kTableHeaderSize;
  for (int b = 0; b < kBucketCount; ++b) {
    offsets[b] = characters;
    offsets[kBucketCount + b] = phrases;
    characters += DecodeFixed16(bytes.get() + LengthOffset(b, TableKind::kCharacters));
    phrases += DecodeFixed32(bytes.get() + LengthOffset(b, TableKind::kPhrases));
  }
  bytes_ = std::move(bytes);
  size_ = got;
  blockOffsets_ = std::move(offsets);
  return Status::Ok();
}

std::size_t DictionaryIndex::LengthOffset(int bucket, TableKind table) {
  const std::size_t b = static_cast<std::size_t>(bucket);
  return table == TableKind::kCharacters ? kCharacterLengthsOffset + 2 * b
                                         : kPhraseLengthsOffset + 4 * b;
}

DictionaryIndex::Placement DictionaryIndex::Place(std::u16string_view code, TableKind table,
                                                  std::int32_t* offset,
                                                  std::uint32_t* length) const {
  const int bucket = BucketOf(code);
  if (bucket < 0 || (table == TableKind::kCharacters && code.size() > 4)) {
    return Placement::kBadCode;
  }
  return PlaceBucket(bucket, table, offset, length);
}

DictionaryIndex::Placement DictionaryIndex::PlaceBucket(int bucket, TableKind table,
                                                        std::int32_t* offset,
                                                        std::uint32_t* length) const {
  if (bytes_ == nullptr) return Placement::kNoIndex;
  const std::uint8_t* at = bytes_.get() + LengthOffset(bucket, table);
  std::int64_t sum;
  std::uint32_t len;
  if (table == TableKind::kCharacters) {
    sum = blockOffsets_[bucket];
    len = DecodeFixed16(at);
  } else {
    sum = blockOffsets_[kBucketCount + bucket];
    len = DecodeFixed32(at);
  }
  // Block offsets are 32-bit signed; lengths that sum past that are damage.
  if (sum > kMaxTableOffset) return Placement::kOutOfRange;
  *offset = static_cast<std::int32_t>(sum);
  *length = len;
  return Placement::kFound;
}

}  // namespace taliq
