// The platform layer for everything that is not Windows: folders come from
// options or the environment, messages go to a sink chosen by the front end,
// and file names are matched without regard to ASCII case, as Windows does.
// File names are bytes: a wide path comes back to the same bytes it was
// made from (PathBytesToUtf16, platform/text.h).
#ifndef TALIQ_PLATFORM_PORTABLE_PLATFORM_H_
#define TALIQ_PLATFORM_PORTABLE_PLATFORM_H_

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace taliq {

class PortablePlatform : public Platform {
 public:
  // Receives every message box: text, caption, flags. Returns the button.
  using MessageSink = std::function<int(std::u16string_view, std::u16string_view, unsigned)>;

  PortablePlatform();

  // Overrides; when unset, the environment decides (PROGRAMFILES, APPDATA,
  // LC_ALL / LC_CTYPE / LANG for the code page).
  void SetProgramFilesFolder(std::string path) { programFiles_ = std::move(path); }
  void SetAppDataFolder(std::string path) { appData_ = std::move(path); }
  void SetCodePage(unsigned codePage) { codePage_ = codePage; }
  // The user data folder (the command line's --data-dir, tests). When
  // unset: XDG_DATA_HOME, else HOME, as UserDataFolder says.
  void SetUserDataFolder(std::string path) { userData_ = std::move(path); }
  // Default: the message is written to stderr.
  void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }

  bool ProgramFilesFolderA(std::string* path) override;
  bool ProgramFilesFolderW(std::u16string* path) override;
  bool AppDataFolderW(std::u16string* path) override;
  unsigned AnsiCodePage() override;
  int MessageBox(std::u16string_view text, std::u16string_view caption, unsigned flags) override;
  FileHandle OpenFile(const std::string& path, const char* mode) override;
  FileHandle OpenFileW(const std::u16string& path, const char* mode) override;
  bool Seek(std::FILE* file, std::int64_t offset) override;
  std::int64_t FileSize(std::FILE* file) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool ReplaceFileW(const std::u16string& from, const std::u16string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFileW(const std::u16string& path) override;
  bool IsDirectoryW(const std::u16string& path) override;
  bool PathExistsW(const std::u16string& path) override;
  bool CreateDirectoryW(const std::u16string& path) override;
  bool UserDataFolder(std::string* path) override;
  bool IsDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries) override;
  std::int64_t FileSizeAt(const std::string& path) override;
  // The steps of a save (portable_files.cc).
  FileHandle CreateNewFile(const std::string& path) override;
  FileHandle CreateNewFileW(const std::u16string& path) override;
  FileHandle OpenForUpdate(const std::string& path) override;
  FileHandle OpenForUpdateW(const std::u16string& path) override;
  bool Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) override;
  bool Write(std::FILE* file, const void* data, std::size_t size) override;
  bool Flush(std::FILE* file) override;
  bool SyncFile(std::FILE* file) override;
  bool Truncate(std::FILE* file, std::int64_t size) override;
  bool Close(FileHandle& file) override;
  bool SyncFolder(const std::string& path) override;
  bool SyncFolderW(const std::u16string& path) override;
  FileHandle AcquireFileLock(const std::string& path, int waitMilliseconds) override;
  FileHandle AcquireFileLockW(const std::u16string& path, int waitMilliseconds) override;
  bool ReleaseFileLock(const std::string& path, FileHandle& lock) override;
  bool ReleaseFileLockW(const std::u16string& path, FileHandle& lock) override;

 private:
  std::optional<std::string> programFiles_;
  std::optional<std::string> appData_;
  std::optional<std::string> userData_;
  std::optional<unsigned> codePage_;
  MessageSink sink_;
};

// The code page a POSIX locale name stands for: zh_CN and zh_SG give 936,
// zh_TW, zh_HK and zh_MO give 950, anything else 1252.
unsigned CodePageForLocale(std::string_view locale);

// The existing path whose components equal those of `path` up to ASCII case,
// preferring an exact match at each level. A component that does not exist
// (and every one after it) is kept as given, so the result also serves for
// creating a file.
std::string ResolvePathIgnoringCase(const std::string& path);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_PORTABLE_PLATFORM_H_
