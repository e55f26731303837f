// A temporary folder tree that is removed with the object, and small file
// helpers for byte-level checks.
#ifndef TALIQ_TESTS_SUPPORT_TEMP_DIR_H_
#define TALIQ_TESTS_SUPPORT_TEMP_DIR_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace taliq::test {

class TempDir {
 public:
  // kMemory: below /dev/shm where the system has it (tests that make many
  // thousand small files run there without waiting for a disk).
  enum class Where { kDisk, kMemory };
  explicit TempDir(Where where = Where::kDisk);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string Join(const std::string& relative) const;
  // Creates the folder and its parents below path(); returns its full path.
  std::string MakeDirs(const std::string& relative) const;

 private:
  std::string path_;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// The same with the bytes as a string.
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, std::string_view text);
std::vector<std::uint8_t> BytesOf(std::string_view text);
bool FileExists(const std::string& path);
// chmod; tests that rely on a refused open skip themselves when run as root
// unless the file is also made immutable, so prefer injected failures.
void SetReadOnly(const std::string& path, bool readOnly);

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_TEMP_DIR_H_
