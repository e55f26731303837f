// A Platform that hands every call to another one, so that a front end can
// change a few answers (a folder from an option, messages collected for
// later) and keep the rest of the build's platform.
#ifndef TALIQ_PLATFORM_PLATFORM_WRAPPER_H_
#define TALIQ_PLATFORM_PLATFORM_WRAPPER_H_

#include "platform/platform.h"

namespace taliq {

class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform* base) : base_(base) {}

  Platform* base() const { return base_; }

  bool ProgramFilesFolderA(std::string* path) override { return base_->ProgramFilesFolderA(path); }
  bool ProgramFilesFolderW(std::u16string* path) override {
    return base_->ProgramFilesFolderW(path);
  }
  bool AppDataFolderW(std::u16string* path) override { return base_->AppDataFolderW(path); }
  unsigned AnsiCodePage() override { return base_->AnsiCodePage(); }
  int MessageBox(std::u16string_view text, std::u16string_view caption, unsigned flags) override {
    return base_->MessageBox(text, caption, flags);
  }
  FileHandle OpenFile(const std::string& path, const char* mode) override {
    return base_->OpenFile(path, mode);
  }
  FileHandle OpenFileW(const std::u16string& path, const char* mode) override {
    return base_->OpenFileW(path, mode);
  }
  bool Seek(std::FILE* file, std::int64_t offset) override { return base_->Seek(file, offset); }
  std::int64_t FileSize(std::FILE* file) override { return base_->FileSize(file); }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return base_->ReplaceFile(from, to);
  }
  bool ReplaceFileW(const std::u16string& from, const std::u16string& to) override {
    return base_->ReplaceFileW(from, to);
  }
  bool RemoveFile(const std::string& path) override { return base_->RemoveFile(path); }
  bool RemoveFileW(const std::u16string& path) override { return base_->RemoveFileW(path); }
  bool IsDirectoryW(const std::u16string& path) override { return base_->IsDirectoryW(path); }
  bool PathExistsW(const std::u16string& path) override { return base_->PathExistsW(path); }
  bool CreateDirectoryW(const std::u16string& path) override {
    return base_->CreateDirectoryW(path);
  }
  bool UserDataFolder(std::string* path) override { return base_->UserDataFolder(path); }
  bool IsDirectory(const std::string& path) override { return base_->IsDirectory(path); }
  bool CreateDirectory(const std::string& path) override { return base_->CreateDirectory(path); }
  bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries) override {
    return base_->ListFolder(path, entries);
  }
  std::int64_t FileSizeAt(const std::string& path) override { return base_->FileSizeAt(path); }
  FileHandle CreateNewFile(const std::string& path) override { return base_->CreateNewFile(path); }
  FileHandle CreateNewFileW(const std::u16string& path) override {
    return base_->CreateNewFileW(path);
  }
  FileHandle OpenForUpdate(const std::string& path) override { return base_->OpenForUpdate(path); }
  FileHandle OpenForUpdateW(const std::u16string& path) override {
    return base_->OpenForUpdateW(path);
  }
  bool Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) override {
    return base_->Read(file, data, size, got);
  }
  bool Write(std::FILE* file, const void* data, std::size_t size) override {
    return base_->Write(file, data, size);
  }
  bool Flush(std::FILE* file) override { return base_->Flush(file); }
  bool SyncFile(std::FILE* file) override { return base_->SyncFile(file); }
  bool Truncate(std::FILE* file, std::int64_t size) override { return base_->Truncate(file, size); }
  bool Close(FileHandle& file) override { return base_->Close(file); }
  bool SyncFolder(const std::string& path) override { return base_->SyncFolder(path); }
  bool SyncFolderW(const std::u16string& path) override { return base_->SyncFolderW(path); }
  FileHandle AcquireFileLock(const std::string& path, int waitMilliseconds) override {
    return base_->AcquireFileLock(path, waitMilliseconds);
  }
  FileHandle AcquireFileLockW(const std::u16string& path, int waitMilliseconds) override {
    return base_->AcquireFileLockW(path, waitMilliseconds);
  }
  bool ReleaseFileLock(const std::string& path, FileHandle& lock) override {
    return base_->ReleaseFileLock(path, lock);
  }
  bool ReleaseFileLockW(const std::u16string& path, FileHandle& lock) override {
    return base_->ReleaseFileLockW(path, lock);
  }

 private:
  Platform* const base_;
};

}  // namespace taliq

#endif  // TALIQ_PLATFORM_PLATFORM_WRAPPER_H_
