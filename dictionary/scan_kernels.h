// The unit searches the lookups' block scans are built on, in up to three
// builds: plain C++, SSE2 and AVX2. Each build lives in its own file,
// compiled for its instruction set (which files a build has is decided in
// dictionary/CMakeLists.txt); the fastest one the processor can run is
// chosen at the first lookup. All of them find the same units: the scan
// test runs each against a model of the formats.
#ifndef TALIQ_DICTIONARY_SCAN_KERNELS_H_
#define TALIQ_DICTIONARY_SCAN_KERNELS_H_

#include <cstddef>
#include <cstdint>

namespace taliq {

enum class ScanKernel : int { kPortable = 0, kSse2 = 1, kAvx2 = 2 };
// Whether this build, on this processor, can run `kernel`.
bool ScanKernelAvailable(ScanKernel kernel);
// Makes every later lookup use `kernel`; false, changing nothing, when it is
// not available. Not to be called while lookups run on other threads.
bool UseScanKernel(ScanKernel kernel);
ScanKernel ActiveScanKernel();

// One build of the searches, over bytes data[0, size) from the unit at
// `pos`, stepping by whole units.
struct ScanOps {
  // Position of the first unit equal to `unit` at or after `pos`; `size`
  // when there is none. `unit` must read the same in either byte order
  // (0x0000, 0xFFFF).
  std::size_t (*findUnit)(const std::uint8_t* data, std::size_t size, std::size_t pos,
                          std::uint16_t unit);
  // The same for 0xFFFF, tuned for the long runs of a character group.
  std::size_t (*findGroupEnd)(const std::uint8_t* data, std::size_t size, std::size_t pos);
  // Walks the entries of a phrase group from the entry start `pos`, over
  // the whole windows of 64 units inside the bytes: the position of the
  // group's end marker (*found true) or an entry start at or after `pos` to
  // go on from (*found false). Null where there is none: phrase groups are
  // then walked one entry at a time.
  std::size_t (*skipPhraseEntries)(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                   bool* found);
  // Offset of the first byte pair `first`, `second` that starts at or after
  // `pos`, at any offset (not only unit starts); `size` when there is none.
  // What find's search of a whole table goes through.
  std::size_t (*findBytePair)(const std::uint8_t* data, std::size_t size, std::size_t pos,
                              std::uint8_t first, std::uint8_t second);
  // Steps through the eight-byte entries of a character group from the
  // entry start `pos`: the first entry start q whose first unit is 0xFFFF
  // or `unit`, or where fewer than eight bytes are left (size - q < 8).
  std::size_t (*findCharacterEntry)(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                    std::uint16_t unit);
  // For each of `windows` windows of 64 units, the k-th at data + 128 k:
  // bit i of zeros[k] (ones[k]) set where its unit i is 0x0000 (0xFFFF).
  // Reads data[0, 128 windows).
  void (*unitMasks)(const std::uint8_t* data, std::size_t windows, std::uint64_t* zeros,
                    std::uint64_t* ones);
};

// The searches of the kernel in use.
const ScanOps& ActiveScanOps();

// Each kernel file defines its own; only the ones this build compiles exist.
extern const ScanOps kPortableScanOps;
extern const ScanOps kSse2ScanOps;
extern const ScanOps kAvx2ScanOps;

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_SCAN_KERNELS_H_
