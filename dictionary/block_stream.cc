#include "dictionary/block_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "dictionary/format.h"

namespace taliq {

BlockStream::OpenResult BlockStream::Open(Platform* platform, std::FILE* file, std::int32_t offset,
                                          std::uint32_t length) {
  // Nothing of a table lies past 2^31 - 1.
  const std::int64_t want = std::min<std::int64_t>(length, kMaxTableOffset - offset);
  // The stream's own buffer would only add a copy and split each read at
  // its block boundaries; unbuffered, a read of the block is one read.
  std::setvbuf(file, nullptr, _IONBF, 0);
  if (!platform->Seek(file, offset)) return OpenResult::kSeekFailed;
  file_ = file;
  offset_ = offset;
  remaining_ = std::max<std::int64_t>(want, 0);
  capacity_ = static_cast<std::size_t>(std::min<std::int64_t>(remaining_, kChunk)) + kMaxLookahead;
  buffer_.reset(new (std::nothrow) std::uint8_t[capacity_]);
  return buffer_ != nullptr ? OpenResult::kOpened : OpenResult::kNoMemory;
}

void BlockStream::Refill() {
  const std::size_t kept = end_ - pos_;
  std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
  offset_ += static_cast<std::int64_t>(pos_);
  pos_ = 0;
  end_ = kept;
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::int64_t>(remaining_, static_cast<std::int64_t>(capacity_ - kept)));
  const std::size_t got = std::fread(buffer_.get() + kept, 1, want, file_);
  end_ += got;
  // A short read is the file's end (a damaged table): the block ends here.
  if (got < want) {
    remaining_ = 0;
    truncated_ = true;
  } else {
    remaining_ -= static_cast<std::int64_t>(got);
  }
}

}  // namespace taliq
