#include "settings/settings_file.h"

#include <cstdio>
#include <cstring>

#include "platform/file_lock.h"
#include "platform/journal.h"
#include "platform/replace_file.h"
#include "platform/text.h"

namespace taliq {
namespace {

constexpr std::u16string_view kSettingsFolderName = u"ZIRIZIR";
constexpr std::u16string_view kSettingsFileName = u"rozevuv_cht.ini";
constexpr std::u16string_view kInstallationFolder[] = {u"lurm", u"RozeVuv_cht"};
constexpr std::u16string_view kNativeProgramFilesName = u"Program Files";
constexpr std::string_view kSectionHeader = "[BaseConfig]";
constexpr std::string_view kLineEnd = "\r\n";

bool IsSeparator(char16_t c) {
  // Windows takes both; elsewhere "\" is an ordinary character of a name.
  return c == kPathSeparator || (kPathSeparator == '\\' && c == '/');
}

// folder + separator + name, without doubling a separator the folder ends in.
std::u16string Join(std::u16string folder, std::u16string_view name) {
  if (folder.empty() || !IsSeparator(folder.back()))
    folder += static_cast<char16_t>(kPathSeparator);
  folder += name;
  return folder;
}

bool HasDriveLetter(const std::u16string& path) {
  if (path.size() < 2 || path[1] != u':') return false;
  const char16_t c = path[0];
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The folder part of a path without its last separator; the root stays
// itself; empty when the path names no folder at all.
std::u16string ParentFolder(const std::u16string& path) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  if (end == 0) return {};
  size_t cut = end;
  while (cut > 0 && IsSeparator(path[cut - 1])) --cut;
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

std::u16string InstallationCopyPath(const std::u16string& programFiles) {
  std::u16string path = programFiles;
  for (std::u16string_view part : kInstallationFolder) path = Join(std::move(path), part);
  return Join(std::move(path), kSettingsFileName);
}

std::string_view CopyName(SettingsCopy copy) {
  switch (copy) {
    case SettingsCopy::kPerUser:
      return "per-user settings file";
    case SettingsCopy::kInstallation:
      return "installation copy";
    case SettingsCopy::kNativeInstallation:
      return "native installation copy";
    case SettingsCopy::kNone:
      break;
  }
  return "settings";
}

// What DescribeSettingsFailure says of a reason after naming the file; the
// settings folder's text names the folder and is built apart.
constexpr struct {
  SettingsFailureReason reason;
  std::string_view text;
} kCauses[] = {
    {SettingsFailureReason::kAppDataUnknown, "the application-data folder is not known"},
    {SettingsFailureReason::kProgramFilesUnknown, "the Program Files folder is not known"},
    {SettingsFailureReason::kUnreadable, "it exists but cannot be read, so it was left untouched"},
    {SettingsFailureReason::kReadFailed, "reading it failed"},
    {SettingsFailureReason::kFolderMissing, "its folder does not exist"},
    {SettingsFailureReason::kOpenFailed, "it cannot be opened for writing"},
    {SettingsFailureReason::kWriteFailed, "writing it failed"},
    {SettingsFailureReason::kBusy, "another program is saving it; try again in a moment"},
    {SettingsFailureReason::kInterrupted,
     "an interrupted save of it could not be completed or undone, so it was left untouched"},
};

std::string_view Cause(SettingsFailureReason reason) {
  for (const auto& c : kCauses) {
    if (c.reason == reason) return c.text;
  }
  return "";
}

Status::Code StatusCode(SettingsFailureReason reason) {
  switch (reason) {
    case SettingsFailureReason::kNone:
      return Status::Code::kOk;
    case SettingsFailureReason::kAppDataUnknown:
    case SettingsFailureReason::kProgramFilesUnknown:
    case SettingsFailureReason::kFolderMissing:
      return Status::Code::kNotFound;
    case SettingsFailureReason::kSettingsFolder:
    case SettingsFailureReason::kUnreadable:
    case SettingsFailureReason::kOpenFailed:
      return Status::Code::kCannotOpen;
    case SettingsFailureReason::kBusy:
      return Status::Code::kBusy;
    case SettingsFailureReason::kReadFailed:
    case SettingsFailureReason::kWriteFailed:
    case SettingsFailureReason::kInterrupted:
      break;
  }
  return Status::Code::kIoError;
}

}  // namespace

std::string DefaultSettingsContents(unsigned ansiCodePage) {
  std::string s;
  for (std::string_view line :
       {std::string_view(kSectionHeader), std::string_view("SHOWMODE=2"),
        std::string_view("MAMODE=3"), std::string_view("ASSIO=0"), std::string_view("SPEAK=0"),
        std::string_view(ansiCodePage == 936 ? "CHSCHT=0" : "CHSCHT=1"),
        std::string_view("ORDERMODE=0")}) {
    s += line;
    s += kLineEnd;
  }
  return s;
}

std::vector<SettingsEntry> ParseSettings(std::string_view bytes) {
  std::vector<SettingsEntry> entries;
  bool first = true;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    // Only the CR of a CR LF pair belongs to the line end.
    if (end < bytes.size() && end > pos && bytes[end - 1] == '\r') --end;
    const std::string_view line = bytes.substr(pos, end - pos);
    pos = next;
    if (first) {
      first = false;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    entries.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
  }
  return entries;
}

std::string SerializeSettings(const std::vector<SettingsEntry>& entries) {
  std::string s(kSectionHeader);
  s += kLineEnd;
  for (const SettingsEntry& e : entries) {
    s += e.key;
    s += '=';
    s += e.value;
    s += kLineEnd;
  }
  return s;
}

std::u16string NativeProgramFilesFolder(const std::u16string& programFiles) {
  if (programFiles.empty()) return {};
  if (HasDriveLetter(programFiles)) {
    return Join(programFiles.substr(0, 2), kNativeProgramFilesName);
  }
  std::u16string parent = ParentFolder(programFiles);
  if (parent.empty()) {
    // A root has itself as parent; a bare relative name, the current folder.
    if (!IsSeparator(programFiles[0])) return std::u16string(kNativeProgramFilesName);
    parent = programFiles.substr(0, 1);
  }
  return Join(std::move(parent), kNativeProgramFilesName);
}

std::string DescribeSettingsFailure(const SettingsFailure& failure) {
  if (failure.reason == SettingsFailureReason::kNone) return "no failure";
  std::string text(CopyName(failure.copy));
  if (!failure.path.empty()) text += " " + Utf16ToUtf8(failure.path);
  text += ": ";
  if (failure.reason == SettingsFailureReason::kSettingsFolder) {
    return text + "the settings folder " + Utf16ToUtf8(failure.path) +
           " is missing and cannot be created";
  }
  text += Cause(failure.reason);
  // Only what was done to the file itself can have an errno to tell.
  const bool folderUnknown = failure.reason == SettingsFailureReason::kAppDataUnknown ||
                             failure.reason == SettingsFailureReason::kProgramFilesUnknown;
  if (failure.error != 0 && !folderUnknown) {
    text += std::string(" (") + std::strerror(failure.error) + ")";
  }
  return text;
}

std::string DescribeUnwrittenCopy(SettingsCopy copy, const std::u16string& path) {
  std::string text(CopyName(copy));
  if (!path.empty()) text += " " + Utf16ToUtf8(path);
  return text + ": not written, since the save stops at the file it could not write";
}

std::u16string SettingsFile::PathOf(SettingsCopy copy) const {
  std::u16string folder;
  switch (copy) {
    case SettingsCopy::kPerUser:
      if (!platform_->AppDataFolderW(&folder) || folder.empty()) return {};
      return Join(Join(std::move(folder), kSettingsFolderName), kSettingsFileName);
    case SettingsCopy::kInstallation:
    case SettingsCopy::kNativeInstallation:
      if (!platform_->ProgramFilesFolderW(&folder) || folder.empty()) return {};
      return InstallationCopyPath(
          copy == SettingsCopy::kInstallation ? folder : NativeProgramFilesFolder(folder));
    case SettingsCopy::kNone:
      break;
  }
  return {};
}

SettingsFile::SettingsFile(Platform* platform)
    : platform_(platform != nullptr ? platform : Platform::Default()) {}

int SettingsFile::Fail(int status, SettingsCopy copy, SettingsFailureReason reason,
                       std::u16string path, int error) {
  failure_ = SettingsFailure{copy, reason, std::move(path), error};
  status_ = Status::Failure(StatusCode(reason), DescribeSettingsFailure(failure_), error);
  return status;
}

bool SettingsFile::EnsureSettingsFolder(std::u16string* path) {
  *path = Join(std::move(*path), kSettingsFolderName);
  // A second copy of the tool may create the folder between the look and
  // the creation; what counts is that it is there afterwards.
  if (!platform_->IsDirectoryW(*path) && !platform_->CreateDirectoryW(*path) &&
      !platform_->IsDirectoryW(*path)) {
    return false;
  }
  *path = Join(std::move(*path), kSettingsFileName);
  return true;
}

bool SettingsFile::LocatePerUserFile(std::u16string* path) {
  path->clear();
  if (!platform_->AppDataFolderW(path) || path->empty()) {
    Fail(0, SettingsCopy::kPerUser, SettingsFailureReason::kAppDataUnknown, u"");
    return false;
  }
  if (!EnsureSettingsFolder(path)) {
    Fail(0, SettingsCopy::kPerUser, SettingsFailureReason::kSettingsFolder, *path);
    return false;
  }
  return true;
}

int SettingsFile::LoadSettings() {
  failure_ = SettingsFailure();
  status_ = Status::Ok();
  std::u16string path;
  if (!LocatePerUserFile(&path)) return 0;

  // What an interrupted save left is resolved before the file is read, and
  // in the copies the input method reads; a copy that cannot be resolved
  // now fails its next save, which tries again.
  const Recovery recovery = RecoverUnderLock(platform_, path, LockPathOf(path), Utf16ToUtf8(path));
  AppendRecoveryNote(recovery, &recoveryNote_);
  std::u16string programFiles;
  if (platform_->ProgramFilesFolderW(&programFiles) && !programFiles.empty()) {
    for (const std::u16string& copy :
         {InstallationCopyPath(programFiles),
          InstallationCopyPath(NativeProgramFilesFolder(programFiles))}) {
      AppendRecoveryNote(RecoverUnderLock(platform_, copy, LockPathOf(copy), Utf16ToUtf8(copy)),
                         &recoveryNote_);
    }
  }
  if (!recovery.status.ok()) {
    perUserUnread_ = true;
    return Fail(-1, SettingsCopy::kPerUser,
                recovery.status.Is(Status::Code::kBusy) ? SettingsFailureReason::kBusy
                                                        : SettingsFailureReason::kInterrupted,
                path);
  }

  FileHandle f = platform_->OpenFileW(path, "rb");
  if (f == nullptr) {
    // Only a file that is really absent gets the defaults; one that is
    // there but cannot be read is left as it is.
    if (platform_->PathExistsW(path)) {
      perUserUnread_ = true;
      return Fail(-1, SettingsCopy::kPerUser, SettingsFailureReason::kUnreadable, path);
    }
    if (WriteWhole(path, DefaultSettingsContents(platform_->AnsiCodePage()),
                   SettingsCopy::kPerUser) != 1) {
      return -1;
    }
    f = platform_->OpenFileW(path, "rb");
    if (f == nullptr) {
      return Fail(-1, SettingsCopy::kPerUser, SettingsFailureReason::kUnreadable, path);
    }
  }

  std::string bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f.get())) > 0) bytes.append(buf, n);
  const bool readFailed = std::ferror(f.get()) != 0;
  f.reset();
  if (readFailed) {
    perUserUnread_ = true;
    return Fail(-1, SettingsCopy::kPerUser, SettingsFailureReason::kReadFailed, path);
  }

  for (SettingsEntry& e : ParseSettings(bytes)) entries_.push_back(std::move(e));
  return 1;
}

int SettingsFile::GetSetting(std::string_view key, std::string* value) const {
  if (entries_.empty()) return -1;
  for (const SettingsEntry& e : entries_) {
    if (e.key == key) {
      if (value != nullptr) *value = e.value;
      return 1;
    }
  }
  return 0;
}

int SettingsFile::SetSetting(std::string_view key, std::string_view value) {
  for (SettingsEntry& e : entries_) {
    if (e.key == key) {
      e.value = std::string(value);
      return 1;
    }
  }
  entries_.push_back({std::string(key), std::string(value)});
  return 0;
}

int SettingsFile::SaveSettings() {
  failure_ = SettingsFailure();
  status_ = Status::Ok();
  if (entries_.empty()) return -2;
  std::u16string path;
  if (!LocatePerUserFile(&path)) return 0;
  const std::string bytes = SerializeSettings(entries_);

  if (WriteWhole(path, bytes, SettingsCopy::kPerUser) != 1) return -1;

  // Without the Program Files folder neither installation copy can be
  // found; saying so beats reporting a save that skipped them.
  std::u16string programFiles;
  if (!platform_->ProgramFilesFolderW(&programFiles) || programFiles.empty()) {
    return Fail(-1, SettingsCopy::kInstallation, SettingsFailureReason::kProgramFilesUnknown, u"");
  }
  if (WriteWhole(InstallationCopyPath(programFiles), bytes, SettingsCopy::kInstallation) != 1) {
    return -1;
  }
  if (WriteWhole(InstallationCopyPath(NativeProgramFilesFolder(programFiles)), bytes,
                 SettingsCopy::kNativeInstallation) != 1) {
    return -1;
  }
  return 1;
}

int SettingsFile::WriteWhole(const std::u16string& path, const std::string& bytes,
                             SettingsCopy copy) {
  FileLock lock;
  Status written = lock.Acquire(platform_, LockPathOf(path), Utf16ToUtf8(path));
  // Checked under the lock, so that no other saver can make the file
  // between the check and the write: when the per-user file could not be
  // read, the list lacks whatever it holds, and replacing it would lose it.
  if (written.ok() && copy == SettingsCopy::kPerUser && perUserUnread_ &&
      platform_->PathExistsW(path)) {
    return Fail(-1, SettingsCopy::kPerUser, SettingsFailureReason::kUnreadable, path);
  }
  if (written.ok()) written = ReplaceFileContents(platform_, path, bytes, &recoveryNote_);
  switch (written.code()) {
    case Status::Code::kOk:
      return 1;
    case Status::Code::kNotFound:
      return Fail(-1, copy, SettingsFailureReason::kFolderMissing, path);
    case Status::Code::kCannotOpen:
      return Fail(-1, copy, SettingsFailureReason::kOpenFailed, path, written.error());
    case Status::Code::kBusy:
      return Fail(-1, copy, SettingsFailureReason::kBusy, path);
    default:
      return Fail(-1, copy, SettingsFailureReason::kWriteFailed, path);
  }
}

}  // namespace taliq
