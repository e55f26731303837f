#include "platform/status.h"

#include <cerrno>
#include <cstring>

namespace taliq {

namespace {

std::string Join(std::string_view path, std::string_view what) {
  std::string text(path);
  text += ": ";
  text += what;
  return text;
}

}  // namespace

Status Status::NotFound(std::string_view path) {
  return Status(Code::kNotFound, Join(path, "missing"));
}

Status Status::CannotOpen(std::string_view path, std::string_view reason) {
  return Status(Code::kCannotOpen, Join(path, "cannot open: " + std::string(reason)));
}

Status Status::CannotOpen(std::string_view path, int error) {
  return Status(Code::kCannotOpen,
                Join(path, "cannot open: " + (error != 0 ? ErrnoText(error) : "cause unknown")),
                error);
}

Status Status::IoError(std::string_view path, std::string_view what) {
  return Status(Code::kIoError, Join(path, what));
}

Status Status::Corruption(std::string_view path, std::int64_t offset, std::string_view what) {
  return Status(Code::kCorruption, Join(path, "damaged at offset " + std::to_string(offset) + ": " +
                                                  std::string(what)));
}

Status Status::Corruption(std::string_view path, std::string_view what) {
  return Status(Code::kCorruption, Join(path, "damaged: " + std::string(what)));
}

Status Status::Changed(std::string_view path, std::string_view what) {
  return Status(Code::kChanged, Join(path, "changed since the lookup: " + std::string(what)));
}

Status Status::NoMemory(std::string_view what) {
  return Status(Code::kNoMemory, "out of memory: " + std::string(what));
}

Status Status::Busy(std::string_view path) {
  return Status(Code::kBusy, Join(path, "another program is saving it; nothing was written"));
}

Status Status::Failure(Code code, std::string message, int error) {
  return Status(code, std::move(message), error);
}

std::string ErrnoText(int error) {
  // strerror is not re-entrant, but the tools have one thread.
  const char* text = std::strerror(error);
  return text != nullptr ? std::string(text) : "error " + std::to_string(error);
}

std::string ErrnoCause(int error) {
  return error != 0 ? ErrnoText(error) : "refused by the system";
}

Status OpenFailure(const std::string& path, int error) {
  if (error == ENOENT || error == ENOTDIR) return Status::NotFound(path);
  return Status::CannotOpen(path, ErrnoCause(error));
}

}  // namespace taliq
