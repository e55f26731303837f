// What the fuzz harnesses share: a check that ends the run as a finding,
// and a scratch folder of the process.
#ifndef TALIQ_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define TALIQ_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <string>
#include <string_view>

namespace taliq::fuzz {

// Reports the broken invariant and aborts, which libFuzzer records as a
// finding together with the input.
[[noreturn]] void Fail(const char* file, int line, const char* what);

#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) ::taliq::fuzz::Fail(__FILE__, __LINE__, #condition); \
  } while (0)

// A folder of the process below /dev/shm (or the system's temporary folder
// where there is none), made at the first call and removed when the process
// ends.
const std::string& ScratchFolder();

// The whole file, or false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);
// Replaces the file's contents (a plain write: the harnesses set up state).
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace taliq::fuzz

#endif  // TALIQ_TESTS_FUZZ_FUZZ_SUPPORT_H_
