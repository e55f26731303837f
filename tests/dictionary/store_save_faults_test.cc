// The dictionary's saves with every step failing, and with the process
// ending at every step: the group write of both copies (a small character
// group, and a phrase group of more than 4096 bytes), and the punctuation
// table (replaced, or rewritten in place when another program holds it).
// Afterwards, and after the recovery the next index load runs, each file
// holds all of its old bytes or all of its new ones, the copies were
// written in order, and the status says which.
#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>

#include "platform/journal.h"
#include "tests/dictionary/store_test_util.h"
#include "tests/support/crash_child.h"
#include "tests/support/fault_cases.h"

namespace taliq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { kGroup, kLargeGroup, kPunctuation, kHeldPunctuation };

struct SaveKind {
  const char* name;
  Kind kind;
};
constexpr SaveKind kKinds[] = {
    {"group", Kind::kGroup},
    {"large_group", Kind::kLargeGroup},
    {"punctuation", Kind::kPunctuation},
    {"held_punctuation", Kind::kHeldPunctuation},
};

bool IsPunctuation(Kind kind) {
  return kind == Kind::kPunctuation || kind == Kind::kHeldPunctuation;
}

// A phrase group of 120 entries of 20 units: 5520 bytes, more than one
// 4096-byte block of a C stream.
constexpr char16_t kLargeCode[] = u"12345";
constexpr int kLargeCount = 120;

DictionaryWriter Fixture() {
  DictionaryWriter w;
  w.AddCharacter(u"1", {u'一', {7, 7, 7}});
  w.AddCharacter(u"123", {u'丙', {10, 11, 12}});
  w.AddCharacter(u"123", {u'丁', {20, 21, 22}});
  w.AddCharacter(u"123", {u'戊', {30, 31, 32}});
  w.AddCharacter(u"1239", {u'己', {40, 41, 42}});
  for (int i = 0; i < kLargeCount; ++i) {
    w.AddPhrase(kLargeCode, {PhraseText(20, static_cast<char16_t>(0x4E00 + 40 * i)),
                             {static_cast<std::uint16_t>(i), 1}});
  }
  w.AddPhrase(u"123456", {u"丙丁", {1, 2}});
  for (char16_t mark : {u'，', u'。', u'、', u'；'}) w.AddPunctuation(mark);
  return w;
}

// Two installed copies below `root`, and their files as bytes.
struct Machine {
  explicit Machine(std::string folder) : root(std::move(folder)) {}
  std::string Folder(bool second) const {
    return root + (second ? "/Program Files" : "/Program Files (x86)") +
           "/lurm/rozevuv_cht/mb/chs/";
  }
  void Create() const {
    for (bool second : {false, true}) {
      std::filesystem::create_directories(Folder(second));
      std::string error;
      EXPECT_TRUE(Fixture().WriteFolder(Folder(second), &error)) << error;
    }
  }
  void Configure(TestPlatform* platform, Kind kind) const {
    platform->SetProgramFilesFolder(root + "/Program Files (x86)");
    platform->refuseReplace = kind == Kind::kHeldPunctuation;
  }
  // The file the save changes, in each copy.
  std::array<std::string, 2> Files(Kind kind) const {
    const char* file = IsPunctuation(kind)         ? kPunctuationFileName
                       : kind == Kind::kLargeGroup ? kPhraseTableFileName
                                                   : kCharacterTableFileName;
    return {Folder(false) + file, Folder(true) + file};
  }
  std::string root;
};

// The list the save writes: the group (or the punctuation table) looked up
// and reversed; its length.
int ReversedList(Kind kind, DictionaryStore* store, CandidateList* list) {
  int count = 0;
  if (IsPunctuation(kind)) {
    count = store->ReadPunctuation(*list);
  } else if (kind == Kind::kLargeGroup) {
    count = store->LookupPhrases(kLargeCode, *list);
  } else {
    count = store->LookupCharacters(u"123", *list);
  }
  EXPECT_GT(count, 2);
  std::reverse(list->begin(), list->begin() + std::max(count, 0));
  return count;
}

// The save as Save does it: the first copy, then, only if that worked, the
// second (the punctuation table: the first copy only).
struct Outcome {
  bool first = false;
  bool second = false;
  bool saved(Kind kind) const { return first && (second || IsPunctuation(kind)); }
};
Outcome Write(Kind kind, DictionaryStore* store, const CandidateList& list, int count) {
  Outcome o;
  if (IsPunctuation(kind)) {
    o.first = store->WritePunctuation(list, count).ok();
    return o;
  }
  o.first = store->WriteCandidates(list, count, false).ok();
  if (o.first) o.second = store->WriteCandidates(list, count, true).ok();
  return o;
}

template <int I>
int Child(const std::string& dir) {
  const Machine machine(dir);
  TestPlatform base;
  machine.Configure(&base, kKinds[I].kind);
  FaultPlatform platform(&base);
  DictionaryStore store(&platform);
  CandidateList list{};
  const int count = ReversedList(kKinds[I].kind, &store, &list);
  // The fault counts from the writes on.
  platform.ArmFromEnvironment();
  return Write(kKinds[I].kind, &store, list, count).saved(kKinds[I].kind) ? 0 : 1;
}
const bool kRegistered = RegisterCrashScenario(kKinds[0].name, Child<0>) &&
                         RegisterCrashScenario(kKinds[1].name, Child<1>) &&
                         RegisterCrashScenario(kKinds[2].name, Child<2>) &&
                         RegisterCrashScenario(kKinds[3].name, Child<3>);
static_assert(std::size(kKinds) == 4);

class StoreSaveFaultsTest : public ::testing::TestWithParam<int> {
 protected:
  Kind kind() const { return kKinds[GetParam()].kind; }
  const char* name() const { return kKinds[GetParam()].name; }

  // The files before and after a save without a fault, and the save's calls.
  void SetUp() override {
    TempDir dir(TempDir::Where::kMemory);
    const Machine machine(dir.path());
    machine.Create();
    const std::array<std::string, 2> files = machine.Files(kind());
    for (int c = 0; c < 2; ++c) old_[c] = ReadBytes(files[static_cast<size_t>(c)]);
    TestPlatform base;
    machine.Configure(&base, kind());
    FaultPlatform platform(&base);
    DictionaryStore store(&platform);
    CandidateList list{};
    const int count = ReversedList(kind(), &store, &list);
    platform.Arm(0, FaultKind::kFail);
    ASSERT_TRUE(Write(kind(), &store, list, count).saved(kind()));
    calls_ = platform.log();
    for (int c = 0; c < 2; ++c) new_[c] = ReadBytes(files[static_cast<size_t>(c)]);
    ASSERT_NE(old_[0], new_[0]);
    if (!IsPunctuation(kind())) {
      ASSERT_NE(old_[1], new_[1]);
    }
  }

  // A fresh store, as the next start loads its index, and what each copy's
  // file then holds: "N" new, "O" old, "?" anything else.
  std::string RecoveredStates(const Machine& machine) {
    TestPlatform platform;
    machine.Configure(&platform, kind());
    DictionaryStore store(&platform);
    EXPECT_TRUE(store.indexStatus().ok()) << store.indexStatus().message();
    std::string states;
    const std::array<std::string, 2> files = machine.Files(kind());
    for (int c = 0; c < 2; ++c) {
      const std::string& f = files[static_cast<size_t>(c)];
      EXPECT_FALSE(FileExists(JournalPath(f))) << f;
      const Bytes b = ReadBytes(f);
      states += b == new_[c] ? (b == old_[c] ? 'O' : 'N') : b == old_[c] ? 'O' : '?';
    }
    return states;
  }

  Bytes old_[2];
  Bytes new_[2];
  std::vector<CallKind> calls_;
};

TEST_P(StoreSaveFaultsTest, EveryFailingCallLeavesEachCopyOldOrNewAndTheStatusSaysWhich) {
  const std::vector<FaultCase> cases = FaultCasesOf(calls_, false);
  int failed = 0;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    const Machine machine(dir.path());
    machine.Create();
    TestPlatform base;
    machine.Configure(&base, kind());
    FaultPlatform platform(&base);
    DictionaryStore store(&platform);
    CandidateList list{};
    const int count = ReversedList(kind(), &store, &list);
    platform.Arm(c.at, c.kind);
    const Outcome o = Write(kind(), &store, list, count);
    ASSERT_TRUE(platform.fired());
    const std::string states = RecoveredStates(machine);
    if (IsPunctuation(kind())) {
      EXPECT_EQ(states, o.first ? "NO" : "OO");
    } else {
      EXPECT_EQ(states, o.first ? (o.second ? "NN" : "NO") : "OO");
    }
    failed += o.saved(kind()) ? 0 : 1;
  }
  std::cout << "[ faults ] " << name() << ": " << calls_.size() << " calls, " << cases.size()
            << " cases, " << failed << " reported as not saved\n";
}

TEST_P(StoreSaveFaultsTest, EveryCrashPointLeavesEachCopyOldOrNewAfterTheNextIndexLoad) {
  const std::vector<FaultCase> cases = FaultCasesOf(calls_, true);
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    const Machine machine(dir.path());
    machine.Create();
    ASSERT_EQ(RunCrashChild(name(), dir.path(), c.at, c.kind), kCrashExitCode);
    const std::string states = RecoveredStates(machine);
    EXPECT_TRUE(states == "OO" || states == "NO" || states == "NN") << states;
    if (IsPunctuation(kind())) {
      EXPECT_EQ(states[1], 'O');
    }
  }
  TempDir dir(TempDir::Where::kMemory);
  const Machine machine(dir.path());
  machine.Create();
  EXPECT_EQ(
      RunCrashChild(name(), dir.path(), static_cast<int>(calls_.size()) + 1, FaultKind::kCrash), 0);
  EXPECT_EQ(RecoveredStates(machine), IsPunctuation(kind()) ? "NO" : "NN");
  std::cout << "[ crashes ] " << name() << ": " << cases.size() << " crash points\n";
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoreSaveFaultsTest, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return std::string(kKinds[param.param].name);
                         });

}  // namespace
}  // namespace taliq::test
