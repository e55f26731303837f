// The lookups' block scans against a plain model of the table formats, on
// random blocks: values and texts full of 0x0000 and 0xFFFF units, texts
// longer than the store's read buffer, blocks of several hundred KB, odd
// block offsets, random damage, index lengths shorter or longer than the
// bytes, and tables that end inside the block. The store reads a block in
// pieces and walks phrase groups many entries at a time; the model reads
// the whole block and walks one unit at a time, as the format describes.
// Every scan kernel the processor can run (portable, SSE2, AVX2) is checked,
// and so is the lookup's verdict on the block: damaged or not.
#include <random>

#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

constexpr int kBucket = 158;  // codes beginning "123"

struct Expected {
  int count = 0;
  std::int32_t matchOffset = 0;
  // The scan ran out of bytes inside a group or a code, or ran out where the
  // file ends before the block the index gives.
  bool damaged = false;
  std::vector<std::u16string> texts;
  std::vector<std::array<std::uint16_t, 3>> values;
};

// The lookup of `code` in the block at `offset` that the index says is
// `length` bytes long, over the table's bytes as far as the file holds them.
Expected Model(const std::vector<std::uint8_t>& file, std::int32_t offset, std::uint32_t length,
               std::u16string_view code, bool phrases) {
  Expected e;
  const size_t begin = std::min(file.size(), static_cast<size_t>(offset));
  const size_t stop = std::min(file.size(), begin + length);
  const std::uint8_t* b = file.data() + begin;
  const size_t size = stop - begin;
  const bool truncated = length > 0 && file.size() < static_cast<size_t>(offset) + length;
  // The scan ran out of bytes; `cut` inside a group or a code.
  auto ranOut = [&](bool cut) {
    e.damaged = cut || truncated;
    return e;
  };
  auto unit = [&](size_t p) { return DecodeFixed16(b + p); };
  size_t pos = 0;
  while (size - pos >= 3) {
    char16_t unpacked[7];
    UnpackDigits(b + pos, unpacked);
    const bool match = std::u16string_view(unpacked) == code;
    pos += 3;
    if (!match) {
      if (!phrases) {
        for (;;) {
          if (size - pos < 2) return ranOut(true);
          pos += 2;
          if (unit(pos - 2) == 0xFFFF) break;
        }
        continue;
      }
      for (;;) {
        if (size - pos < 2) return ranOut(true);
        if (unit(pos) == 0xFFFF) break;
        for (;;) {  // the text, to its 0x0000
          if (size - pos < 2) return ranOut(true);
          pos += 2;
          if (unit(pos - 2) == 0) break;
        }
        if (size - pos < 4) return ranOut(true);
        pos += 4;
      }
      pos += 2;
      continue;
    }
    e.matchOffset = offset + static_cast<std::int32_t>(pos);
    while (e.count < kCandidateListCapacity) {
      if (size - pos < 2) return ranOut(true);
      if (unit(pos) == 0xFFFF) break;
      if (!phrases) {
        if (size - pos < 8) return ranOut(true);
        e.texts.push_back(std::u16string(1, static_cast<char16_t>(unit(pos))));
        e.values.push_back({unit(pos + 2), unit(pos + 4), unit(pos + 6)});
        ++e.count;
        pos += 8;
        continue;
      }
      std::u16string text;
      while (size - pos >= 2 && unit(pos) != 0) {
        text.push_back(static_cast<char16_t>(unit(pos)));
        pos += 2;
      }
      if (size - pos < 6) return ranOut(true);
      if (text.size() <= static_cast<size_t>(kMaxCandidateText)) {
        e.texts.push_back(text);
        e.values.push_back({unit(pos + 2), unit(pos + 4), 0});
        ++e.count;
      }
      pos += 6;
    }
    return e;
  }
  return ranOut(size - pos > 0);
}

const std::u16string kCodes[] = {u"123", u"1230", u"1234", u"12345", u"123456", u"123999"};

class BlockScanTest : public StoreTest, public ::testing::WithParamInterface<ScanKernel> {
 protected:
  void SetUp() override {
    if (!ScanKernelAvailable(GetParam())) GTEST_SKIP() << "not available on this processor";
    ASSERT_TRUE(UseScanKernel(GetParam()));
  }
  void TearDown() override { UseScanKernel(saved_); }

  std::uint16_t Value() {
    switch (rng_() % 4) {
      case 0:
        return 0x0000;
      case 1:
        return 0xFFFF;
      default:
        return static_cast<std::uint16_t>(rng_());
    }
  }
  // A text unit: never 0, now and then 0xFFFF (only the first unit of an
  // entry ends a group).
  std::uint16_t TextUnit(bool first) {
    if (!first && rng_() % 16 == 0) return 0xFFFF;
    return static_cast<std::uint16_t>(0x4E00 + rng_() % 0x5000);
  }
  size_t TextLength(bool allowHuge) {
    const unsigned r = rng_() % 1000;
    if (allowHuge && r == 0 && rng_() % 8 == 0) return 70000 + rng_() % 80000;  // > a read
    if (r < 150) return 0;
    if (r < 400) return 1;
    if (r < 420) return 49 + rng_() % 2;
    if (r < 430) return 51 + rng_() % 400;
    return 2 + rng_() % 5;
  }
  void PutPackedCode(std::vector<std::uint8_t>* out, std::u16string_view code) {
    std::uint8_t nibbles[6];
    for (size_t i = 0; i < 6; ++i) {
      nibbles[i] = i < code.size()
                       ? static_cast<std::uint8_t>(code[i] - u'0')
                       : static_cast<std::uint8_t>(i == code.size() ? 0xF : rng_() % 16);
    }
    for (size_t i = 0; i < 6; i += 2) {
      out->push_back(static_cast<std::uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
    }
  }
  // Groups of random codes (some repeated) until the block reaches `bytes`.
  std::vector<std::uint8_t> Block(size_t bytes, bool phrases) {
    std::vector<std::uint8_t> out;
    while (out.size() < bytes) {
      PutPackedCode(&out, kCodes[rng_() % std::size(kCodes)]);
      const unsigned entries = rng_() % 4 == 0 ? rng_() % 4 : rng_() % 3000;
      for (unsigned i = 0; i < entries; ++i) {
        if (phrases) {
          const size_t n = TextLength(bytes > 100000);
          for (size_t k = 0; k < n; ++k) PutFixed16(&out, TextUnit(k == 0));
          PutFixed16(&out, 0);
          PutFixed16(&out, Value());
          PutFixed16(&out, Value());
        } else {
          PutFixed16(&out, TextUnit(true));
          for (int k = 0; k < 3; ++k) {
            const std::uint16_t v = Value();
            PutFixed16(&out, v == 0xFFFF ? 0 : v);
          }
        }
      }
      PutFixed16(&out, 0xFFFF);
    }
    return out;
  }
  // Installs the block behind `prefix` bytes of other buckets, with random
  // damage and a random index length and file end; then compares every
  // code's lookup with the model.
  void Check(bool phrases, size_t blockBytes) {
    std::vector<std::uint8_t> block = Block(blockBytes, phrases);
    const unsigned damage = rng_() % 4;
    if (damage == 1) {
      for (int i = 0; i < 20; ++i) block[rng_() % block.size()] = static_cast<std::uint8_t>(rng_());
    }
    const std::uint32_t prefix = rng_() % 2 == 0 ? 0 : 1 + rng_() % 999;  // odd offsets too
    std::uint32_t length = static_cast<std::uint32_t>(block.size());
    if (damage == 2) length = static_cast<std::uint32_t>(rng_() % block.size());
    if (damage == 3) length = phrases ? 0xFFFFFFFFu : 0xFFFF;
    if (!phrases) length = std::min<std::uint32_t>(length, 0xFFFF);
    std::vector<std::uint8_t> file(64 + prefix, 0x77);
    file.insert(file.end(), block.begin(), block.end());
    if (rng_() % 4 == 0) file.resize(64 + prefix + rng_() % block.size());  // ends early

    std::vector<std::uint8_t> index(kMinIndexSize, 0);
    const size_t lengths = phrases ? kPhraseLengthsOffset : kCharacterLengthsOffset;
    if (phrases) {
      EncodeFixed32(index.data() + lengths, prefix);
      EncodeFixed32(index.data() + lengths + 4 * kBucket, length);
    } else {
      EncodeFixed16(index.data() + lengths, static_cast<std::uint16_t>(prefix));
      EncodeFixed16(index.data() + lengths + 2 * kBucket, static_cast<std::uint16_t>(length));
    }
    WriteBytes(PathOf("lurm2008.idx"), index);
    WriteBytes(PathOf(phrases ? "lurmsmc.mb" : "lurmsmz.mb"), file);

    DictionaryStore store(&platform_);
    const std::int32_t offset = static_cast<std::int32_t>(64 + prefix);
    for (const std::u16string& code : kCodes) {
      if (!phrases && code.size() > 4) continue;
      SCOPED_TRACE(Utf16ToUtf8(code));
      const Expected e = Model(file, offset, length, code, phrases);
      CandidateList list{};
      const int n = phrases ? store.LookupPhrases(code, list) : store.LookupCharacters(code, list);
      ASSERT_EQ(n, e.count);
      EXPECT_EQ(store.matchOffset(), e.matchOffset);
      EXPECT_EQ(store.status().ok(), !e.damaged) << store.status().message();
      if (e.damaged) {
        EXPECT_EQ(store.status().code(), Status::Code::kCorruption);
        EXPECT_NE(store.status().message().find(phrases ? "lurmsmc.mb" : "lurmsmz.mb"),
                  std::string::npos);
      }
      for (int i = 0; i < n; ++i) {
        const CandidateRecord& r = list[static_cast<size_t>(i)];
        ASSERT_EQ(r.Text(), e.texts[static_cast<size_t>(i)]) << "record " << i;
        EXPECT_EQ(r.values[0], e.values[static_cast<size_t>(i)][0]) << "record " << i;
        EXPECT_EQ(r.values[1], e.values[static_cast<size_t>(i)][1]) << "record " << i;
        if (!phrases) {
          EXPECT_EQ(r.values[2], e.values[static_cast<size_t>(i)][2]) << "record " << i;
        }
      }
    }
  }

  std::mt19937 rng_;
  const ScanKernel saved_ = ActiveScanKernel();
};

TEST_P(BlockScanTest, PhraseBlocksOfSeveralReads) {
  tmp_.MakeDirs(Folder("chs").substr(tmp_.path().size() + 1));
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    rng_.seed(seed);
    Check(true, 100000 + rng_() % 500000);
  }
}

TEST_P(BlockScanTest, SmallPhraseBlocks) {
  tmp_.MakeDirs(Folder("chs").substr(tmp_.path().size() + 1));
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    rng_.seed(seed);
    Check(true, rng_() % 3000);
  }
}

TEST_P(BlockScanTest, CharacterBlocks) {
  tmp_.MakeDirs(Folder("chs").substr(tmp_.path().size() + 1));
  for (unsigned seed = 1; seed <= 100; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    rng_.seed(seed);
    Check(false, rng_() % 2 == 0 ? rng_() % 2000 : 40000 + rng_() % 25000);
  }
}

// The masks of windows of 64 units the copy check walks phrase blocks
// with: every 0x0000 and every 0xFFFF marked, nothing else, at either
// alignment of the bytes.
TEST_P(BlockScanTest, UnitMasksMarkEveryZeroAndEveryEnd) {
  rng_.seed(7);
  std::vector<std::uint8_t> bytes(128 * 5 + 1);
  for (std::uint8_t& b : bytes) {
    const unsigned r = rng_() % 4;
    b = r == 0 ? 0x00 : r == 1 ? 0xFF : static_cast<std::uint8_t>(rng_());
  }
  const ScanOps& ops = ActiveScanOps();
  for (std::size_t from : {0u, 1u}) {
    std::uint64_t zeros[5];
    std::uint64_t ones[5];
    ops.unitMasks(bytes.data() + from, 5, zeros, ones);
    for (std::size_t k = 0; k < 5; ++k) {
      for (std::size_t i = 0; i < 64; ++i) {
        const std::size_t at = from + 128 * k + 2 * i;
        SCOPED_TRACE(testing::Message() << "byte " << at);
        EXPECT_EQ((zeros[k] >> i & 1) != 0, bytes[at] == 0x00 && bytes[at + 1] == 0x00);
        EXPECT_EQ((ones[k] >> i & 1) != 0, bytes[at] == 0xFF && bytes[at + 1] == 0xFF);
      }
    }
  }
}

std::string KernelName(const ::testing::TestParamInfo<ScanKernel>& param) {
  switch (param.param) {
    case ScanKernel::kPortable:
      return "Portable";
    case ScanKernel::kSse2:
      return "Sse2";
    case ScanKernel::kAvx2:
      return "Avx2";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Kernels, BlockScanTest,
                         ::testing::Values(ScanKernel::kPortable, ScanKernel::kSse2,
                                           ScanKernel::kAvx2),
                         KernelName);

}  // namespace
}  // namespace taliq::test
