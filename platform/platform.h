// The one seam between the tools and the operating system.
//
// Everything the tools ask of the OS goes through a Platform: the special
// folders, the ANSI code page, message boxes and file access. The build picks
// the implementation (Win32 on Windows targets, portable elsewhere); tests use
// a configurable one. Nothing outside platform/ includes <windows.h>.
#ifndef TALIQ_PLATFORM_PLATFORM_H_
#define TALIQ_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace taliq {

// Path separator of the platform the tools run on.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// An open C stream that closes itself. Close it with CloseFile where the
// outcome of the close matters (after writing).
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Closes the stream; false when the close (and with it the last flush)
// failed. The handle is empty afterwards in every case.
inline bool CloseFile(FileHandle& file) {
  std::FILE* f = file.release();
  return f == nullptr || std::fclose(f) == 0;
}

// One name in a folder listing.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The process-wide platform of this build. Never null.
  static Platform* Default();

  // The Program Files folder as a 32-bit program is told it
  // (SHGetSpecialFolderPathA, CSIDL_PROGRAM_FILES), as narrow text of the
  // system code page (UTF-8 on the portable layer). False when the platform
  // cannot say.
  virtual bool ProgramFilesFolderA(std::string* path) = 0;

  // The same folder as UTF-16 text (SHGetFolderPathW, CSIDL_PROGRAM_FILES).
  virtual bool ProgramFilesFolderW(std::u16string* path) = 0;

  // The current user's roaming application-data folder
  // (SHGetFolderPathW, CSIDL_APPDATA).
  virtual bool AppDataFolderW(std::u16string* path) = 0;

  // The system's ANSI code page (GetACP).
  virtual unsigned AnsiCodePage() = 0;

  // Shows a message box with no owner window. An empty caption means the
  // platform's default caption. Returns the button pressed (kIdOk).
  virtual int MessageBox(std::u16string_view text, std::u16string_view caption, unsigned flags) = 0;

  // Opens a file as a C stream (modes as fopen). Narrow paths are text of
  // the system code page. Files are opened shared with other readers and
  // writers. Returns an empty handle on failure (errno tells why).
  virtual FileHandle OpenFile(const std::string& path, const char* mode) = 0;
  virtual FileHandle OpenFileW(const std::u16string& path, const char* mode) = 0;

  // Moves the stream to byte `offset` from the start; false on failure.
  virtual bool Seek(std::FILE* file, std::int64_t offset) = 0;
  // The size of the open file in bytes, or -1 when it cannot be told.
  // Leaves the position at the end.
  virtual std::int64_t FileSize(std::FILE* file) = 0;

  // Replaces `to` by `from` in one step. The new `to` keeps what the old
  // file carried: on Windows ReplaceFileW keeps its security descriptor,
  // attributes and creation time (MoveFileExW when there is no old file);
  // elsewhere `from` first gets the old file's permission bits, and its
  // owner when running as root, then is renamed over it. False when the
  // platform refuses; both files are then as they were.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  virtual bool ReplaceFileW(const std::u16string& from, const std::u16string& to) = 0;

  // Removes a file; false when it could not be removed.
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveFileW(const std::u16string& path) = 0;

  // Whether the path names an existing folder.
  virtual bool IsDirectoryW(const std::u16string& path) = 0;

  // Whether anything (file or folder) exists at the path. False only when
  // the platform says nothing of that name exists; any other failure to
  // look counts as existing, so that callers never overwrite a file they
  // merely could not see.
  virtual bool PathExistsW(const std::u16string& path) = 0;

  // Creates one folder (its parent must exist). False on failure, also when
  // something of that name already exists.
  virtual bool CreateDirectoryW(const std::u16string& path) = 0;

  // The tools' own per-user data folder (the history of saves, snapshots of
  // the original dictionaries), as narrow text of the system code page
  // (UTF-8 on the portable layer). On Windows the local application-data
  // folder (SHGetKnownFolderPath, FOLDERID_LocalAppData) + "\Taliq\Tunavo",
  // converted to the ANSI code page; false when a character of that path has
  // no form in the code page. Elsewhere $XDG_DATA_HOME/taliq/tunavo, or
  // $HOME/.local/share/taliq/tunavo. The folder is not created here. False
  // when the platform cannot say.
  virtual bool UserDataFolder(std::string* path) = 0;

  // The narrow twins of IsDirectoryW and CreateDirectoryW, for paths of the
  // system code page such as the user data folder. A failed create leaves
  // the cause in errno.
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;

  // What the folder `path` (a narrow path, as IsDirectory takes) holds,
  // without "." and "..", in no particular order: one listing instead of a
  // probe for each name a caller might expect. A link counts as what it
  // points to. False when the folder cannot be listed (also when it is
  // missing); `entries` is then empty.
  virtual bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries) = 0;

  // The size in bytes of the plain file at `path` (a narrow path), told
  // without opening it; -1 when there is none or it cannot be looked at.
  virtual std::int64_t FileSizeAt(const std::string& path) = 0;

  // The steps of a save. Every call a save makes to the OS goes through one
  // of these (or OpenFile, ReplaceFile, RemoveFile), so that a test can fail
  // or interrupt any one of them. None of them follows a link at the last
  // component of a path.

  // Creates a new, empty file and opens it for writing ("wb"). Fails, with
  // errno EEXIST, when anything of that name exists, a link included: it
  // never opens an existing file.
  virtual FileHandle CreateNewFile(const std::string& path) = 0;
  virtual FileHandle CreateNewFileW(const std::u16string& path) = 0;

  // Opens an existing plain file for reading and writing ("rb+"), without
  // creating or truncating it. Refuses a link, a folder or device, and a
  // file with more than one name (a hard link), so that an in-place write
  // never lands in a file planted under the name.
  virtual FileHandle OpenForUpdate(const std::string& path) = 0;
  virtual FileHandle OpenForUpdateW(const std::u16string& path) = 0;

  // Reads up to `size` bytes; `*got` tells how many. False on a read error;
  // a true result with fewer bytes than asked is the end of the file.
  virtual bool Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) = 0;
  // Writes all `size` bytes; false when any of them was not taken.
  virtual bool Write(std::FILE* file, const void* data, std::size_t size) = 0;
  // Hands the stream's buffer to the OS.
  virtual bool Flush(std::FILE* file) = 0;
  // Flushes the stream and asks the OS to put the file's data on the disk
  // (fsync; _commit, which is FlushFileBuffers, on Windows) before
  // returning. False when either step failed; errno tells why.
  virtual bool SyncFile(std::FILE* file) = 0;
  // Flushes the stream and sets the file's size to `size` bytes.
  virtual bool Truncate(std::FILE* file, std::int64_t size) = 0;
  // Closes the stream; false when the close (and with it the last flush)
  // failed. The handle is empty afterwards in every case.
  virtual bool Close(FileHandle& file) = 0;

  // Makes the entries of the folder that holds `path` (a file created,
  // renamed or removed there) durable: fsync of the folder. Windows file
  // systems log their entries; there it does nothing.
  virtual bool SyncFolder(const std::string& path) = 0;
  virtual bool SyncFolderW(const std::u16string& path) = 0;

  // Takes the exclusive lock that the file `path` stands for, creating the
  // file (never through a link). When another holder has it, waits for it
  // up to `waitMilliseconds`. Returns the held lock, or an empty handle:
  // errno EWOULDBLOCK when the wait ran out, else why the file could not
  // be had. Locks are between processes and between handles of one.
  virtual FileHandle AcquireFileLock(const std::string& path, int waitMilliseconds) = 0;
  virtual FileHandle AcquireFileLockW(const std::u16string& path, int waitMilliseconds) = 0;
  // Gives the lock up and removes its file. The handle is empty afterwards.
  virtual bool ReleaseFileLock(const std::string& path, FileHandle& lock) = 0;
  virtual bool ReleaseFileLockW(const std::u16string& path, FileHandle& lock) = 0;
};

}  // namespace taliq

#endif  // TALIQ_PLATFORM_PLATFORM_H_
