#include "platform/win32_platform.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/message_box.h"
#include "platform/win32/win32_api.h"

#include <direct.h>
#include <io.h>
#include <share.h>
#include <shlobj.h>

namespace taliq {
namespace {

using win32::W;

// The portable message box values are handed to MessageBoxW as they are.
static_assert(kMbOk == MB_OK);
static_assert(kMbOkCancel == MB_OKCANCEL);
static_assert(kMbAbortRetryIgnore == MB_ABORTRETRYIGNORE);
static_assert(kMbYesNoCancel == MB_YESNOCANCEL);
static_assert(kMbYesNo == MB_YESNO);
static_assert(kMbRetryCancel == MB_RETRYCANCEL);
static_assert(kMbTypeMask == MB_TYPEMASK);
static_assert(kMbIconQuestion == MB_ICONQUESTION);
static_assert(kMbIconWarning == MB_ICONEXCLAMATION && kMbIconWarning == MB_ICONWARNING);
static_assert(kMbIconInformation == MB_ICONINFORMATION);
static_assert(kMbIconMask == MB_ICONMASK);
static_assert(kIdOk == IDOK);

// SHGetFolderPathW into a MAX_PATH buffer; false when the shell fails.
bool ShellFolderW(int csidl, std::u16string* path) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return false;
  }
  *path = win32::U16(buffer);
  return true;
}

std::wstring WideMode(const char* mode) {
  std::wstring wide;
  for (const char* p = mode; *p != '\0'; ++p) wide.push_back(static_cast<wchar_t>(*p));
  return wide;
}

}  // namespace

bool Win32Platform::ProgramFilesFolderA(std::string* path) {
  // The shell writes up to MAX_PATH bytes whatever buffer it is given, so
  // it gets a full one; a path that would not fit the 128 bytes the tools
  // build their paths in counts as unavailable.
  char buffer[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_PROGRAM_FILES, FALSE)) return false;
  const std::size_t length = std::strlen(buffer);
  if (length > kMaxNarrowPath) return false;
  path->assign(buffer, length);
  return true;
}

bool Win32Platform::ProgramFilesFolderW(std::u16string* path) {
  return ShellFolderW(CSIDL_PROGRAM_FILES, path);
}

bool Win32Platform::AppDataFolderW(std::u16string* path) {
  return ShellFolderW(CSIDL_APPDATA, path);
}

bool Win32Platform::UserDataFolder(std::string* path) {
  // CSIDL_LOCAL_APPDATA is FOLDERID_LocalAppData; SHGetFolderPathW answers
  // from the same known folder without the COM allocator.
  std::u16string wide;
  if (!ShellFolderW(CSIDL_LOCAL_APPDATA, &wide)) return false;
  wide += u"\\Taliq\\Tunavo";
  const int units = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W(wide), units, nullptr, 0,
                                          nullptr, &lossy);
  if (bytes <= 0 || lossy) return false;
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W(wide), units, narrow.data(), bytes,
                            nullptr, &lossy) != bytes ||
      lossy) {
    return false;
  }
  *path = std::move(narrow);
  return true;
}

unsigned Win32Platform::AnsiCodePage() { return ::GetACP(); }

int Win32Platform::MessageBox(std::u16string_view text, std::u16string_view caption,
                              unsigned flags) {
  const std::u16string t(text);
  const std::u16string c(caption);
  return ::MessageBoxW(nullptr, W(t), c.empty() ? nullptr : W(c), flags);
}

FileHandle Win32Platform::OpenFile(const std::string& path, const char* mode) {
  if (!NarrowPathFits(path)) return nullptr;
  return FileHandle(::_fsopen(path.c_str(), mode, _SH_DENYNO));
}

FileHandle Win32Platform::OpenFileW(const std::u16string& path, const char* mode) {
  return FileHandle(::_wfsopen(W(path), WideMode(mode).c_str(), _SH_DENYNO));
}

bool Win32Platform::Seek(std::FILE* file, std::int64_t offset) {
  return ::_fseeki64(file, offset, SEEK_SET) == 0;
}

std::int64_t Win32Platform::FileSize(std::FILE* file) {
  if (::_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return ::_ftelli64(file);
}

bool Win32Platform::RemoveFile(const std::string& path) {
  if (!NarrowPathFits(path)) return false;
  return ::DeleteFileA(path.c_str()) != 0;
}

bool Win32Platform::RemoveFileW(const std::u16string& path) { return ::DeleteFileW(W(path)) != 0; }

bool Win32Platform::IsDirectoryW(const std::u16string& path) {
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(W(path), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::PathExistsW(const std::u16string& path) {
  if (::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool Win32Platform::CreateDirectoryW(const std::u16string& path) {
  return ::CreateDirectoryW(W(path), nullptr) != 0;
}

bool Win32Platform::IsDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  // The C runtime's call takes code-page text and sets errno.
  return ::_mkdir(path.c_str()) == 0;
}

bool Win32Platform::ListFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  std::string pattern = path;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  if (!NarrowPathFits(pattern)) return false;
  WIN32_FIND_DATAA data;
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::string_view name(data.cFileName);
    if (name != "." && name != "..") {
      entries->push_back(
          {std::string(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    }
  } while (::FindNextFileA(search, &data));
  const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  if (!complete) entries->clear();
  return complete;
}

std::int64_t Win32Platform::FileSizeAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!NarrowPathFits(path) ||
      !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

Platform* Platform::Default() {
  static Win32Platform platform;
  return &platform;
}

}  // namespace taliq
