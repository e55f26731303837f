// ReplaceFileContents through both path overloads: what the target holds
// afterwards, the status it reports, what it leaves beside the target, and
// what the new file keeps of the old one.
#include "platform/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "tests/support/fault_platform.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

namespace fs = std::filesystem;

constexpr char kOldBytes[] = "old contents, longer than the new ones\r\n";
constexpr char kNewBytes[] = "new\r\n";

enum class After { kNew, kOld, kAbsent, kUnchecked };

// Everything below `root` but the files a test made: temporary files,
// journals, lock files.
std::vector<std::string> LeftoversBelow(const std::string& root,
                                        const std::vector<std::string>& made) {
  std::vector<std::string> found;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_directory()) continue;
    const std::string p = e.path().string();
    if (std::find(made.begin(), made.end(), p) == made.end()) found.push_back(p);
  }
  return found;
}

Status Replace(Platform* platform, const std::string& path, std::string_view bytes, bool wide,
               std::string* note = nullptr) {
  return wide ? ReplaceFileContents(platform, Utf8ToUtf16(path), bytes, note)
              : ReplaceFileContents(platform, path, bytes, note);
}

TEST(ReplaceFileContentsTest, ReplacesFallsBackToAJournalledRewriteOrReportsWhy) {
  using Code = Status::Code;
  // In the folder "dir": "file" holds kOldBytes, "sub" is a folder, "new"
  // and "missing/file" do not exist.
  // failOpen: opens that fail in any mode ("R" in front: only opens for
  // writing, which the reading of a journal is not).
  const struct {
    const char* name;
    const char* target;
    std::vector<std::string> failOpen;
    std::vector<std::string> failWrites;
    bool refuseReplace;
    Code code;
    After after;
    int error;  // the errno the status keeps
  } cases[] = {
      {"plain replace", "file", {}, {}, false, Code::kOk, After::kNew, 0},
      {"no temp file", "file", {"/~file.*.tmp"}, {}, false, Code::kOk, After::kNew, 0},
      {"rename refused", "file", {}, {}, true, Code::kOk, After::kNew, 0},
      {"temp write fails", "file", {}, {"~file.*.tmp"}, false, Code::kIoError, After::kOld, 0},
      // The in-place write fails: what it left is rolled back.
      {"in place fails", "file", {}, {"/file"}, true, Code::kIoError, After::kOld, 0},
      {"no journal", "file", {"R/file.journal"}, {}, true, Code::kCannotOpen, After::kOld, EACCES},
      {"journal write fails", "file", {}, {"/file.journal"}, true, Code::kIoError, After::kOld, 0},
      // Whether an interrupted save is pending cannot be told.
      {"journal unreadable",
       "file",
       {"/file.journal"},
       {},
       false,
       Code::kCannotOpen,
       After::kOld,
       EACCES},
      {"no open", "file", {".tmp", "/file"}, {}, false, Code::kCannotOpen, After::kOld, EACCES},
      {"new file", "new", {}, {}, false, Code::kOk, After::kNew, 0},
      {"new file, no temp", "new", {".tmp"}, {}, false, Code::kOk, After::kNew, 0},
      {"new file, write fails",
       "new",
       {".tmp"},
       {"/new"},
       false,
       Code::kIoError,
       After::kAbsent,
       0},
      {"folder missing", "missing/file", {}, {}, false, Code::kNotFound, After::kAbsent, 0},
      {"a folder", "sub", {}, {}, false, Code::kCannotOpen, After::kUnchecked, EISDIR},
  };
  for (const bool wide : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (wide ? " (wide)" : " (narrow)"));
      TempDir dir;
      dir.MakeDirs("dir/sub");
      WriteText(dir.Join("dir/file"), kOldBytes);
      TestPlatform platform;
      for (const std::string& f : c.failOpen) {
        (f[0] == 'R' ? platform.failOpenForWrite : platform.failOpen)
            .push_back(f[0] == 'R' ? f.substr(1) : f);
      }
      platform.failWrites = c.failWrites;
      platform.refuseReplace = c.refuseReplace;
      const std::string path = dir.Join(std::string("dir/") + c.target);

      const Status status = Replace(&platform, path, kNewBytes, wide);

      EXPECT_EQ(status.code(), c.code) << status.message();
      EXPECT_EQ(status.error(), c.error);
      if (!status.ok()) {
        EXPECT_EQ(status.message().rfind(path, 0), 0u) << status.message();
      }
      if (c.error != 0) {
        EXPECT_NE(status.message().find(ErrnoText(c.error)), std::string::npos);
      }
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
      EXPECT_EQ(LeftoversBelow(dir.path(), {dir.Join("dir/file"), dir.Join("dir/new")}),
                std::vector<std::string>());
    }
  }
}

// The new bytes are flushed to the disk before the new file replaces the
// old one, and before a journalled rewrite goes on.
TEST(ReplaceFileContentsTest, SyncsTheNewFileBeforeTheSwap) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "swap refused" : "swap");
    TempDir dir;
    WriteText(dir.Join("file"), kOldBytes);
    TestPlatform base;
    base.refuseReplace = refused;
    FaultPlatform platform(&base);
    platform.Arm(0, FaultKind::kFail);
    ASSERT_TRUE(Replace(&platform, dir.Join("file"), kNewBytes, false).ok());
    // In order: each write is followed by a sync before anything else is
    // done with the file it went to.
    const std::vector<CallKind>& log = platform.log();
    for (size_t i = 0; i < log.size(); ++i) {
      if (log[i] != CallKind::kWrite && log[i] != CallKind::kTruncate) continue;
      const auto sync =
          std::find(log.begin() + static_cast<std::ptrdiff_t>(i), log.end(), CallKind::kSync);
      const auto swap =
          std::find(log.begin() + static_cast<std::ptrdiff_t>(i), log.end(), CallKind::kReplace);
      EXPECT_TRUE(sync != log.end() && sync < swap) << "write at call " << i + 1;
    }
    EXPECT_EQ(ReadText(dir.Join("file")), kNewBytes);
  }
}

// A link planted where a tool writes: the old fixed temporary name, the
// journal's name, or the target itself. The link's target is never written.
TEST(ReplaceFileContentsTest, NeverWritesThroughAPlantedLink) {
  const struct {
    const char* name;
    const char* planted;  // below "dir", pointing at "victim"
    bool hard;
    bool refuseReplace;
    Status::Code code;
  } cases[] = {
      {"symlink at the old temporary name", "file.tmp", false, false, Status::Code::kOk},
      {"hard link at the old temporary name", "file.tmp", true, false, Status::Code::kOk},
      {"symlink at the journal's name", "file.journal", false, true, Status::Code::kOk},
      {"hard link at the journal's name", "file.journal", true, true, Status::Code::kOk},
      // The in-place rewrite opens no link: refused, nothing written.
      {"the file a symlink, swap refused", "file", false, true, Status::Code::kCannotOpen},
      {"the file a hard link, swap refused", "file", true, true, Status::Code::kCannotOpen},
  };
  for (const bool wide : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (wide ? " (wide)" : " (narrow)"));
      TempDir dir;
      dir.MakeDirs("dir");
      const std::string victim = dir.Join("victim");
      WriteText(victim, "precious");
      const std::string planted = dir.Join(std::string("dir/") + c.planted);
      if (std::string(c.planted) != "file") WriteText(dir.Join("dir/file"), kOldBytes);
      if (c.hard) {
        fs::create_hard_link(victim, planted);
      } else {
        fs::create_symlink(victim, planted);
      }
      TestPlatform platform;
      platform.refuseReplace = c.refuseReplace;
      const Status status = Replace(&platform, dir.Join("dir/file"), kNewBytes, wide);
      EXPECT_EQ(status.code(), c.code) << status.message();
      EXPECT_EQ(ReadText(victim), "precious");
      if (status.ok()) {
        EXPECT_EQ(ReadText(dir.Join("dir/file")), kNewBytes);
      }
    }
  }
}

// The new file keeps the old one's permission bits and, for a tool that
// runs as root, its owner; set-user and set-group bits are not passed on.
TEST(ReplaceFileContentsTest, TheNewFileKeepsTheOldOnesPermissionsAndOwner) {
  const bool root = ::geteuid() == 0;
  for (const mode_t mode : {0600, 0640, 0604, 04755}) {
    SCOPED_TRACE(mode);
    TempDir dir;
    const std::string path = dir.Join("file");
    WriteText(path, kOldBytes);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    if (root) {
      ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0);
    }
    TestPlatform platform;
    ASSERT_TRUE(Replace(&platform, path, kNewBytes, false).ok());
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode & 0777);
    if (root) {
      EXPECT_EQ(st.st_uid, 4321u);
      EXPECT_EQ(st.st_gid, 8765u);
    }
    EXPECT_EQ(ReadText(path), kNewBytes);
  }
}

// A journal an interrupted in-place save left is resolved before the file
// is replaced, and the caller hears of it.
TEST(ReplaceFileContentsTest, ResolvesALeftoverJournalFirstAndSaysSo) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide" : "narrow");
    TempDir dir;
    const std::string path = dir.Join("file");
    WriteText(path, kOldBytes);
    WriteText(JournalPath(path), "a torn journal");
    TestPlatform platform;
    std::string note;
    ASSERT_TRUE(Replace(&platform, path, kNewBytes, wide, &note).ok());
    EXPECT_EQ(ReadText(path), kNewBytes);
    EXPECT_FALSE(FileExists(JournalPath(path)));
    EXPECT_EQ(note.rfind(path + ": a save was interrupted", 0), 0u) << note;
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
