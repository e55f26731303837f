// The platform the tests run on: folders in a temporary tree, a chosen code
// page, recorded message boxes, and failures injected by path.
#ifndef TALIQ_TESTS_SUPPORT_TEST_PLATFORM_H_
#define TALIQ_TESTS_SUPPORT_TEST_PLATFORM_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {

struct RecordedMessage {
  std::u16string text;
  std::u16string caption;
  unsigned flags = 0;
};

// Whether `path` ends with `pattern`, where a "*" in the pattern stands
// for any run of characters other than "/".
bool EndsWithPattern(std::string_view path, std::string_view pattern);

class TestPlatform : public PortablePlatform {
 public:
  TestPlatform();

  std::vector<RecordedMessage> messages;

  // Makes the folder queries fail.
  bool failProgramFiles = false;
  bool failAppData = false;
  bool failUserData = false;
  // Opens of a path that ends with one of these fail (any mode), with
  // errno EACCES. In these patterns a "*" stands for any run of characters
  // other than "/" (a temporary file's unique part: "~name.*.tmp").
  // CreateNewFile and OpenForUpdate count as opens for writing.
  std::vector<std::string> failOpen;
  // Opens for writing ("w", "a" or "+") of a path that ends with one of
  // these fail; opens for reading still work.
  std::vector<std::string> failOpenForWrite;
  // Opens for writing of a path ending with one of these succeed, but every
  // write fails when flushed (the stream writes to /dev/full).
  std::vector<std::string> failWrites;
  // The same, but each such stream takes its first cutWritesAfter bytes
  // before its writes fail: a disk that fills up in the middle of a write.
  std::vector<std::string> cutWrites;
  std::size_t cutWritesAfter = 4096;
  // Streams opened for writing of these report a failed close, after every
  // byte reached the file.
  std::vector<std::string> failClose;
  // ReplaceFile refuses, as some platforms do for an open target.
  bool refuseReplace = false;
  // SyncFile and SyncFolder reach the disk (fsync). Off, SyncFile flushes
  // the stream only and SyncFolder does nothing: the tests look at what the
  // files hold, which a flush settles, and run many saves.
  bool syncToDisk = false;
  // Every path given to OpenFile, CreateNewFile and OpenForUpdate (or their
  // wide forms), in order.
  std::vector<std::string> opened;

  bool ProgramFilesFolderA(std::string* path) override;
  bool ProgramFilesFolderW(std::u16string* path) override;
  bool AppDataFolderW(std::u16string* path) override;
  // Unless SetUserDataFolder names another, the user data folder is
  // "taliq/tunavo" below a temporary tree of this platform's own, which is
  // not created until a test creates it.
  bool UserDataFolder(std::string* path) override;
  FileHandle OpenFile(const std::string& path, const char* mode) override;
  FileHandle CreateNewFile(const std::string& path) override;
  FileHandle OpenForUpdate(const std::string& path) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool SyncFile(std::FILE* file) override;
  bool SyncFolder(const std::string& path) override;

 private:
  TempDir dataTree_;
  // The injected failures of an open of `path` around the real `open`.
  FileHandle Injected(const std::string& path, bool writes,
                      const std::function<FileHandle()>& open);
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_TEST_PLATFORM_H_
