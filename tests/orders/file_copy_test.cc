// Copies through the fixed buffer: exact bytes and digest for files of many
// buffers, and every failure reported with its file.
#include "orders/file_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "tests/orders/corrupting_platform.h"

namespace taliq::test {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, int seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 31 + seed + i / 251);
  return bytes;
}

Sha256Digest DigestOf(const std::vector<std::uint8_t>& bytes) {
  return Sha256::Of(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TEST(CopyFileVerifiedTest, CopiesAnySizeExactly) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kCopyBufferSize - 1, kCopyBufferSize,
                           3 * kCopyBufferSize + 17}) {
    TempDir tmp;
    TestPlatform platform;
    const std::vector<std::uint8_t> bytes = Pattern(size, 5);
    WriteBytes(tmp.Join("from"), bytes);
    // An older, longer file in the way is replaced, not overwritten in part.
    WriteBytes(tmp.Join("to"), Pattern(size + 100, 9));
    FileDigest digest;
    ASSERT_TRUE(CopyFileVerified(&platform, tmp.Join("from"), tmp.Join("to"), &digest).ok())
        << size;
    EXPECT_EQ(ReadBytes(tmp.Join("to")), bytes) << size;
    EXPECT_EQ(digest.size, static_cast<std::int64_t>(size));
    EXPECT_EQ(digest.sha256, DigestOf(bytes)) << size;
    FileDigest again;
    ASSERT_TRUE(DigestFile(&platform, tmp.Join("to"), &again).ok());
    EXPECT_EQ(again, digest);
  }
}

TEST(CopyFileVerifiedTest, ACopyThatReadsBackDifferentlyIsCaught) {
  TempDir tmp;
  CorruptingPlatform platform;
  platform.corruptReadsOf = ".tmp";  // the copy, read back before it becomes "to"
  const std::vector<std::uint8_t> bytes = Pattern(1000, 1);
  WriteBytes(tmp.Join("from"), bytes);
  FileDigest digest;
  WriteBytes(tmp.Join("to"), Pattern(10, 2));
  const Status s = CopyFileVerified(&platform, tmp.Join("from"), tmp.Join("to"), &digest);
  EXPECT_TRUE(s.Is(Status::Code::kCorruption));
  // A bad copy never takes the old file's place, and does not stay behind.
  EXPECT_EQ(ReadBytes(tmp.Join("to")), Pattern(10, 2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 2);
  EXPECT_NE(s.message().find(tmp.Join("to") + ": damaged: the copy does not read back as " +
                             tmp.Join("from") + " did (1000 bytes, SHA-256 "),
            std::string::npos)
      << s.message();
  EXPECT_NE(s.message().find("instead of 1000 bytes, SHA-256 " + DigestHex(DigestOf(bytes))),
            std::string::npos)
      << s.message();
}

TEST(CopyFileVerifiedTest, Failures) {
  TempDir tmp;
  TestPlatform platform;
  WriteBytes(tmp.Join("from"), Pattern(10, 0));
  FileDigest digest;
  Status s = CopyFileVerified(&platform, tmp.Join("missing"), tmp.Join("to"), &digest);
  EXPECT_TRUE(s.Is(Status::Code::kNotFound));
  EXPECT_EQ(s.message(), tmp.Join("missing") + ": missing");
  EXPECT_FALSE(FileExists(tmp.Join("to")));

  // A failed write leaves the old file whole and no copy behind.
  const std::vector<std::uint8_t> old = Pattern(20, 3);
  WriteBytes(tmp.Join("to"), old);
  platform.failOpenForWrite = {".tmp"};
  s = CopyFileVerified(&platform, tmp.Join("from"), tmp.Join("to"), &digest);
  EXPECT_TRUE(s.Is(Status::Code::kCannotOpen)) << s.message();
  EXPECT_EQ(ReadBytes(tmp.Join("to")), old);

  platform.failOpenForWrite.clear();
  platform.failWrites = {".tmp"};
  s = CopyFileVerified(&platform, tmp.Join("from"), tmp.Join("to"), &digest);
  EXPECT_TRUE(s.Is(Status::Code::kIoError)) << s.message();
  EXPECT_EQ(s.message().rfind(tmp.Join("to") + ": ", 0), 0u) << s.message();
  EXPECT_EQ(ReadBytes(tmp.Join("to")), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 2);
}

TEST(CopyFileVerifiedTest, ALinkAtTheTargetIsReplacedNotWrittenThrough) {
  TempDir tmp;
  TestPlatform platform;
  const std::vector<std::uint8_t> elsewhere = Pattern(30, 4);
  WriteBytes(tmp.Join("elsewhere"), elsewhere);
  std::filesystem::create_symlink(tmp.Join("elsewhere"), tmp.Join("to"));
  WriteBytes(tmp.Join("from"), Pattern(40, 6));
  FileDigest digest;
  ASSERT_TRUE(CopyFileVerified(&platform, tmp.Join("from"), tmp.Join("to"), &digest).ok());
  EXPECT_FALSE(std::filesystem::is_symlink(tmp.Join("to")));
  EXPECT_EQ(ReadBytes(tmp.Join("to")), Pattern(40, 6));
  EXPECT_EQ(ReadBytes(tmp.Join("elsewhere")), elsewhere);
}

}  // namespace
}  // namespace taliq::test
