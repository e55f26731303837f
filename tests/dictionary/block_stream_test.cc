// Reading a table's blocks one after the other without a seek each: every
// block shows exactly its own bytes, however the reads of 128 KiB cut them.
#include "dictionary/block_stream.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

// The bytes the stream shows for the block, read n at a time.
std::vector<std::uint8_t> ReadBlock(BlockStream* s, std::size_t n) {
  std::vector<std::uint8_t> out;
  for (std::size_t avail; (avail = s->Ensure(n)) > 0;) {
    const std::size_t take = std::min(avail, n);
    out.insert(out.end(), s->data() + s->pos(), s->data() + s->pos() + take);
    s->Set(s->pos() + take);
  }
  return out;
}

TEST(BlockStreamTest, NextBlockGoesOnFromTheReadsBefore) {
  test::TempDir dir;
  const std::string path = dir.Join("table");
  std::vector<std::uint8_t> bytes(300000);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  test::WriteBytes(path, bytes);
  // Blocks of 64, 0, 150000, 3, 200000 bytes from offset 100; the last
  // runs past the file's end.
  const std::uint32_t lengths[] = {64, 0, 150000, 3, 200000};
  PortablePlatform platform;
  for (std::size_t step : {1u, 7u, 256u}) {
    SCOPED_TRACE(step);
    FileHandle f = platform.OpenFile(path, "rb");
    BlockStream s;
    std::int32_t offset = 100;
    bool first = true;
    for (std::uint32_t length : lengths) {
      if (first) {
        ASSERT_EQ(s.OpenAhead(&platform, f.get(), offset, length, 100 + 350067),
                  BlockStream::OpenResult::kOpened);
        first = false;
      } else {
        ASSERT_TRUE(s.NextBlock(offset, length));
      }
      const std::size_t end = std::min<std::size_t>(offset + length, bytes.size());
      EXPECT_EQ(ReadBlock(&s, step),
                std::vector<std::uint8_t>(bytes.begin() + offset,
                                          bytes.begin() + static_cast<std::ptrdiff_t>(end)));
      offset += static_cast<std::int32_t>(length);
    }
    EXPECT_TRUE(s.truncated());
    // Not where the last block ended: refused.
    EXPECT_FALSE(s.NextBlock(offset + 1, 10));
  }
}

TEST(BlockStreamTest, OpenReadsNoFurtherThanItsBlock) {
  test::TempDir dir;
  const std::string path = dir.Join("table");
  test::WriteBytes(path, std::vector<std::uint8_t>(1000, 1));
  PortablePlatform platform;
  FileHandle f = platform.OpenFile(path, "rb");
  BlockStream s;
  ASSERT_EQ(s.Open(&platform, f.get(), 10, 20), BlockStream::OpenResult::kOpened);
  EXPECT_EQ(s.Ensure(256), 20u);
  EXPECT_EQ(s.EndOffset(), 30);
  EXPECT_FALSE(s.truncated());
}

}  // namespace
}  // namespace taliq
