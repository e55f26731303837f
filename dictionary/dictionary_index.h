// DictionaryIndex: lurm2008.idx in memory, and where each code's block lies
// in the two tables.
#ifndef TALIQ_DICTIONARY_DICTIONARY_INDEX_H_
#define TALIQ_DICTIONARY_DICTIONARY_INDEX_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dictionary/format.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

class DictionaryIndex {
 public:
  enum class Placement {
    kFound,
    kBadCode,     // not 1-4 digits (characters) or 1-6 digits (phrases)
    kNoIndex,     // nothing loaded
    kOutOfRange,  // the lengths before the block sum past 2^31 - 1
  };

  // Replaces what is held by the index file at `path`. On failure nothing
  // is held: kNotFound or kCannotOpen (the file), kIoError (its size or its
  // bytes could not be read), kCorruption (shorter than the two length
  // arrays: nothing may be read beyond the loaded bytes), kNoMemory.
  Status Load(Platform* platform, const std::string& path);
  void Clear();
  bool loaded() const { return bytes_ != nullptr; }
  // The whole file as loaded (empty when nothing is held).
  std::string_view bytes() const {
    return {reinterpret_cast<const char*>(bytes_.get()), bytes_ != nullptr ? size_ : 0};
  }

  // The offset and length of the block of `code` in `table`.
  Placement Place(std::u16string_view code, TableKind table, std::int32_t* offset,
                  std::uint32_t* length) const;
  // The offset and length of bucket `bucket`'s block (0 to kBucketCount - 1)
  // in `table`: kFound, kNoIndex or kOutOfRange.
  Placement PlaceBucket(int bucket, TableKind table, std::int32_t* offset,
                        std::uint32_t* length) const;
  // Where the length of the bucket's block lies in the index file.
  static std::size_t LengthOffset(int bucket, TableKind table);

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
  // Offset of every block in both tables (the header plus the lengths before
  // it), worked out once per load: kBucketCount character offsets, then as
  // many phrase offsets.
  std::unique_ptr<std::int64_t[]> blockOffsets_;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_DICTIONARY_INDEX_H_
