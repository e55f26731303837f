// Status: the outcome of an operation on a file, with its reason.
//
// A front end shows or prints `message()`, which names the file and the
// cause; code that must react to the kind of failure tests `code()`.
#ifndef TALIQ_PLATFORM_STATUS_H_
#define TALIQ_PLATFORM_STATUS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace taliq {

class Status {
 public:
  enum class Code {
    kOk,
    kNotFound,    // the file or folder does not exist (or cannot be named)
    kCannotOpen,  // the file cannot be opened or created
    kIoError,     // read, write, flush, close or rename failed
    kCorruption,  // the bytes do not have the expected form
    kChanged,     // the file no longer holds what an earlier read saw
    kRefused,     // the request cannot be carried out as asked
    kNoMemory,
    kBusy,  // another program holds the lock of the file
  };

  Status() = default;
  static Status Ok() { return Status(); }
  // "PATH: missing"
  static Status NotFound(std::string_view path);
  // "PATH: cannot open: REASON" (REASON as the OS put it)
  static Status CannotOpen(std::string_view path, std::string_view reason);
  // The same with REASON the C library's text for errno `error` ("cause
  // unknown" for 0); error() gives the number back.
  static Status CannotOpen(std::string_view path, int error);
  // "PATH: WHAT" (e.g. "write failed: No space left on device")
  static Status IoError(std::string_view path, std::string_view what);
  // "PATH: damaged at offset N: WHAT"
  static Status Corruption(std::string_view path, std::int64_t offset, std::string_view what);
  // "PATH: damaged: WHAT" (no single offset)
  static Status Corruption(std::string_view path, std::string_view what);
  // "PATH: changed since the lookup: WHAT"
  static Status Changed(std::string_view path, std::string_view what);
  static Status Refused(std::string message) { return Status(Code::kRefused, std::move(message)); }
  static Status NoMemory(std::string_view what);
  // "PATH: another program is saving it; nothing was written"
  static Status Busy(std::string_view path);
  // A failure of `code` (not kOk) whose message is already worded in full.
  static Status Failure(Code code, std::string message, int error = 0);

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool Is(Code code) const { return code_ == code; }
  // UTF-8, empty when ok.
  const std::string& message() const { return message_; }
  // The errno of the failed call, where one was kept; 0 otherwise.
  int error() const { return error_; }

 private:
  Status(Code code, std::string message, int error = 0)
      : code_(code), message_(std::move(message)), error_(error) {}

  Code code_ = Code::kOk;
  std::string message_;
  int error_ = 0;
};

// The C library's text for errno value `error` ("Permission denied").
std::string ErrnoText(int error);
// The same, or "refused by the system" for 0: a failed call that set no
// errno (some Win32 calls leave it alone).
std::string ErrnoCause(int error);

// Why `path` could not be opened, from the errno value the open left:
// kNotFound when nothing of that name exists, else kCannotOpen with the
// reason.
Status OpenFailure(const std::string& path, int error);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_STATUS_H_
