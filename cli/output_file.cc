#include "cli/output_file.h"

#include <cerrno>
#include <utility>

#include "dictionary/open_file.h"
#include "platform/temp_file.h"

namespace taliq::cli {

OutputFile::OutputFile(Platform* platform, std::string path)
    : platform_(platform), path_(std::move(path)) {}

OutputFile::~OutputFile() {
  if (committed_ || temp_.empty()) return;
  if (file_ != nullptr) platform_->Close(file_);
  platform_->RemoveFile(temp_);
}

Status OutputFile::Open() {
  file_ = CreateTempSibling(platform_, path_, &temp_);
  if (file_ != nullptr) return Status::Ok();
  const Status why = OpenFailure(temp_, errno);
  temp_.clear();
  return why;
}

bool OutputFile::Write(std::string_view bytes) {
  if (failed_ || file_ == nullptr) return false;
  failed_ = !platform_->Write(file_.get(), bytes.data(), bytes.size());
  return !failed_;
}

Status OutputFile::Commit() {
  if (file_ == nullptr) return Status::IoError(path_, "not open");
  bool ok = !failed_ && platform_->SyncFile(file_.get());
  ok = platform_->Close(file_) && ok;
  if (!ok) return Status::IoError(path_, "write failed (temporary file " + temp_ + ")");
  if (!platform_->ReplaceFile(temp_, path_)) {
    return Status::IoError(path_, "cannot rename " + temp_ + " over it");
  }
  committed_ = true;
  platform_->SyncFolder(path_);
  return Status::Ok();
}

}  // namespace taliq::cli
