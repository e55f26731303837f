// The settings tool's model of the input method's settings file
// "rozevuv_cht.ini": an ordered list of key and value pairs of 8-bit text,
// loaded from the per-user file and written back to it and to the two
// copies in the installation folder.
//
// Bytes are never converted: keys and values are the file's bytes, compared
// byte for byte. Paths are built in growable strings, so a long folder path
// either works or ends the operation with the usual failure status when the
// platform refuses it; nothing can overflow.
#ifndef TALIQ_SETTINGS_SETTINGS_FILE_H_
#define TALIQ_SETTINGS_SETTINGS_FILE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

struct SettingsEntry {
  std::string key;    // the bytes of a line before its first "=" (may be empty)
  std::string value;  // the bytes after that "=" (may be empty, may hold "=")
};

// The three files a save writes, in the order it writes them.
enum class SettingsCopy {
  kNone,
  kPerUser,             // <application data>\ZIRIZIR\rozevuv_cht.ini
  kInstallation,        // <Program Files>\lurm\RozeVuv_cht\rozevuv_cht.ini
  kNativeInstallation,  // <drive>\Program Files\lurm\RozeVuv_cht\rozevuv_cht.ini
};

// Why the last LoadSettings or SaveSettings did not succeed.
enum class SettingsFailureReason {
  kNone,
  kAppDataUnknown,       // the application-data folder is not obtainable
  kSettingsFolder,       // the settings folder is missing and cannot be made
  kProgramFilesUnknown,  // the Program Files folder is not obtainable
  kUnreadable,           // the per-user file exists but cannot be read
  kReadFailed,           // reading the per-user file stopped on an error
  kFolderMissing,        // the file's folder does not exist
  kOpenFailed,           // the file cannot be opened for writing
  kWriteFailed,          // writing or closing the file failed
  kBusy,                 // another program held the file's lock all the while
  kInterrupted,          // an interrupted save of the file could not be resolved
};

struct SettingsFailure {
  SettingsCopy copy = SettingsCopy::kNone;
  SettingsFailureReason reason = SettingsFailureReason::kNone;
  std::u16string path;  // the file (or folder) concerned; may be empty
  int error = 0;        // errno of the failed open, 0 when unknown
};

// One line of English for a person: which file and why.
std::string DescribeSettingsFailure(const SettingsFailure& failure);
// The same for a file a save did not come to because an earlier one failed.
std::string DescribeUnwrittenCopy(SettingsCopy copy, const std::u16string& path);

// Number of bytes of the default contents (both code-page variants).
inline constexpr size_t kDefaultSettingsSize = 77;

// The default per-user file for a system ANSI code page: seven CR LF lines,
// "CHSCHT=0" under code page 936 and "CHSCHT=1" under any other.
std::string DefaultSettingsContents(unsigned ansiCodePage);

// Splits file bytes into entries: CR LF and a lone LF end a line, the first
// line is skipped whatever it holds, lines without "=" are dropped, and the
// first "=" splits key from value. Nothing is trimmed.
std::vector<SettingsEntry> ParseSettings(std::string_view bytes);

// The bytes a save writes for `entries`: "[BaseConfig]" and one
// "key=value" line per entry, every line ending in CR LF.
std::string SerializeSettings(const std::vector<SettingsEntry>& entries);

// The native installation copy's Program Files folder for the reported
// Program Files folder: its drive ("C:") followed by "\Program Files" when
// the path starts with a drive letter, otherwise the reported folder's
// parent followed by "Program Files". Empty when there is no parent.
std::u16string NativeProgramFilesFolder(const std::u16string& programFiles);

class SettingsFile {
 public:
  // `platform` must outlive the object; null means Platform::Default().
  explicit SettingsFile(Platform* platform = nullptr);

  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // Finds the per-user file (creating the settings folder, and the file
  // with its default contents when it is really absent) and appends one
  // entry per "=" line. 1: read to its end. 0: the application-data folder
  // is not obtainable or the settings folder cannot be made. -1: the file
  // could not be created, exists but cannot be read, or reading it failed;
  // the list is unchanged and an existing file is never touched. Before
  // anything is read, a save an earlier run left unfinished is completed
  // or undone (TakeRecoveryNote tells); -1 when that cannot be done.
  int LoadSettings();

  // -1: the list is empty. 1: the first entry whose key equals `key` byte
  // for byte; its whole value goes to `value` (when not null). 0: no match.
  int GetSetting(std::string_view key, std::string* value) const;

  // 1: the first entry with that key got the new value. 0: no entry had the
  // key; one was appended. Nothing is written to disk.
  int SetSetting(std::string_view key, std::string_view value);

  // Writes the list to the per-user file, then to the installation copy and
  // the native installation copy, each replaced whole (ReplaceFileContents:
  // old or new contents, never a mix) while holding that file's lock
  // ("<file>.lock"; another instance saving it makes this one wait a
  // moment, then fail with kBusy). -2: the list is
  // empty; nothing written. 0: the application-data folder is not
  // obtainable or the settings folder cannot be made; nothing written.
  // -1: one file could not be written (LastFailure() says which and why);
  // the ones before it were written, the ones after it not attempted; also,
  // with nothing written, when LoadSettings found the per-user file there
  // but could not read it, since saving would replace what it holds.
  // 1: all three written.
  int SaveSettings();

  // The file a save writes as `copy`, without creating anything; empty
  // when its folder cannot be named (no application-data or Program Files
  // folder).
  std::u16string PathOf(SettingsCopy copy) const;

  // Turns `path`, the application-data folder, into the per-user file's
  // path, creating the settings folder "ZIRIZIR" below it when missing.
  // False when that folder cannot be made; `path` then names the folder.
  bool EnsureSettingsFolder(std::u16string* path);

  const std::vector<SettingsEntry>& entries() const { return entries_; }

  // The failure of the last LoadSettings or SaveSettings that did not give
  // 1; reason kNone after one that did.
  const SettingsFailure& LastFailure() const { return failure_; }

  // The same as a Status: ok, or the kind of failure with
  // DescribeSettingsFailure(LastFailure()) as its message and, for a file
  // that cannot be opened, the errno.
  const Status& LastStatus() const { return status_; }

  // What the loads and saves so far found of saves that an earlier run did
  // not finish (each completed or undone; journal.h), one line per file, to
  // be shown once: the call hands the text over and forgets it. Empty when
  // there was nothing.
  std::string TakeRecoveryNote() { return std::exchange(recoveryNote_, std::string()); }

 private:
  // The per-user file's path into `path`, or the status 0 with the failure
  // recorded.
  bool LocatePerUserFile(std::u16string* path);
  // Replaces the file whole (ReplaceFileContents) holding its lock.
  // 1 or -1 (failure recorded).
  int WriteWhole(const std::u16string& path, const std::string& bytes, SettingsCopy copy);
  // Records the failure (and its Status) and returns `status`.
  int Fail(int status, SettingsCopy copy, SettingsFailureReason reason, std::u16string path,
           int error = 0);

  Platform* platform_;
  std::vector<SettingsEntry> entries_;
  SettingsFailure failure_;
  Status status_;
  bool perUserUnread_ = false;  // a load met a per-user file it could not read
  std::string recoveryNote_;
};

}  // namespace taliq

#endif  // TALIQ_SETTINGS_SETTINGS_FILE_H_
