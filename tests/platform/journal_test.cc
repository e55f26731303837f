// The rollback journal: its bytes, the recovery's decisions on every state
// an interrupted save can leave, and in-place rewrites.
#include "platform/journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/crc32.h"
#include "platform/journal_format.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

namespace fs = std::filesystem;

// A file that does not exist, as a state.
constexpr char kAbsent[] = "<absent>";

std::string State(const std::string& path) {
  if (!FileExists(path)) return kAbsent;
  return ReadText(path);
}

void SetState(const std::string& path, const std::string& state) {
  if (state == kAbsent) {
    fs::remove(path);
    return;
  }
  WriteText(path, state);
}

JournalRecord Record(std::int64_t offset, std::int64_t oldSize, std::int64_t newSize,
                     std::string oldBytes, std::string newBytes) {
  return JournalRecord{offset, oldSize, newSize, std::move(oldBytes), std::move(newBytes)};
}

TEST(JournalFormatTest, Crc32IsTheCommonOne) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
}

TEST(JournalFormatTest, RecordsRoundTripAndAnyDamageIsRefused) {
  const JournalRecord records[] = {
      Record(3, 20, 20, "abcd", "dcba"),     // a group rewritten
      Record(0, 4, 9, "abcd", "longer!!!"),  // a whole file grown
      Record(0, 9, 2, "longer!!!", "ab"),    // and shrunk
      Record(0, kFileAbsent, 3, "", "new"),  // a file created
      Record(0, 0, 0, "", ""),               // nothing at all
      Record(7, 8, 8, std::string(1, '\0'), std::string(1, '\xff')),
  };
  for (const JournalRecord& r : records) {
    SCOPED_TRACE(r.oldBytes + " -> " + r.newBytes);
    ASSERT_TRUE(IsValidJournalRecord(r));
    const std::string bytes = EncodeJournal(r);
    EXPECT_EQ(bytes.size(), kJournalOverhead + r.oldBytes.size() + r.newBytes.size());
    JournalRecord back;
    ASSERT_TRUE(DecodeJournal(bytes, &back));
    EXPECT_EQ(back.offset, r.offset);
    EXPECT_EQ(back.oldSize, r.oldSize);
    EXPECT_EQ(back.newSize, r.newSize);
    EXPECT_EQ(back.oldBytes, r.oldBytes);
    EXPECT_EQ(back.newBytes, r.newBytes);
    // Every journal torn while it was written, and every single bit
    // flipped, fails.
    for (size_t n = 0; n < bytes.size(); ++n) {
      EXPECT_FALSE(DecodeJournal(bytes.substr(0, n), &back)) << "first " << n << " bytes";
    }
    EXPECT_FALSE(DecodeJournal(bytes + "x", &back));
    for (size_t bit = 0; bit < 8 * bytes.size(); ++bit) {
      std::string flipped = bytes;
      flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
      EXPECT_FALSE(DecodeJournal(flipped, &back)) << "bit " << bit;
    }
  }
}

TEST(JournalFormatTest, RecordsThatDescribeNoWriteAreInvalid) {
  const struct {
    const char* name;
    JournalRecord record;
  } cases[] = {
      {"negative offset", Record(-1, 10, 10, "a", "b")},
      {"old bytes past the end", Record(8, 10, 10, "abc", "def")},
      {"new bytes past the end", Record(9, 10, 10, "a", "bc")},
      {"size change of a part", Record(2, 10, 12, "ab", "abcd")},
      {"whole file but not all of it", Record(0, 10, 12, "ab", "abcdefghijkl")},
      {"created file with old bytes", Record(0, kFileAbsent, 1, "a", "b")},
      {"created file of another size", Record(0, kFileAbsent, 5, "", "b")},
      {"size below absent", Record(0, -2, 0, "", "")},
      {"too many bytes", Record(0, kMaxJournalRegion + 1, kMaxJournalRegion + 1,
                                std::string(kMaxJournalRegion + 1, 'a'), "")},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(IsValidJournalRecord(c.record)) << c.name;
    // Written anyway, with a good checksum: still refused.
    JournalRecord back;
    EXPECT_FALSE(DecodeJournal(EncodeJournal(c.record), &back)) << c.name;
  }
}

class RecoveryTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.Join("table"); }
  TempDir dir_;
  TestPlatform platform_;
};

// What recovery makes of each state the steps of an in-place write can
// leave: the file (before), its journal, and what the file holds after.
TEST_F(RecoveryTest, NewBytesCompleteTheSaveAnythingElseRollsItBack) {
  using Action = Recovery::Action;
  const std::string table = "HEAD:0123456789:TAIL";
  const std::string written = "HEAD:9876543210:TAIL";
  const JournalRecord group = Record(5, 20, 20, "0123456789", "9876543210");
  const JournalRecord grow = Record(0, 4, 10, "abcd", "0123456789");
  const JournalRecord shrink = Record(0, 10, 4, "0123456789", "abcd");
  const JournalRecord create = Record(0, kFileAbsent, 5, "", "fresh");
  const std::string groupJournal = EncodeJournal(group);
  const struct {
    const char* name;
    std::string before;
    std::string journal;  // empty: none
    Action action;
    std::string after;
  } cases[] = {
      {"no journal", table, "", Action::kNone, table},
      {"torn journal", table, groupJournal.substr(0, 30), Action::kDiscarded, table},
      {"journal of other bytes", table, "not a journal at all", Action::kDiscarded, table},
      {"new bytes in place", written, groupJournal, Action::kCompleted, written},
      {"old bytes in place", table, groupJournal, Action::kRolledBack, table},
      {"torn write", "HEAD:98765:6789:TAIL", groupJournal, Action::kRolledBack, table},
      {"other bytes", "HEAD:xxxxxxxxxx:TAIL", groupJournal, Action::kRolledBack, table},
      {"table cut short", "HEAD:987", groupJournal, Action::kRolledBack,
       std::string("HEAD:0123456789") + std::string(5, '\0')},
      {"grown, torn", "0123", EncodeJournal(grow), Action::kRolledBack, "abcd"},
      {"grown, torn longer", "012345", EncodeJournal(grow), Action::kRolledBack, "abcd"},
      {"grown, written", "0123456789", EncodeJournal(grow), Action::kCompleted, "0123456789"},
      {"shrunk, not cut yet", "abcd456789", EncodeJournal(shrink), Action::kCompleted, "abcd"},
      {"shrunk, torn", "ab23456789", EncodeJournal(shrink), Action::kRolledBack, "0123456789"},
      {"created, not yet", kAbsent, EncodeJournal(create), Action::kRolledBack, kAbsent},
      {"created, torn", "fr", EncodeJournal(create), Action::kRolledBack, kAbsent},
      {"created, written", "fresh", EncodeJournal(create), Action::kCompleted, "fresh"},
      {"whole file gone", kAbsent, EncodeJournal(grow), Action::kRolledBack, "abcd"},
      {"part of a file gone", kAbsent, groupJournal, Action::kDiscarded, kAbsent},
  };
  for (const bool wide : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (wide ? " (wide)" : " (narrow)"));
      SetState(Path(), c.before);
      if (!c.journal.empty()) SetState(JournalPath(Path()), c.journal);
      const Recovery r = wide ? RecoverInterruptedSave(&platform_, Utf8ToUtf16(Path()))
                              : RecoverInterruptedSave(&platform_, Path());
      EXPECT_TRUE(r.status.ok()) << r.status.message();
      EXPECT_EQ(r.action, c.action);
      EXPECT_EQ(State(Path()), c.after);
      EXPECT_FALSE(FileExists(JournalPath(Path())));
      // The user hears of it once, with the file named.
      EXPECT_EQ(r.note.empty(), c.action == Action::kNone) << r.note;
      if (!r.note.empty()) {
        EXPECT_EQ(r.note.rfind(Path() + ": ", 0), 0u) << r.note;
      }
    }
  }
}

// A journal that cannot be read or acted on stays, and says why.
TEST_F(RecoveryTest, AJournalThatCannotBeResolvedIsKept) {
  const JournalRecord group = Record(0, 4, 4, "abcd", "dcba");
  const struct {
    const char* name;
    std::vector<std::string> failOpen;
    std::vector<std::string> failWrites;
    bool fileIsLink;
    bool namesJournal;  // the message is about the journal, not the file
  } cases[] = {
      {"journal unreadable", {"table.journal"}, {}, false, true},
      {"file cannot be opened", {"/table"}, {}, false, false},
      {"old bytes cannot be written back", {}, {"/table"}, false, false},
      {"the file is a link now", {}, {}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.Join("table");
    if (c.fileIsLink) {
      SetState(dir.Join("victim"), "dcxx");
      fs::create_symlink(dir.Join("victim"), path);
    } else {
      SetState(path, "dcxx");
    }
    SetState(JournalPath(path), EncodeJournal(group));
    TestPlatform platform;
    platform.failOpen = c.failOpen;
    platform.failWrites = c.failWrites;
    const Recovery r = RecoverInterruptedSave(&platform, path);
    EXPECT_FALSE(r.status.ok());
    EXPECT_EQ(r.action, Recovery::Action::kNone);
    EXPECT_TRUE(FileExists(JournalPath(path)));
    EXPECT_EQ(State(path), "dcxx");
    EXPECT_EQ(r.status.message().rfind(c.namesJournal ? JournalPath(path) : path + ": ", 0), 0u)
        << r.status.message();
  }
}

class RewriteInPlaceTest : public RecoveryTest {};

TEST_F(RewriteInPlaceTest, WritesThePartAfterTheCheckAndLeavesNoJournal) {
  SetState(Path(), "HEAD:0123456789:TAIL");
  std::string seen;
  // The check sees the bytes before the part it is given too.
  const Status s = RewriteInPlace(&platform_, Path(), {5, "9876543210", false, 5},
                                  [&](std::string_view current) {
                                    seen = current;
                                    return Status::Ok();
                                  });
  EXPECT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(seen, "HEAD:0123456789");
  EXPECT_EQ(State(Path()), "HEAD:9876543210:TAIL");
  EXPECT_FALSE(FileExists(JournalPath(Path())));
}

TEST_F(RewriteInPlaceTest, RefusesWithoutWritingAnything) {
  const std::string group = "9876543210";
  const std::string tooMuch(kMaxJournalRegion + 1, 'x');
  const struct {
    const char* name;
    std::int64_t offset;
    const std::string* bytes;
    bool wholeFile;
    bool checkRefuses;
    Status::Code code;
  } cases[] = {
      {"the check refuses", 5, &group, false, true, Status::Code::kChanged},
      {"past the end", 15, &group, false, false, Status::Code::kChanged},
      {"negative offset", -1, &group, false, false, Status::Code::kRefused},
      {"too much", 0, &tooMuch, true, false, Status::Code::kRefused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetState(Path(), "HEAD:0123456789:TAIL");
    const Status s = RewriteInPlace(
        &platform_, Path(), {c.offset, *c.bytes, c.wholeFile}, [&](std::string_view) {
          return c.checkRefuses ? Status::Changed(Path(), "other entries") : Status::Ok();
        });
    EXPECT_EQ(s.code(), c.code) << s.message();
    EXPECT_EQ(State(Path()), "HEAD:0123456789:TAIL");
    EXPECT_FALSE(FileExists(JournalPath(Path())));
  }
}

}  // namespace
}  // namespace taliq::test
