#include "dictionary/block_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "dictionary/format.h"

namespace taliq {
namespace {

// Full-size buffers kept for the next stream of this thread: two, for the
// walks that read two tables side by side.
constexpr std::size_t kKeptBuffers = 2;
thread_local std::unique_ptr<std::uint8_t[]> keptBuffers[kKeptBuffers];

std::uint8_t* NewBuffer(std::size_t capacity, bool full) {
  if (full) {
    for (auto& kept : keptBuffers) {
      if (kept != nullptr) return kept.release();
    }
  }
  return new (std::nothrow) std::uint8_t[capacity];
}

}  // namespace

void BlockStream::BufferRelease::operator()(std::uint8_t* buffer) const {
  if (full) {
    for (auto& kept : keptBuffers) {
      if (kept == nullptr) {
        kept.reset(buffer);
        return;
      }
    }
  }
  delete[] buffer;
}

BlockStream::OpenResult BlockStream::Open(Platform* platform, std::FILE* file, std::int32_t offset,
                                          std::uint32_t length) {
  // A lookup reads its one block and nothing after it.
  const std::int64_t want = std::min<std::int64_t>(length, kMaxTableOffset - offset);
  return Start(
      platform, file, offset, length, offset + std::max<std::int64_t>(want, 0),
      static_cast<std::size_t>(std::min<std::int64_t>(std::max<std::int64_t>(want, 0), kChunk)) +
          kMaxLookahead);
}

BlockStream::OpenResult BlockStream::OpenAhead(Platform* platform, std::FILE* file,
                                               std::int32_t offset, std::uint32_t length,
                                               std::int64_t limit) {
  return Start(platform, file, offset, length, limit, kChunk + kMaxLookahead);
}

BlockStream::OpenResult BlockStream::Start(Platform* platform, std::FILE* file, std::int32_t offset,
                                           std::uint32_t length, std::int64_t limit,
                                           std::size_t capacity) {
  // The stream's own buffer would only add a copy and split each read at
  // its block boundaries; unbuffered, a read of the block is one read.
  std::setvbuf(file, nullptr, _IONBF, 0);
  if (!platform->Seek(file, offset)) return OpenResult::kSeekFailed;
  file_ = file;
  held_ = nullptr;
  offset_ = offset;
  pos_ = 0;
  end_ = 0;
  dataEnd_ = 0;
  truncated_ = false;
  // Nothing of a table lies past 2^31 - 1.
  blockEnd_ = std::max<std::int64_t>(
      offset, std::min<std::int64_t>(static_cast<std::int64_t>(offset) + length, kMaxTableOffset));
  limit_ = std::max(std::min<std::int64_t>(limit, kMaxTableOffset), blockEnd_);
  if (capacity_ != capacity || buffer_ == nullptr) {
    capacity_ = capacity;
    const bool full = capacity == kChunk + kMaxLookahead;
    buffer_ = decltype(buffer_)(NewBuffer(capacity, full), BufferRelease{full});
  }
  return buffer_ != nullptr ? OpenResult::kOpened : OpenResult::kNoMemory;
}

bool BlockStream::OpenInMemory(const std::uint8_t* bytes, std::int64_t bytesOffset,
                               std::size_t size, std::int32_t offset, std::uint32_t length) {
  const std::int64_t end = static_cast<std::int64_t>(offset) + length;
  if (offset < bytesOffset || end > bytesOffset + static_cast<std::int64_t>(size)) return false;
  file_ = nullptr;
  held_ = bytes;
  offset_ = bytesOffset;
  pos_ = static_cast<std::size_t>(offset - bytesOffset);
  dataEnd_ = size;
  truncated_ = false;
  blockEnd_ = end;
  limit_ = end;
  ShowBlock();
  return true;
}

bool BlockStream::NextBlock(std::int32_t offset, std::uint32_t length) {
  if (buffer_ == nullptr || held_ != nullptr || offset != blockEnd_ ||
      offset - offset_ > static_cast<std::int64_t>(dataEnd_)) {
    return false;
  }
  pos_ = static_cast<std::size_t>(offset - offset_);
  blockEnd_ = std::max<std::int64_t>(
      offset, std::min<std::int64_t>(static_cast<std::int64_t>(offset) + length, kMaxTableOffset));
  limit_ = std::max(limit_, blockEnd_);
  ShowBlock();
  return true;
}

void BlockStream::Refill() {
  const std::size_t kept = dataEnd_ - pos_;
  std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
  offset_ += static_cast<std::int64_t>(pos_);
  pos_ = 0;
  dataEnd_ = kept;
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::int64_t>(limit_ - (offset_ + static_cast<std::int64_t>(kept)),
                             static_cast<std::int64_t>(capacity_ - kept)));
  const std::size_t got = std::fread(buffer_.get() + kept, 1, want, file_);
  dataEnd_ += got;
  // A short read is the file's end (a damaged table): the block ends here.
  if (got < want) truncated_ = true;
  ShowBlock();
}

}  // namespace taliq
