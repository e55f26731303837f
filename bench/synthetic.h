// What the benchmarks' synthetic dictionaries are made of: codes of a given
// width, and a fixed pseudo-random sequence, so that every run builds the
// same tables.
#ifndef TALIQ_BENCH_SYNTHETIC_H_
#define TALIQ_BENCH_SYNTHETIC_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace taliq::bench {

// `value` as `width` decimal digits, with leading zeros.
inline std::u16string Digits(int value, int width) {
  std::u16string s(static_cast<std::size_t>(width), u'0');
  for (int i = width - 1; i >= 0; --i, value /= 10) {
    s[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + value % 10);
  }
  return s;
}

class SyntheticRandom {
 public:
  explicit SyntheticRandom(std::uint32_t seed) : seed_(seed) {}

  // 0 to 32767.
  std::uint32_t Next() {
    seed_ = seed_ * 1103515245u + 12345u;
    return (seed_ >> 16) & 0x7FFF;
  }
  std::uint16_t Value() { return static_cast<std::uint16_t>(Next()); }
  // A CJK unified ideograph.
  char16_t Character() { return static_cast<char16_t>(0x4E00 + Next() % 0x5000); }
  // A phrase of `minUnits` to `minUnits + spread - 1` characters.
  std::u16string Phrase(std::uint32_t minUnits, std::uint32_t spread) {
    std::u16string text(minUnits + Next() % spread, u'\0');
    for (char16_t& c : text) c = Character();
    return text;
  }

 private:
  std::uint32_t seed_;
};

}  // namespace taliq::bench

#endif  // TALIQ_BENCH_SYNTHETIC_H_
