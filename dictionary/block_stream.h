// BlockStream: one block of a table, read front to back through a bounded
// buffer.
#ifndef TALIQ_DICTIONARY_BLOCK_STREAM_H_
#define TALIQ_DICTIONARY_BLOCK_STREAM_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/platform.h"

namespace taliq {

// Reads one block through a buffer of at most kChunk bytes plus a small
// margin, so that a lookup's memory does not depend on the block's length
// (a damaged index may claim up to 4 GB). The scans keep a position in the
// buffer and ask for the next few bytes with Ensure, which moves what is
// left to the front and reads on; nothing the scans look at lies more than
// kMaxLookahead bytes ahead of their position, except where they search
// forward and refill as they go.
class BlockStream {
 public:
  // Read size: large enough that the calls cost little beside the copy out
  // of the page cache, small enough to stay in the processor's cache while
  // it is scanned. The fuzz build shrinks it (TALIQ_BLOCK_CHUNK, bytes) so
  // that small blocks cross refills.
#ifdef TALIQ_BLOCK_CHUNK
  static constexpr std::size_t kChunk = TALIQ_BLOCK_CHUNK;
#else
  static constexpr std::size_t kChunk = 128 * 1024;
#endif
  static constexpr std::size_t kMaxLookahead = 256;

  enum class OpenResult { kOpened, kSeekFailed, kNoMemory };

  // Prepares to read `length` bytes from `offset` of the freshly opened
  // `file` (cut at the last offset a table may use). An empty block is not
  // an error.
  OpenResult Open(Platform* platform, std::FILE* file, std::int32_t offset, std::uint32_t length);

  // For walks over a whole table, whose blocks lie back to back: the same,
  // but reads go on past the block's end, up to `limit` (the table's end),
  // in reads of kChunk bytes, so that the blocks after it (NextBlock) need
  // neither a seek nor a read of their own. What the stream shows still
  // ends at the block's end.
  OpenResult OpenAhead(Platform* platform, std::FILE* file, std::int32_t offset,
                       std::uint32_t length, std::int64_t limit);
  // After OpenAhead: moves on to the block of `length` bytes at `offset`,
  // keeping what was read past the current block. False, changing nothing,
  // when that block does not start where the current one ends or the bytes
  // before it were not read (the caller then opens it with OpenAhead).
  bool NextBlock(std::int32_t offset, std::uint32_t length);

  // Shows the block of `length` bytes at `offset` from `bytes`, which hold
  // the file's bytes [bytesOffset, bytesOffset + size) and must outlive the
  // stream's use of them: no read at all. False, changing nothing, unless
  // the block lies wholly inside them.
  bool OpenInMemory(const std::uint8_t* bytes, std::int64_t bytesOffset, std::size_t size,
                    std::int32_t offset, std::uint32_t length);

  // Makes at least n bytes (n <= kMaxLookahead) available from pos(),
  // unless the block (or the file) ends first; gives the bytes available,
  // which may be more than n.
  std::size_t Ensure(std::size_t n) {
    if (end_ - pos_ < n && offset_ + static_cast<std::int64_t>(dataEnd_) < blockEnd_ &&
        !truncated_) {
      Refill();
    }
    return end_ - pos_;
  }

  const std::uint8_t* data() const { return held_ != nullptr ? held_ : buffer_.get(); }
  std::size_t pos() const { return pos_; }
  std::size_t end() const { return end_; }
  // Moves the position within the bytes available.
  void Set(std::size_t pos) { pos_ = pos; }
  // File offset of a position in the buffer.
  std::int32_t FileOffset(std::size_t pos) const {
    return static_cast<std::int32_t>(offset_ + static_cast<std::int64_t>(pos));
  }
  // File offset just past the bytes read so far.
  std::int64_t EndOffset() const { return offset_ + static_cast<std::int64_t>(end_); }
  // Whether a read came up short: the file ends before the block does.
  bool truncated() const { return truncated_; }

 private:
  OpenResult Start(Platform* platform, std::FILE* file, std::int32_t offset, std::uint32_t length,
                   std::int64_t limit, std::size_t capacity);
  void Refill();
  // The end of the block in the buffer, or of what it holds if sooner.
  void ShowBlock() {
    end_ = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(dataEnd_), blockEnd_ - offset_));
  }

  // Walks over whole tables open one stream after another: buffers of the
  // full size go back to a small per-thread store when a stream lets go of
  // them, and the next stream reads into pages already mapped instead of
  // faulting in fresh ones.
  struct BufferRelease {
    bool full;  // value-initialised (false) by an empty buffer_
    void operator()(std::uint8_t* buffer) const;
  };

  std::FILE* file_ = nullptr;
  std::unique_ptr<std::uint8_t[], BufferRelease> buffer_;
  // The caller's bytes, after OpenInMemory.
  const std::uint8_t* held_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;      // what the stream shows: up to the block's end
  std::size_t dataEnd_ = 0;  // what the buffer holds
  // File offsets: of buffer_[0], of the block's end, and of the end of
  // what may be read.
  std::int64_t offset_ = 0;
  std::int64_t blockEnd_ = 0;
  std::int64_t limit_ = 0;
  bool truncated_ = false;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_BLOCK_STREAM_H_
