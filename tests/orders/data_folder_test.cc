// The per-user data folder: where the portable platform puts it, and the
// helper that creates it with its parents.
#include "orders/data_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserDataFolderTest, FromTheEnvironment) {
  const struct {
    const char* xdg;
    const char* home;
    std::optional<std::string> folder;
  } cases[] = {
      {"/x/data", "/home/u", "/x/data/taliq/tunavo"},
      {nullptr, "/home/u", "/home/u/.local/share/taliq/tunavo"},
      {"", "/home/u", "/home/u/.local/share/taliq/tunavo"},
      // A relative XDG_DATA_HOME does not count.
      {"data", "/home/u", "/home/u/.local/share/taliq/tunavo"},
      {"/x/data", nullptr, "/x/data/taliq/tunavo"},
      {nullptr, nullptr, std::nullopt},
  };
  for (const auto& c : cases) {
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    PortablePlatform platform;
    std::string folder;
    const bool named = platform.UserDataFolder(&folder);
    EXPECT_EQ(named ? std::optional<std::string>(folder) : std::nullopt, c.folder)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

TEST(UserDataFolderTest, SetterWinsAndNothingIsCreated) {
  ScopedEnv xdg("XDG_DATA_HOME", "/x/data");
  TempDir tmp;
  PortablePlatform platform;
  platform.SetUserDataFolder(tmp.Join("chosen"));
  std::string folder;
  ASSERT_TRUE(platform.UserDataFolder(&folder));
  EXPECT_EQ(folder, tmp.Join("chosen"));
  EXPECT_FALSE(FileExists(folder));
}

TEST(UserDataFolderTest, TestPlatformKeepsItInItsOwnTree) {
  ScopedEnv home("HOME", "/nonexistent-home");
  std::string a, b;
  {
    TestPlatform one;
    TestPlatform two;
    ASSERT_TRUE(one.UserDataFolder(&a));
    ASSERT_TRUE(two.UserDataFolder(&b));
    EXPECT_NE(a, b);
    EXPECT_EQ(a.find("/nonexistent-home"), std::string::npos);
    ASSERT_TRUE(EnsureUserDataFolder(&one, &a).ok());
    EXPECT_TRUE(FileExists(a));
    one.failUserData = true;
    EXPECT_FALSE(one.UserDataFolder(&a));
  }
  EXPECT_FALSE(FileExists(a));
}

TEST(EnsureFolderTest, CreatesParentsAndIsRepeatable) {
  TempDir tmp;
  TestPlatform platform;
  for (const std::string& path : {tmp.Join("a/b/c"), tmp.Join("a/b/c/"), tmp.Join("a/d")}) {
    const Status s = EnsureFolder(&platform, path);
    EXPECT_TRUE(s.ok()) << path << ": " << s.message();
    EXPECT_TRUE(platform.IsDirectory(path)) << path;
  }
}

TEST(EnsureFolderTest, NamesTheFolderThatCannotBeMade) {
  TempDir tmp;
  TestPlatform platform;
  WriteBytes(tmp.Join("file"), {'x'});
  const Status s = EnsureFolder(&platform, tmp.Join("file/sub/deeper"));
  EXPECT_TRUE(s.Is(Status::Code::kIoError));
  // The file is the first folder that cannot be made.
  EXPECT_EQ(s.message(), tmp.Join("file") + ": cannot create the folder: File exists");
  EXPECT_TRUE(EnsureFolder(&platform, "").Is(Status::Code::kRefused));
}

TEST(EnsureFolderTest, UserDataFolderUnknown) {
  TestPlatform platform;
  platform.failUserData = true;
  std::string folder;
  const Status s = EnsureUserDataFolder(&platform, &folder);
  EXPECT_TRUE(s.Is(Status::Code::kNotFound));
  EXPECT_EQ(s.message(), "the user data folder: missing");
}

TEST(JoinPathTest, OneSeparator) {
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
}

}  // namespace
}  // namespace taliq::test
