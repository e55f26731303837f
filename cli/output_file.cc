#include "cli/output_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>

#include "dictionary/open_file.h"
#include "platform/path_ops.h"

namespace taliq::cli {
namespace {

// Names tried before giving up: each collides only with a file of the same
// 32 random bits.
constexpr int kTempNameAttempts = 8;

}  // namespace

std::string UniqueSuffix() {
  static std::mt19937_64 generator(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  static constexpr char kDigits[] = "0123456789abcdef";
  const std::uint64_t x = generator();
  std::string hex(8, '0');
  for (int i = 0; i < 8; ++i) hex[static_cast<std::size_t>(i)] = kDigits[(x >> (4 * i)) & 0xF];
  return hex;
}

OutputFile::OutputFile(Platform* platform, std::string path)
    : platform_(platform), path_(std::move(path)) {}

OutputFile::~OutputFile() {
  if (committed_ || temp_.empty()) return;
  if (file_ != nullptr) platform_->Close(file_);
  platform_->RemoveFile(temp_);
}

Status OutputFile::Open() {
  for (int attempt = 0; attempt < kTempNameAttempts && file_ == nullptr; ++attempt) {
    temp_ = internal::Sibling(path_, "~", "." + UniqueSuffix() + ".tmp");
    errno = 0;
    file_ = platform_->CreateNewFile(temp_);
    if (file_ == nullptr && errno != EEXIST) break;
  }
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
