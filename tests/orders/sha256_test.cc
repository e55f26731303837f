// SHA-256 against the FIPS 180-4 example vectors, fed at once and in every
// split, and the hex form.
#include "orders/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace taliq {
namespace {

struct Vector {
  std::string input;
  const char* digest;
};

const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 448 bits
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
     "nopqrsmnopqrstnopqrstu",  // 896 bits
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    // Lengths around the padding's block boundary (55: length fits the
    // block; 56: a second block is needed; 64, 119, 120).
    {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
    {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
    {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    {std::string(119, 'x'), "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
    {std::string(120, 'x'), "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
};

TEST(Sha256Test, StandardVectors) {
  for (const Vector& v : kVectors) {
    EXPECT_EQ(DigestHex(Sha256::Of(v.input)), v.digest) << v.input.size() << " bytes";
  }
}

// The portable code and, where the processor has them, its SHA
// instructions give the same digests, also for input split unevenly.
TEST(Sha256Test, PortableAndProcessorCompressionAgree) {
  std::string input;
  for (int i = 0; i < 5000; ++i) input += static_cast<char>(i * 131 % 251);
  std::vector<Sha256Digest> digests;
  for (bool processor : {false, true}) {
    Sha256::UseProcessorInstructions(processor);
    for (const Vector& v : kVectors) {
      EXPECT_EQ(DigestHex(Sha256::Of(v.input)), v.digest) << processor << " " << v.input.size();
    }
    Sha256 sha;
    for (std::size_t at = 0; at < input.size(); at += 333) sha.Update(input.substr(at, 333));
    digests.push_back(sha.Finish());
  }
  Sha256::UseProcessorInstructions(true);
  EXPECT_EQ(digests[0], digests[1]);
  EXPECT_EQ(digests[0], Sha256::Of(input));
}

TEST(Sha256Test, MillionAsInUnevenPieces) {
  Sha256 sha;
  const std::string piece(997, 'a');  // a prime, so pieces straddle blocks
  std::size_t fed = 0;
  for (; fed + piece.size() <= 1000000; fed += piece.size()) sha.Update(piece);
  sha.Update(std::string(1000000 - fed, 'a'));
  EXPECT_EQ(DigestHex(sha.Finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, EverySplitGivesTheSameDigest) {
  // 150 bytes: two full blocks and a part, split at every position into
  // three pieces (the middle one possibly empty).
  std::string input;
  for (int i = 0; i < 150; ++i) input.push_back(static_cast<char>(i * 7 + 3));
  const Sha256Digest whole = Sha256::Of(input);
  Sha256 sha;
  for (std::size_t a = 0; a <= input.size(); ++a) {
    for (std::size_t b = a; b <= input.size(); b += 13) {
      sha.Update(input.substr(0, a));
      sha.Update(input.substr(a, b - a));
      sha.Update(input.substr(b));
      ASSERT_EQ(sha.Finish(), whole) << "split at " << a << " and " << b;
    }
  }
}

TEST(Sha256Test, FinishStartsOver) {
  Sha256 sha;
  sha.Update("abc");
  sha.Finish();
  EXPECT_EQ(sha.Finish(), Sha256::Of(""));
}

TEST(Sha256Test, HexRoundTripAndRejects) {
  const Sha256Digest d = Sha256::Of("abc");
  EXPECT_EQ(ParseDigestHex(DigestHex(d)), d);
  std::string upper = DigestHex(d);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ParseDigestHex(upper), d);
  const std::string hex = DigestHex(d);
  for (const std::string& bad :
       {hex.substr(1), hex + "0", hex.substr(0, 63) + "g", std::string()}) {
    EXPECT_FALSE(ParseDigestHex(bad)) << bad;
  }
}

}  // namespace
}  // namespace taliq
