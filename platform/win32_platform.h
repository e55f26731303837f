// The platform layer of the Windows programs: the shell's special folders,
// the ANSI code page, MessageBoxW and the C runtime's shared file streams.
#ifndef TALIQ_PLATFORM_WIN32_PLATFORM_H_
#define TALIQ_PLATFORM_WIN32_PLATFORM_H_

#include <cerrno>
#include <string>

#include "platform/platform.h"

namespace taliq {

// Longest narrow path the tools build (a 128-byte buffer with terminator).
// A longer narrow path is treated as a file that does not exist.
inline constexpr std::size_t kMaxNarrowPath = 127;

// Whether `path` is short enough; if not, errno says the file does not exist.
inline bool NarrowPathFits(const std::string& path) {
  if (path.size() <= kMaxNarrowPath) return true;
  errno = ENOENT;
  return false;
}

class Win32Platform : public Platform {
 public:
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
  // The steps of a save (win32_files.cc).
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
};

}  // namespace taliq

#endif  // TALIQ_PLATFORM_WIN32_PLATFORM_H_
