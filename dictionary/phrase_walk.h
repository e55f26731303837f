// The walk of a phrase group's entries over masks of its units, a window
// of 64 units (128 bytes) at a time: what the vector scan kernels' phrase
// walk (vector_scan.h) and the copy check's walk of whole blocks
// (table_check_scan.cc) are built on. Plain C++: each includer compiles it
// with its own instruction set, hence internal linkage as in vector_scan.h.
#ifndef TALIQ_DICTIONARY_PHRASE_WALK_H_
#define TALIQ_DICTIONARY_PHRASE_WALK_H_

#include <cstddef>
#include <cstdint>

namespace taliq {
namespace {  // NOLINT(build/namespaces_headers): see above

// 64 units, the width of the masks the phrase walk takes.
constexpr std::size_t kWindowBytes = 128;

// Walks the entries of a phrase group from an entry start, a window of 64
// units at a time, with no step from one entry to the next. Within a group
// every unit is text, a text's terminating 0x0000 or one of the two values
// after it; so a 0x0000 ends a text exactly when neither of the two units
// before it ends one. Resolving that left to right over a window's mask of
// zeros takes one round per zero that follows another within two units (in
// practice one or two rounds); the entries start three units after each
// text end, and the group ends at the first entry start that holds 0xFFFF.
class PhraseWalk {
 public:
  explicit PhraseWalk(std::size_t pos) : lastWindow_(pos) {}

  // Takes the window at `w`: bit i of `zeros` (`ones`) is set where its unit
  // i is 0x0000 (0xFFFF). True, with the position of the group's end marker
  // in *end, when the group ends in this window.
  bool Step(std::size_t w, std::uint64_t zeros, std::uint64_t ones, std::size_t* end) {
    std::uint64_t open = zeros & ~values_;  // zeros not yet placed
    std::uint64_t ends = 0;
    // Most often no zero follows another within two units: each ends a text.
    if ((open & ((open << 1) | (open << 2))) == 0) {
      ends = open;
      open = 0;
    }
    while (open != 0) {
      // A zero with no undecided zero in the two units before it ends a
      // text (a text end there would already have made it a value); the
      // two units after it are values.
      const std::uint64_t sure = open & ~(open << 1) & ~(open << 2);
      ends |= sure;
      open &= ~(sure | (sure << 1) | (sure << 2));
    }
    starts_ |= ends << 3;
    const std::uint64_t groupEnd = starts_ & ones;
    if (groupEnd != 0) {
      *end = w + 2 * static_cast<std::size_t>(__builtin_ctzll(groupEnd));
      return true;
    }
    if (starts_ != 0) {
      lastStarts_ = starts_;
      lastWindow_ = w;
    }
    // Text ends in the last units reach into the next window.
    values_ = (ends >> 63) | (ends >> 62);
    starts_ = ends >> 61;
    return false;
  }

  // When the windows run out: the last entry start seen, from which the
  // walk goes on one entry at a time.
  std::size_t Resume() const {
    return lastWindow_ + 2 * static_cast<std::size_t>(63 - __builtin_clzll(lastStarts_));
  }

 private:
  std::uint64_t starts_ = 1;  // entry starts in the window
  std::uint64_t values_ = 0;  // values after a text end in the previous window
  std::uint64_t lastStarts_ = 1;
  std::size_t lastWindow_;
};

}  // namespace
}  // namespace taliq

#endif  // TALIQ_DICTIONARY_PHRASE_WALK_H_
