// DictionaryStore: the one object through which the frequency tool reads and
// rewrites the installed dictionary files.
//
// Only the index of the current character set and edition is held in memory;
// every lookup and every write opens and closes its file within the call.
// The file formats are described in docs/dictionary-format.md.
#ifndef TALIQ_DICTIONARY_DICTIONARY_STORE_H_
#define TALIQ_DICTIONARY_DICTIONARY_STORE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dictionary/candidate.h"
#include "platform/platform.h"

namespace taliq {

enum class TableKind : int { Characters = 1, Phrases = 2 };

// File names inside a dictionary folder.
inline constexpr char kIndexFileName[] = "lurm2008.idx";
inline constexpr char kCharacterTableFileName[] = "lurmsmz.mb";
inline constexpr char kPhraseTableFileName[] = "lurmsmc.mb";
inline constexpr char kPunctuationFileName[] = "Pround.dat";

// Index layout.
inline constexpr std::size_t kIndexHeaderSize = 64;
inline constexpr int kBucketCount = 1210;
inline constexpr std::size_t kCharacterLengthsOffset = 64;
inline constexpr std::size_t kPhraseLengthsOffset = 2484;
inline constexpr std::size_t kMinIndexSize = 7324;
inline constexpr std::uint32_t kTableHeaderSize = 64;

// Messages the store shows (no owner window, default caption, OK).
inline constexpr char16_t kIndexLoadFailedMessage[] =
    u"加載字詞碼本索引文件失敗,請重新安裝本軟件";
inline constexpr char16_t kTableLoadFailedMessage[] = u"加載碼本文件失敗,請重新安裝本軟件";
inline constexpr char16_t kOutOfMemoryMessage[] = u"內存申請失敗,請先關閉一些程序";
inline constexpr char16_t kPunctuationFileMessage[] = u"pun file not found!";

// Bucket of a code of decimal digits (1 to 6 units), or -1 for any other code.
int BucketOf(std::u16string_view code);

// Writes the code packed in three bytes as text plus terminator into `out`
// (at least 7 units); returns the units written, terminator included (1-7).
int UnpackDigits(const std::uint8_t packed[3], char16_t* out);

// The instructions the lookups' block scans use. The fastest the processor
// offers is chosen at the first lookup; the tests run each in turn.
enum class ScanKernel : int { kPortable = 0, kSse2 = 1, kAvx2 = 2 };
// Whether this build, on this processor, can run `kernel`.
bool ScanKernelAvailable(ScanKernel kernel);
// Makes every later lookup use `kernel`; false, changing nothing, when it is
// not available. Not to be called while lookups run on other threads.
bool UseScanKernel(ScanKernel kernel);
ScanKernel ActiveScanKernel();

class DictionaryStore {
 public:
  // Loads the index of the simplified standard edition and reports a failure
  // with a message box. The store is usable whatever the outcome.
  explicit DictionaryStore(Platform* platform = Platform::Default());
  ~DictionaryStore();
  DictionaryStore(const DictionaryStore&) = delete;
  DictionaryStore& operator=(const DictionaryStore&) = delete;

  // The dictionary folder of the first (trimAtParenthesis false) or second
  // installed copy, ending in the path separator; empty when the platform
  // cannot name the Program Files folder.
  std::string ResolveDictionaryFolder(int charset, int edition, bool trimAtParenthesis);

  // 1 loaded; 0 file missing, unreadable or too short; -1 no memory.
  int LoadIndex();
  // Makes the pair current; reloads the index (with messages) when it changed.
  void SelectCharset(int charset, int edition);
  // 0 found, -1 refused.
  int FindBlock(std::u16string_view code, TableKind table, std::int32_t* offset,
                std::uint32_t* length) const;

  // Number of records filled (0-300), or -1 when no index can be held.
  // A code that is not 1-4 (characters) or 1-6 (phrases) digits gives 0, as
  // does a damaged table: the scan ends at the block's or the file's end
  // with the records completed so far.
  int LookupCharacters(std::u16string_view code, CandidateList& list);
  int LookupPhrases(std::u16string_view code, CandidateList& list);

  // Rewrites the group of the last lookup in the given copy with the first
  // `count` records, in list order, in the table that lookup read. Bytes
  // written, or 0 when nothing was written: copy missing, no group matched,
  // the dictionary changed since, the bytes at matchOffset not holding
  // exactly these entries (in any order), or a failed write.
  int WriteCandidates(const CandidateList& list, int count, bool trimAtParenthesis);

  // Marks read from the first copy (at most 300); sets characterCount.
  int ReadPunctuation(CandidateList& list);
  // Writes the first `count` marks, then the file's marks beyond the 300th
  // unchanged, as a new file renamed over the old one (rewritten in place
  // where the platform refuses the rename). 1 written, 0 failed (after the
  // "pun file not found!" message when the file could not be created).
  int WritePunctuation(const CandidateList& list, int count);

  int charset() const { return charset_; }
  int edition() const { return edition_; }
  bool HasIndex() const { return index_ != nullptr; }
  int characterCount() const { return characterCount_; }
  int phraseCount() const { return phraseCount_; }
  std::int32_t matchOffset() const { return matchOffset_; }

 private:
  enum class LastTable { None, Characters, Phrases };
  enum class Placement { kFound, kBadCode, kNoIndex, kOutOfRange };

  std::string FilePath(std::string_view fileName, bool trimAtParenthesis);
  void ReportLoadFailure(int result, const char16_t* missingMessage);
  Placement Place(std::u16string_view code, TableKind table, std::int32_t* offset,
                  std::uint32_t* length) const;
  void RememberMatch(std::u16string_view code, LastTable table, std::int32_t entryOffset);
  // The lookup both tables share: the records filled, or -1 without an index.
  int Lookup(std::u16string_view code, TableKind table, CandidateList& list);

  Platform* const platform_;
  int charset_ = 0;
  int edition_ = 0;
  std::unique_ptr<std::uint8_t[]> index_;
  std::size_t indexSize_ = 0;
  // Offset of every block in both tables (the header plus the lengths before
  // it), worked out once per index: kBucketCount character offsets, then as
  // many phrase offsets.
  std::unique_ptr<std::int64_t[]> blockOffsets_;
  int characterCount_ = 0;
  int phraseCount_ = 0;
  std::int32_t matchOffset_ = 0;
  // The table the last lookup matched a group in, so that a write-back goes
  // to the table the list came from.
  LastTable lastTable_ = LastTable::None;
  // The code and dictionary of that match: a write-back checks that the
  // group at matchOffset_ still belongs to them.
  std::uint32_t matchCodeValue_ = 0;
  std::uint32_t matchCodeMask_ = 0;
  bool matchTraditional_ = false;
  bool match2002_ = false;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_DICTIONARY_STORE_H_
