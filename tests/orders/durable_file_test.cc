// Appends that are synced and keep a torn line apart, replaces that leave the
// old file on every failure.
#include "orders/durable_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

// Counts the syncs, and can make them fail as a full disk would.
class SyncPlatform : public TestPlatform {
 public:
  int syncs = 0;
  bool failSync = false;
  bool SyncFile(std::FILE* file) override {
    ++syncs;
    if (failSync) {
      errno = ENOSPC;
      return false;
    }
    return TestPlatform::SyncFile(file);
  }
};

// Whether a temporary file of `name` ("~NAME.XXXXXXXX.tmp") is left in `dir`.
bool TempLeft(const TempDir& dir, const std::string& name) {
  for (const auto& e : std::filesystem::directory_iterator(dir.Join(""))) {
    if (e.path().filename().string().rfind("~" + name + ".", 0) == 0) return true;
  }
  return false;
}

TEST(AppendDurablyTest, AppendsSyncedAndEndsATornLine) {
  const struct {
    const char* name;
    std::optional<std::string> before;
    std::string after;
  } cases[] = {
      {"missing file", std::nullopt, "new 1\nnew 2\n"},
      {"empty file", "", "new 1\nnew 2\n"},
      {"complete lines", "old\n", "old\nnew 1\nnew 2\n"},
      {"torn last line", "old\ntor", "old\ntor\nnew 1\nnew 2\n"},
  };
  for (const auto& c : cases) {
    TempDir tmp;
    SyncPlatform platform;
    const std::string path = tmp.Join("history.tsv");
    if (c.before) WriteText(path, *c.before);
    ASSERT_TRUE(AppendDurably(&platform, path, "new 1\nnew 2\n").ok()) << c.name;
    EXPECT_EQ(ReadText(path), c.after) << c.name;
    EXPECT_EQ(platform.syncs, 1) << c.name;
  }
}

TEST(AppendDurablyTest, FailuresAreReported) {
  TempDir tmp;
  SyncPlatform platform;
  const std::string path = tmp.Join("history.tsv");
  WriteText(path, "old\n");

  platform.failSync = true;
  Status s = AppendDurably(&platform, path, "new\n");
  EXPECT_TRUE(s.Is(Status::Code::kIoError));
  EXPECT_EQ(s.message(), path + ": writing to the disk failed: No space left on device");

  platform.failSync = false;
  platform.failOpenForWrite = {"history.tsv"};
  s = AppendDurably(&platform, path, "new\n");
  EXPECT_TRUE(s.Is(Status::Code::kCannotOpen)) << s.message();

  platform.failOpenForWrite.clear();
  s = AppendDurably(&platform, tmp.Join("no/such/folder/history.tsv"), "new\n");
  EXPECT_TRUE(s.Is(Status::Code::kNotFound)) << s.message();
}

TEST(WriteFileAtomicallyTest, ReplacesTheWholeFile) {
  TempDir tmp;
  SyncPlatform platform;
  const std::string path = tmp.Join("manifest.tsv");
  WriteText(path, "a much longer old content\n");
  ASSERT_TRUE(WriteFileAtomically(&platform, path, "new\n").ok());
  EXPECT_EQ(ReadText(path), "new\n");
  EXPECT_FALSE(TempLeft(tmp, "manifest.tsv"));
  EXPECT_EQ(platform.syncs, 1);
}

// The data folder is the user's own, and the tools may run elevated: a link
// planted where a temporary file might go is never written through, nor
// put in the file's place.
TEST(WriteFileAtomicallyTest, NeverWritesThroughAPlantedLink) {
  TempDir tmp;
  SyncPlatform platform;
  const std::string path = tmp.Join("orders.tsv");
  const std::string victim = tmp.Join("victim");
  WriteText(path, "old\n");
  WriteText(victim, "keep\n");
  std::filesystem::create_symlink(victim, path + ".tmp");
  ASSERT_TRUE(WriteFileAtomically(&platform, path, "new\n").ok());
  EXPECT_EQ(ReadText(victim), "keep\n");
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadText(path), "new\n");
}

TEST(WriteFileAtomicallyTest, OldFileStaysOnEveryFailure) {
  const struct {
    const char* name;
    void (*setUp)(SyncPlatform&);
    Status::Code code;
  } cases[] = {
      {"temporary file cannot be made",
       [](SyncPlatform& p) { p.failOpenForWrite = {"~manifest.tsv.*.tmp"}; },
       Status::Code::kCannotOpen},
      {"writes fail", [](SyncPlatform& p) { p.failWrites = {"~manifest.tsv.*.tmp"}; },
       Status::Code::kIoError},
      {"sync fails", [](SyncPlatform& p) { p.failSync = true; }, Status::Code::kIoError},
      {"rename refused", [](SyncPlatform& p) { p.refuseReplace = true; }, Status::Code::kIoError},
  };
  for (const auto& c : cases) {
    TempDir tmp;
    SyncPlatform platform;
    c.setUp(platform);
    const std::string path = tmp.Join("manifest.tsv");
    WriteText(path, "old\n");
    const Status s = WriteFileAtomically(&platform, path, "new\n");
    EXPECT_TRUE(s.Is(c.code)) << c.name << ": " << s.message();
    EXPECT_EQ(ReadText(path), "old\n") << c.name;
    EXPECT_FALSE(TempLeft(tmp, "manifest.tsv")) << c.name;
  }
}

TEST(ReadSmallFileTest, SizeLimitAndMissingFile) {
  TempDir tmp;
  TestPlatform platform;
  WriteText(tmp.Join("f"), std::string(5000, 'x'));
  std::string bytes;
  ASSERT_TRUE(ReadSmallFile(&platform, tmp.Join("f"), 5000, &bytes).ok());
  EXPECT_EQ(bytes.size(), 5000u);
  EXPECT_TRUE(ReadSmallFile(&platform, tmp.Join("f"), 4999, &bytes).Is(Status::Code::kCorruption));
  EXPECT_TRUE(ReadSmallFile(&platform, tmp.Join("g"), 10, &bytes).Is(Status::Code::kNotFound));
}

}  // namespace
}  // namespace taliq::test
