#include "orders/folder_digests.h"

#include <charconv>
#include <vector>

#include "orders/data_folder.h"
#include "orders/local_time.h"
#include "orders/text_lines.h"

namespace taliq {
namespace {

bool ParseSize(std::string_view text, std::int64_t* size) {
  if (text.empty() || text.size() > 18) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::from_chars(text.data(), text.data() + text.size(), *size).ec == std::errc();
}

}  // namespace

Status DigestDictionaryFolder(Platform* platform, const std::string& folder,
                              FolderDigests* digests) {
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    if (Status s =
            DigestFile(platform, JoinPath(folder, kDictionaryFileNames[i]), &digests->files[i]);
        !s.ok()) {
      return s;
    }
  }
  return Status::Ok();
}

std::string FormatFolderDigests(std::string_view header, const FolderDigests& digests) {
  std::string text(header);
  text += '\n';
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    text += kDictionaryFileNames[i];
    text += '\t';
    text += std::to_string(digests.files[i].size);
    text += '\t';
    text += DigestHex(digests.files[i].sha256);
    text += '\t';
    text += digests.time;
    text += '\n';
  }
  return text;
}

Status ParseFolderDigests(std::string_view header, std::string_view text, const std::string& path,
                          FolderDigests* digests) {
  std::array<bool, 4> seen{};
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      return Status::Corruption(path, "line " + std::to_string(lineNumber + 1) +
                                          " has no line break (the file was cut short)");
    }
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::string where = "line " + std::to_string(++lineNumber) + ": ";
    if (lineNumber == 1) {
      if (line != header)
        return Status::Corruption(path, where + "not \"" + std::string(header) + "\"");
      continue;
    }
    const std::vector<std::string_view> f = SplitTabs(line);
    if (f.size() != 4)
      return Status::Corruption(path, where + "expected 4 fields separated by tabs");
    std::size_t index = 0;
    while (index < kDictionaryFileNames.size() && kDictionaryFileNames[index] != f[0]) ++index;
    if (index == kDictionaryFileNames.size()) {
      return Status::Corruption(path, where + "unknown file \"" + std::string(f[0]) + "\"");
    }
    if (seen[index]) return Status::Corruption(path, where + std::string(f[0]) + " listed twice");
    seen[index] = true;
    FileDigest& file = digests->files[index];
    if (!ParseSize(f[1], &file.size)) return Status::Corruption(path, where + "bad size");
    const std::optional<Sha256Digest> sha = ParseDigestHex(f[2]);
    if (!sha) return Status::Corruption(path, where + "bad SHA-256");
    file.sha256 = *sha;
    if (!IsLocalTimeText(f[3])) return Status::Corruption(path, where + "bad time");
    digests->time = std::string(f[3]);
  }
  if (lineNumber == 0) return Status::Corruption(path, "empty");
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (!seen[i]) {
      return Status::Corruption(path, std::string(kDictionaryFileNames[i]) + " is not listed");
    }
  }
  return Status::Ok();
}

}  // namespace taliq
