// The fast fingerprint: any split of the input gives the same value, a
// changed, added or removed byte gives another, and a file's fingerprint is
// that of its bytes.
#include "orders/fingerprint.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

std::string Sample(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(i * 37 % 256);
  return s;
}

TEST(FingerprintTest, EverySplitGivesTheSameValue) {
  const std::string input = Sample(150);  // stripes of 32 and a tail
  const std::uint64_t whole = Fingerprint64::Of(input);
  for (std::size_t a = 0; a <= input.size(); a += 7) {
    for (std::size_t b = a; b <= input.size(); b += 11) {
      Fingerprint64 f;
      f.Update(input.substr(0, a));
      f.Update(input.substr(a, b - a));
      f.Update(input.substr(b));
      EXPECT_EQ(f.Value(), whole) << a << " " << b;
    }
  }
}

TEST(FingerprintTest, AnyChangeGivesAnotherValue) {
  const std::string base = Sample(100);
  std::set<std::uint64_t> seen = {Fingerprint64::Of(base)};
  std::vector<std::string> variants = {
      "",          std::string(1, '\0'), std::string(2, '\0'), base.substr(1),
      base + '\0', base.substr(0, 64)};
  for (std::size_t at : {0u, 31u, 32u, 63u, 99u}) {
    std::string flipped = base;
    flipped[at] = static_cast<char>(flipped[at] ^ 1);
    variants.push_back(flipped);
  }
  // Two stripes swapped: the lanes see the same words in another order.
  variants.push_back(base.substr(32, 32) + base.substr(0, 32) + base.substr(64));
  for (const std::string& v : variants) {
    EXPECT_TRUE(seen.insert(Fingerprint64::Of(v)).second) << v.size();
  }
}

TEST(FingerprintTest, AFileIsFingerprintedAsItsBytes) {
  test::TempDir dir;
  test::TestPlatform platform;
  const std::string input = Sample(300000);  // more than one read
  const std::string path = dir.Join("f");
  test::WriteText(path, input);
  FileFingerprint fp;
  ASSERT_TRUE(FingerprintFile(&platform, path, &fp).ok());
  EXPECT_EQ(fp.size, 300000);
  EXPECT_EQ(fp.value, Fingerprint64::Of(input));
  EXPECT_TRUE(FingerprintFile(&platform, dir.Join("missing"), &fp).Is(Status::Code::kNotFound));
}

}  // namespace
}  // namespace taliq
