// A test platform on which a file reads back with one byte changed, as a
// disk that lost a write would: the case the digest checks are for.
#ifndef TALIQ_TESTS_ORDERS_CORRUPTING_PLATFORM_H_
#define TALIQ_TESTS_ORDERS_CORRUPTING_PLATFORM_H_

#include <stdio.h>

#include <cstring>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {

class CorruptingPlatform : public TestPlatform {
 public:
  // Reads ("rb") of a path ending with this (a test platform pattern, see
  // EndsWithPattern) return their bytes with the middle byte inverted.
  std::string corruptReadsOf;

  FileHandle OpenFile(const std::string& path, const char* mode) override {
    const std::string& s = corruptReadsOf;
    if (s.empty() || std::strcmp(mode, "rb") != 0 || !EndsWithPattern(path, s)) {
      return TestPlatform::OpenFile(path, mode);
    }
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    bytes_.assign(bytes.begin(), bytes.end());
    if (bytes_.empty()) bytes_ = "x";  // an empty file reads as one byte
    bytes_[bytes_.size() / 2] = static_cast<char>(~bytes_[bytes_.size() / 2]);
    return FileHandle(::fmemopen(bytes_.data(), bytes_.size(), "rb"));
  }

 private:
  std::string bytes_;
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_ORDERS_CORRUPTING_PLATFORM_H_
