// The portable platform's steps of a save: exclusive creation, in-place
// opens that take no link, and what they refuse.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/portable_platform.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {
namespace {

namespace fs = std::filesystem;

class SaveCallsTest : public ::testing::Test {
 protected:
  // "plain" holds "old", "victim" holds "precious"; "symlink" and
  // "dangling" are symbolic links (to it, to nothing), "hardlink" a second
  // name of it, "folder" a folder, "fifo" a named pipe.
  SaveCallsTest() {
    WriteBytes(dir_.Join("plain"), BytesOf("old"));
    WriteBytes(dir_.Join("victim"), BytesOf("precious"));
    fs::create_symlink(dir_.Join("victim"), dir_.Join("symlink"));
    fs::create_symlink(dir_.Join("nothing"), dir_.Join("dangling"));
    fs::create_hard_link(dir_.Join("victim"), dir_.Join("hardlink"));
    dir_.MakeDirs("folder");
    ::mkfifo(dir_.Join("fifo").c_str(), 0600);
  }
  FileHandle Create(const std::string& name, bool wide) {
    const std::string path = dir_.Join(name);
    return wide ? platform_.CreateNewFileW(Utf8ToUtf16(path)) : platform_.CreateNewFile(path);
  }
  FileHandle Update(const std::string& name, bool wide) {
    const std::string path = dir_.Join(name);
    return wide ? platform_.OpenForUpdateW(Utf8ToUtf16(path)) : platform_.OpenForUpdate(path);
  }

  TempDir dir_;
  PortablePlatform platform_;
};

TEST_F(SaveCallsTest, CreateNewFileNeverOpensWhatExists) {
  for (const bool wide : {false, true}) {
    for (const char* name : {"plain", "symlink", "dangling", "hardlink", "folder", "fifo"}) {
      SCOPED_TRACE(std::string(name) + (wide ? " (wide)" : " (narrow)"));
      errno = 0;
      EXPECT_EQ(Create(name, wide), nullptr);
      EXPECT_EQ(errno, EEXIST);
    }
    EXPECT_FALSE(FileExists(dir_.Join("nothing")));
  }
  EXPECT_EQ(ReadBytes(dir_.Join("victim")), BytesOf("precious"));
  EXPECT_EQ(ReadBytes(dir_.Join("plain")), BytesOf("old"));

  // A new name: a new empty file, writable, with the mode fopen gives.
  FileHandle f = Create("fresh", false);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(platform_.Write(f.get(), "abc", 3));
  EXPECT_TRUE(platform_.SyncFile(f.get()));
  EXPECT_TRUE(platform_.Close(f));
  EXPECT_EQ(ReadBytes(dir_.Join("fresh")), BytesOf("abc"));
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(::stat(dir_.Join("fresh").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(SaveCallsTest, OpenForUpdateTakesOnlyAPlainFileWithOneName) {
  const struct {
    const char* name;
    int error;
  } refused[] = {
      {"symlink", ELOOP}, {"dangling", ELOOP}, {"hardlink", EMLINK},
      {"folder", EISDIR}, {"fifo", EINVAL},    {"nothing", ENOENT},
  };
  for (const bool wide : {false, true}) {
    for (const auto& c : refused) {
      SCOPED_TRACE(std::string(c.name) + (wide ? " (wide)" : " (narrow)"));
      errno = 0;
      EXPECT_EQ(Update(c.name, wide), nullptr);
      EXPECT_EQ(errno, c.error);
    }
    // Neither created nor truncated; read and written where it stands.
    FileHandle f = Update("plain", wide);
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    std::size_t got = 0;
    EXPECT_TRUE(platform_.Read(f.get(), buf, sizeof(buf), &got));
    EXPECT_EQ(std::string(buf, got), "old");
    EXPECT_TRUE(platform_.Seek(f.get(), 1) && platform_.Write(f.get(), "L", 1));
    EXPECT_TRUE(platform_.Close(f));
    EXPECT_EQ(ReadBytes(dir_.Join("plain")), BytesOf("oLd"));
    WriteBytes(dir_.Join("plain"), BytesOf("old"));
  }
  EXPECT_FALSE(FileExists(dir_.Join("nothing")));
  EXPECT_EQ(ReadBytes(dir_.Join("victim")), BytesOf("precious"));
}

TEST_F(SaveCallsTest, TruncateAndReadReportWhatHappened) {
  FileHandle f = Update("plain", false);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(platform_.Truncate(f.get(), 1));
  EXPECT_EQ(platform_.FileSize(f.get()), 1);
  EXPECT_TRUE(platform_.Truncate(f.get(), 5));
  EXPECT_TRUE(platform_.Seek(f.get(), 0));
  char buf[8];
  std::size_t got = 0;
  EXPECT_TRUE(platform_.Read(f.get(), buf, sizeof(buf), &got));
  EXPECT_EQ(std::string(buf, got), std::string("o\0\0\0\0", 5));
  EXPECT_TRUE(platform_.Close(f));
  EXPECT_TRUE(platform_.SyncFolder(dir_.Join("plain")));
}

// A file name that is not UTF-8 reaches the disk as the same bytes through
// the wide calls.
TEST_F(SaveCallsTest, WidePathsKeepNamesThatAreNotUtf8) {
  const std::string name = "caf\xe9-\xff\xfe";
  FileHandle f = platform_.CreateNewFileW(PathBytesToUtf16(dir_.Join(name)));
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(platform_.Close(f));
  EXPECT_TRUE(FileExists(dir_.Join(name)));
  EXPECT_TRUE(platform_.IsDirectoryW(PathBytesToUtf16(dir_.path())));
  EXPECT_TRUE(platform_.RemoveFileW(PathBytesToUtf16(dir_.Join(name))));
  EXPECT_FALSE(FileExists(dir_.Join(name)));
}

}  // namespace
}  // namespace taliq::test
