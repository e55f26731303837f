#include "tests/fuzz/dictionary_input.h"

#include <algorithm>
#include <vector>

#include "dictionary/coding.h"
#include "tests/fuzz/fuzz_support.h"

namespace taliq::fuzz {
namespace {

// The bucket of the filler block: the one before the code's, or the code's
// own bucket's neighbour after it when the code's is bucket 0 (the filler
// then lies behind the block).
int FillerBucket(int bucket) { return bucket > 0 ? bucket - 1 : bucket + 1; }

}  // namespace

bool ParseDictionaryInput(std::string_view data, DictionaryInput* in) {
  if (data.size() < kHeaderSize) return false;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(data[i]); };
  in->table = (byte(0) & 1) != 0 ? TableKind::kPhrases : TableKind::kCharacters;
  const int maxLength = in->table == TableKind::kPhrases ? 6 : 4;
  const int length = std::min(((byte(0) >> 1) & 7) + 1, maxLength);
  in->code.clear();
  for (int i = 0; i < length; ++i) {
    const std::uint8_t b = byte(1 + static_cast<std::size_t>(i / 2));
    const int nibble = i % 2 == 0 ? b >> 4 : b & 0xF;
    in->code.push_back(static_cast<char16_t>(u'0' + nibble % 10));
  }
  in->lengthDelta = static_cast<std::int8_t>(byte(4));
  in->fillerLength = static_cast<std::uint32_t>(byte(5) | (byte(6) << 8)) % 1024;
  in->control = {byte(7), byte(8), byte(9)};
  in->block.assign(data.substr(kHeaderSize));
  return true;
}

std::string EncodeDictionaryInput(const DictionaryInput& in) {
  std::string out(kHeaderSize, '\0');
  const int length = static_cast<int>(in.code.size());
  out[0] = static_cast<char>((in.table == TableKind::kPhrases ? 1 : 0) | ((length - 1) << 1));
  std::uint8_t digits[3] = {0, 0, 0};
  for (int i = 0; i < length; ++i) {
    const int d = in.code[static_cast<std::size_t>(i)] - u'0';
    digits[i / 2] = static_cast<std::uint8_t>(digits[i / 2] | (i % 2 == 0 ? d << 4 : d));
  }
  for (int i = 0; i < 3; ++i) out[static_cast<std::size_t>(1 + i)] = static_cast<char>(digits[i]);
  out[4] = static_cast<char>(static_cast<std::int8_t>(in.lengthDelta));
  out[5] = static_cast<char>(in.fillerLength & 0xFF);
  out[6] = static_cast<char>(in.fillerLength >> 8);
  for (int i = 0; i < 3; ++i)
    out[static_cast<std::size_t>(7 + i)] =
        static_cast<char>(in.control[static_cast<std::size_t>(i)]);
  return out + in.block;
}

std::int64_t BlockOffset(const DictionaryInput& in) {
  const int bucket = BucketOf(in.code);
  return kTableHeaderSize + (FillerBucket(bucket) < bucket ? in.fillerLength : 0);
}

std::uint32_t IndexLength(const DictionaryInput& in) {
  const std::int64_t length = static_cast<std::int64_t>(in.block.size()) + in.lengthDelta;
  return static_cast<std::uint32_t>(std::max<std::int64_t>(length, 0));
}

void WriteDictionaryFolder(const std::string& folder, const DictionaryInput& in) {
  const int bucket = BucketOf(in.code);
  const bool phrases = in.table == TableKind::kPhrases;
  std::vector<std::uint8_t> index(kMinIndexSize, 0);
  const auto setLength = [&](int b, std::uint32_t length) {
    if (phrases) {
      EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * static_cast<std::size_t>(b), length);
    } else {
      EncodeFixed16(index.data() + kCharacterLengthsOffset + 2 * static_cast<std::size_t>(b),
                    static_cast<std::uint16_t>(std::min<std::uint32_t>(length, 0xFFFF)));
    }
  };
  setLength(FillerBucket(bucket), in.fillerLength);
  setLength(bucket, IndexLength(in));
  WriteWholeFile(folder + kIndexFileName,
                 std::string_view(reinterpret_cast<const char*>(index.data()), index.size()));

  // The filler: units that end every group at once, so that a scan that
  // strays into it stops.
  const std::string filler(in.fillerLength, '\xFF');
  std::string table(kTableHeaderSize, '\0');
  if (FillerBucket(bucket) < bucket) {
    table += filler + in.block;
  } else {
    table += in.block + filler;
  }
  const std::string empty(kTableHeaderSize, '\0');
  WriteWholeFile(folder + kCharacterTableFileName, phrases ? empty : table);
  WriteWholeFile(folder + kPhraseTableFileName, phrases ? table : empty);
  WriteWholeFile(folder + kPunctuationFileName, "");
}

}  // namespace taliq::fuzz
