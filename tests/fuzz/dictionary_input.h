// A dictionary folder made from a fuzz input: one code's block, placed in a
// table behind an earlier block of filler, under an index whose length for
// it may be off (a block cut short by the file's end, or followed by bytes
// of the next block).
//
// Input layout (kHeaderSize bytes, then the block):
//   0     bit 0: the phrase table (else the character table); bits 1-3: the
//         code's length - 1, at most 3 (characters) or 5 (phrases)
//   1-3   the code's digits, a nibble each (taken mod 10)
//   4     the index's length minus the block's bytes (int8)
//   5-6   the filler block before it (uint16, little-endian, mod 1024 bytes)
//   7-9   left to the harness (a permutation, a fault)
//   10-   the block's bytes
#ifndef TALIQ_TESTS_FUZZ_DICTIONARY_INPUT_H_
#define TALIQ_TESTS_FUZZ_DICTIONARY_INPUT_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionary/format.h"

namespace taliq::fuzz {

inline constexpr std::size_t kHeaderSize = 10;

struct DictionaryInput {
  TableKind table = TableKind::kCharacters;
  std::u16string code;
  std::int64_t lengthDelta = 0;
  std::uint32_t fillerLength = 0;
  std::array<std::uint8_t, 3> control{};
  std::string block;
};

// False for an input shorter than the header.
bool ParseDictionaryInput(std::string_view data, DictionaryInput* input);
// The input bytes that parse back to `input` (for seeds).
std::string EncodeDictionaryInput(const DictionaryInput& input);

// Where the code's block starts in its table, and the length the index
// gives it.
std::int64_t BlockOffset(const DictionaryInput& input);
std::uint32_t IndexLength(const DictionaryInput& input);

// Writes lurm2008.idx, both tables (the other one without blocks) and an
// empty Pround.dat into `folder` (ending in the separator).
void WriteDictionaryFolder(const std::string& folder, const DictionaryInput& input);

}  // namespace taliq::fuzz

#endif  // TALIQ_TESTS_FUZZ_DICTIONARY_INPUT_H_
