// ReplaceFileContents through both path overloads: which files it opens,
// what the target holds afterwards, and the status it reports.
#include "platform/replace_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

constexpr char kOldBytes[] = "old contents, longer than the new ones\r\n";
constexpr char kNewBytes[] = "new\r\n";

enum class After { kNew, kOld, kAbsent, kUnchecked };

std::string ReadText(const std::string& path) {
  const std::vector<std::uint8_t> b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

std::vector<std::string> TempFilesBelow(const std::string& root) {
  std::vector<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.path().extension() == ".tmp") found.push_back(e.path().string());
  }
  return found;
}

TEST(ReplaceFileContentsTest, ReplacesFallsBackInPlaceOrReportsWhy) {
  using Code = Status::Code;
  // In the folder "dir": "file" holds kOldBytes, "sub" is a folder,
  // "missing" does not exist.
  const struct {
    const char* name;
    const char* target;
    std::vector<std::string> failOpen;
    std::vector<std::string> failWrites;
    bool refuseReplace;
    Code code;
    After after;
    const char* opened;  // in order: "T" the temporary file, "F" the target
    int error;           // the errno the status keeps
  } cases[] = {
      {"plain replace", "file", {}, {}, false, Code::kOk, After::kNew, "T", 0},
      {"no temp file", "file", {"file.tmp"}, {}, false, Code::kOk, After::kNew, "TF", 0},
      {"rename refused", "file", {}, {}, true, Code::kOk, After::kNew, "TF", 0},
      {"temp write fails", "file", {}, {"file.tmp"}, false, Code::kIoError, After::kOld, "T", 0},
      // Nothing keeps the old file whole once the rename is refused.
      {"in place fails", "file", {}, {"/file"}, true, Code::kIoError, After::kUnchecked, "TF", 0},
      {"no open", "file", {".tmp", "/file"}, {}, false, Code::kCannotOpen, After::kOld, "TF", 0},
      {"folder missing", "missing/file", {}, {}, false, Code::kNotFound, After::kAbsent, "TF", 0},
      {"a folder", "sub", {}, {}, false, Code::kCannotOpen, After::kUnchecked, "TF", EISDIR},
  };
  for (const bool wide : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (wide ? " (wide)" : " (narrow)"));
      TempDir dir;
      dir.MakeDirs("dir/sub");
      WriteBytes(dir.Join("dir/file"),
                 std::vector<std::uint8_t>(kOldBytes, kOldBytes + sizeof(kOldBytes) - 1));
      TestPlatform platform;
      platform.failOpen = c.failOpen;
      platform.failWrites = c.failWrites;
      platform.refuseReplace = c.refuseReplace;
      const std::string path = dir.Join(std::string("dir/") + c.target);
      const std::string temp = path + ".tmp";

      const Status status =
          wide ? ReplaceFileContents(&platform, Utf8ToUtf16(path), Utf8ToUtf16(temp), kNewBytes)
               : ReplaceFileContents(&platform, path, temp, kNewBytes);

      EXPECT_EQ(status.code(), c.code) << status.message();
      EXPECT_EQ(status.error(), c.error);
      if (!status.ok()) {
        EXPECT_EQ(status.message().rfind(path + ": ", 0), 0u) << status.message();
      }
      if (c.error != 0) {
        EXPECT_NE(status.message().find(ErrnoText(c.error)), std::string::npos);
      }
      std::string opened;
      for (const std::string& p : platform.opened) opened += p == temp ? "T" : p == path ? "F" : p;
      EXPECT_EQ(opened, c.opened);
      switch (c.after) {
        case After::kNew:
          EXPECT_EQ(ReadText(path), kNewBytes);
          break;
        case After::kOld:
          EXPECT_EQ(ReadText(path), kOldBytes);
          break;
        case After::kAbsent:
          EXPECT_FALSE(FileExists(path));
          break;
        case After::kUnchecked:
          break;
      }
      EXPECT_EQ(TempFilesBelow(dir.path()), std::vector<std::string>());
    }
  }
}

TEST(WriteAllAndCloseTest, ReportsAFailedFlushAndWritesEmptyFiles) {
  TempDir dir;
  TestPlatform platform;
  platform.failWrites = {"full"};
  EXPECT_FALSE(WriteAllAndClose(platform.OpenFile(dir.Join("full"), "wb"), kNewBytes));
  EXPECT_TRUE(WriteAllAndClose(platform.OpenFile(dir.Join("empty"), "wb"), ""));
  EXPECT_EQ(ReadText(dir.Join("empty")), "");
  EXPECT_TRUE(WriteAllAndClose(platform.OpenFile(dir.Join("some"), "wb"), kNewBytes));
  EXPECT_EQ(ReadText(dir.Join("some")), kNewBytes);
}

}  // namespace
}  // namespace taliq::test
