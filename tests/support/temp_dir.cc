#include "tests/support/temp_dir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace taliq::test {

namespace fs = std::filesystem;

TempDir::TempDir(Where where) {
  std::error_code ec;
  const fs::path base = where == Where::kMemory && fs::is_directory("/dev/shm", ec)
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
  std::string tmpl = (base / "taliq-test-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission first so read-only fixtures can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::string TempDir::Join(const std::string& relative) const { return path_ + "/" + relative; }

std::string TempDir::MakeDirs(const std::string& relative) const {
  const std::string full = Join(relative);
  fs::create_directories(full);
  return full;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, std::string_view text) { WriteBytes(path, BytesOf(text)); }

std::vector<std::uint8_t> BytesOf(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

void SetReadOnly(const std::string& path, bool readOnly) {
  ::chmod(path.c_str(), readOnly ? 0444 : 0644);
}

}  // namespace taliq::test
