// A dictionary installation in a temporary Program Files tree, built with the
// production writer, for the store's tests.
#ifndef TALIQ_TESTS_DICTIONARY_STORE_TEST_UTIL_H_
#define TALIQ_TESTS_DICTIONARY_STORE_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dictionary/candidate.h"
#include "dictionary/coding.h"
#include "dictionary/dictionary_store.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "dictionary/scan_kernels.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {

// Program Files is reported as ".../Program Files (x86)", so the second copy
// lives below ".../Program Files".
class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { platform_.SetProgramFilesFolder(tmp_.Join("Program Files (x86)")); }

  // "chs", "cht", "chs_2002" or "cht_2002" of the first or second copy.
  std::string Folder(const std::string& sub, bool second = false) const {
    return tmp_.Join(std::string(second ? "Program Files" : "Program Files (x86)") +
                     "/lurm/rozevuv_cht/mb/" + sub);
  }
  std::string Install(const DictionaryWriter& w, const std::string& sub = "chs",
                      bool second = false) {
    const std::string folder = Folder(sub, second);
    tmp_.MakeDirs(folder.substr(tmp_.path().size() + 1));
    std::string error;
    EXPECT_TRUE(w.WriteFolder(folder, &error)) << error;
    return folder;
  }
  std::string PathOf(const std::string& file, const std::string& sub = "chs",
                     bool second = false) const {
    return Folder(sub, second) + "/" + file;
  }

  TempDir tmp_;
  TestPlatform platform_;
};

inline std::vector<std::u16string> Texts(const CandidateList& list, int count) {
  std::vector<std::u16string> out;
  for (int i = 0; i < count; ++i) out.emplace_back(list[static_cast<size_t>(i)].Text());
  return out;
}

// A phrase text of n units, distinct per seed.
inline std::u16string PhraseText(int n, char16_t seed = u'\u4e00') {
  std::u16string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(seed + i));
  return s;
}

inline constexpr DictionaryId kChs{Charset::kSimplified, Edition::kStandard};
inline constexpr DictionaryId kCht{Charset::kTraditional, Edition::kStandard};

// The status has the code, and its message names `text` (a file, mostly).
inline void ExpectStatus(const Status& status, Status::Code code, std::string_view text) {
  EXPECT_EQ(status.code(), code) << status.message();
  EXPECT_NE(status.message().find(text), std::string::npos) << status.message();
}

inline void PutFixed16At(std::vector<std::uint8_t>* bytes, size_t pos, std::uint16_t v) {
  EncodeFixed16(bytes->data() + pos, v);
}

}  // namespace taliq::test

#endif  // TALIQ_TESTS_DICTIONARY_STORE_TEST_UTIL_H_
