// Cuts seeds for the dictionary harnesses out of a dictionary folder (the
// demo installation's): blocks of both tables of up to 4 KiB, each as a
// lookup of the code of its first group, and the punctuation table.
//
//   make_fuzz_seeds DICTIONARY_FOLDER OUT_FOLDER
//
// writes OUT_FOLDER/lookup_fuzz/*, OUT_FOLDER/write_back_fuzz/* (the same
// inputs) and OUT_FOLDER/punctuation_fuzz/*.
#include <cstdio>
#include <filesystem>
#include <string>

#include "dictionary/coding.h"
#include "dictionary/format.h"
#include "tests/fuzz/dictionary_input.h"
#include "tests/fuzz/fuzz_support.h"

namespace taliq::fuzz {
namespace {

// Seeds per table, spread over the buckets.
constexpr int kSeedsPerTable = 8;
constexpr std::uint32_t kMaxSeedBlock = 4096;

int Run(const std::string& folder, const std::string& out) {
  std::string index;
  if (!ReadWholeFile(folder + "/" + kIndexFileName, &index) || index.size() < kMinIndexSize) {
    std::fprintf(stderr, "make_fuzz_seeds: no index in %s\n", folder.c_str());
    return 1;
  }
  const auto* idx = reinterpret_cast<const std::uint8_t*>(index.data());
  for (const std::string harness : {"lookup_fuzz", "write_back_fuzz", "punctuation_fuzz"}) {
    std::filesystem::create_directories(out + "/" + harness);
  }
  int written = 0;
  for (const TableKind table : {TableKind::kCharacters, TableKind::kPhrases}) {
    std::string bytes;
    if (!ReadWholeFile(folder + "/" + TableFileName(table), &bytes)) continue;
    const bool phrases = table == TableKind::kPhrases;
    // The blocks that fit a seed, then every n-th of them.
    std::vector<std::pair<std::int64_t, std::uint32_t>> blocks;
    std::int64_t offset = kTableHeaderSize;
    for (int b = 0; b < kBucketCount; ++b) {
      const std::uint32_t length =
          phrases ? DecodeFixed32(idx + kPhraseLengthsOffset + 4 * static_cast<std::size_t>(b))
                  : DecodeFixed16(idx + kCharacterLengthsOffset + 2 * static_cast<std::size_t>(b));
      if (length >= kPackedCodeSize && length <= kMaxSeedBlock &&
          offset + length <= static_cast<std::int64_t>(bytes.size())) {
        blocks.emplace_back(offset, length);
      }
      offset += length;
    }
    const std::size_t step = std::max<std::size_t>(1, blocks.size() / kSeedsPerTable);
    for (std::size_t i = 0; i < blocks.size(); i += step) {
      DictionaryInput input;
      input.table = table;
      input.block = bytes.substr(static_cast<std::size_t>(blocks[i].first), blocks[i].second);
      char16_t code[7];
      UnpackDigits(reinterpret_cast<const std::uint8_t*>(input.block.data()), code);
      input.code = code;
      if (input.code.empty() || input.code.size() > (phrases ? 6u : 4u) || !AllDigits(input.code)) {
        continue;
      }
      input.fillerLength = static_cast<std::uint32_t>(8 * i % 256);
      const std::string name =
          std::string(phrases ? "phrases-" : "characters-") + std::to_string(i);
      for (const char* harness : {"lookup_fuzz", "write_back_fuzz"}) {
        WriteWholeFile(out + "/" + harness + "/" + name, EncodeDictionaryInput(input));
      }
      ++written;
    }
  }
  std::string marks;
  if (ReadWholeFile(folder + "/" + kPunctuationFileName, &marks)) {
    WriteWholeFile(out + "/punctuation_fuzz/pround", std::string("\x05\x00\x00", 3) + marks);
  }
  std::printf("%d dictionary seeds\n", written);
  return written > 0 ? 0 : 1;
}

}  // namespace
}  // namespace taliq::fuzz

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds DICTIONARY_FOLDER OUT_FOLDER\n");
    return 2;
  }
  return taliq::fuzz::Run(argv[1], argv[2]);
}
