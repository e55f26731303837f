// Snapshots of the original dictionary: made once and kept, numbered on,
// a half-made one recognised and made again, copies and stored files checked
// by their digests; and the recorded installation state.
#include "orders/snapshot.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "orders/data_folder.h"
#include "orders/install_state.h"
#include "tests/orders/dictionary_ids.h"
#include "tests/orders/corrupting_platform.h"

namespace taliq::test {
namespace {

Clock FixedClock(std::int64_t seconds) {
  return [seconds] { return LocalTime{seconds, 480}; };
}
const Clock kClock = FixedClock(1796846706);  // 2026-12-10T04:05:06+08:00

class SnapshotTest : public ::testing::Test {
 protected:
  SnapshotTest() {
    source_ = tmp_.MakeDirs("Program Files (x86)/lurm/rozevuv_cht/mb/cht");
    // The phrase table spans several copy buffers.
    contents_ = {std::string(7324, 'i'), std::string(5000, 'z'),
                 std::string(3 * kCopyBufferSize + 5, 'c'), std::string(400, 'p')};
    WriteSource();
    EXPECT_TRUE(platform_.UserDataFolder(&data_));
  }

  void WriteSource() {
    for (std::size_t i = 0; i < 4; ++i) {
      WriteBytes(JoinPath(source_, kDictionaryFileNames[i]), BytesOf(contents_[i]));
    }
  }

  std::string NumberFolder(int n, DictionaryId id = kCht) const {
    return JoinPath(SnapshotsFolder(data_, id), std::to_string(n));
  }

  // The snapshot folder holds the given contents and a manifest for them.
  void ExpectSnapshot(int n, const std::array<std::string, 4>& contents,
                      const std::string& time = "2026-12-10T04:05:06+08:00") {
    SCOPED_TRACE("snapshot " + std::to_string(n));
    std::string manifest = "# taliq-snapshot 1\n";
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string name(kDictionaryFileNames[i]);
      EXPECT_EQ(ReadText(JoinPath(NumberFolder(n), name)), contents[i]) << name;
      manifest += name + "\t" + std::to_string(contents[i].size()) + "\t" +
                  DigestHex(Sha256::Of(contents[i])) + "\t" + time + "\n";
    }
    EXPECT_EQ(ReadText(JoinPath(NumberFolder(n), "manifest.tsv")), manifest);
  }

  int Current() {
    Snapshot s;
    const Status status = CurrentSnapshot(&platform_, data_, kCht, &s);
    if (status.Is(Status::Code::kNotFound)) return 0;
    EXPECT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(s.folder, NumberFolder(s.number));
    return s.number;
  }

  TempDir tmp_;
  CorruptingPlatform platform_;
  std::string source_;
  std::string data_;
  std::array<std::string, 4> contents_;
};

TEST_F(SnapshotTest, MadeOnceThenKept) {
  EXPECT_EQ(Current(), 0);
  Snapshot s;
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
  EXPECT_EQ(s.number, 1);
  EXPECT_EQ(s.folder, JoinPath(data_, "snapshots/cht/1"));
  ExpectSnapshot(1, contents_);
  EXPECT_TRUE(VerifySnapshot(&platform_, s).ok());

  // The tool writes into the dictionary; the original stays as it was.
  const std::array<std::string, 4> original = contents_;
  contents_[1] = std::string(5000, 'Z');
  WriteSource();
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, FixedClock(0), &s).ok());
  EXPECT_EQ(s.number, 1);
  ExpectSnapshot(1, original);
  EXPECT_FALSE(FileExists(NumberFolder(2)));
  // Each dictionary has its own.
  EXPECT_TRUE(CurrentSnapshot(&platform_, data_, kChs, &s).Is(Status::Code::kNotFound));
}

TEST_F(SnapshotTest, NewSnapshotsAreNumberedOnAndOldOnesKept) {
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock).ok());
  const std::array<std::string, 4> first = contents_;
  contents_[0] = std::string(7400, 'j');
  WriteSource();
  Snapshot s;
  ASSERT_TRUE(
      TakeNewSnapshot(&platform_, data_, kCht, source_, FixedClock(1796846706 + 3600), &s).ok());
  EXPECT_EQ(s.number, 2);
  EXPECT_EQ(s.manifest.time, "2026-12-10T05:05:06+08:00");
  EXPECT_EQ(Current(), 2);
  ExpectSnapshot(1, first);
  ExpectSnapshot(2, contents_, "2026-12-10T05:05:06+08:00");

  // Snapshots removed by hand leave gaps that the numbering steps over.
  std::filesystem::remove_all(NumberFolder(1));
  ASSERT_TRUE(TakeNewSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
  EXPECT_EQ(s.number, 3);
  std::filesystem::remove_all(NumberFolder(2));
  EXPECT_EQ(Current(), 3);
}

TEST_F(SnapshotTest, TheNumberIsTheHighestFolderReachedOverGapsOfAtMostSixteen) {
  const struct {
    std::vector<std::string> folders;  // copies of a complete snapshot
    int current;
  } cases[] = {
      {{"1", "17"}, 17},
      {{"1", "18"}, 1},
      {{"1", "3", "19", "35"}, 35},
      {{"1", "3", "19", "36"}, 19},
      {{"2", "40"}, 2},
      // Only the names the numbering writes count.
      {{"1", "01", "+2", "2x", "0"}, 1},
      {{"0", "007"}, 0},
  };
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock).ok());
  const std::string complete = tmp_.Join("complete");
  std::filesystem::rename(NumberFolder(1), complete);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folders.back());
    std::filesystem::remove_all(SnapshotsFolder(data_, kCht));
    for (const std::string& name : c.folders) {
      std::filesystem::create_directories(SnapshotsFolder(data_, kCht));
      std::filesystem::copy(complete, JoinPath(SnapshotsFolder(data_, kCht), name));
    }
    // A file with a number for its name is no snapshot.
    WriteBytes(JoinPath(SnapshotsFolder(data_, kCht), std::to_string(c.current + 1)), {1});
    EXPECT_EQ(Current(), c.current);
  }
}

TEST_F(SnapshotTest, HalfMadeSnapshotIsIgnoredAndMadeAgain) {
  const struct {
    const char* name;
    void (*damage)(const std::string& folder);
  } cases[] = {
      {"no manifest",
       [](const std::string& f) { std::filesystem::remove(JoinPath(f, "manifest.tsv")); }},
      {"manifest cut short",
       [](const std::string& f) {
         const std::string path = JoinPath(f, "manifest.tsv");
         std::vector<std::uint8_t> bytes = ReadBytes(path);
         bytes.resize(bytes.size() - 30);
         WriteBytes(path, bytes);
       }},
      {"a copy shorter than the manifest says",
       [](const std::string& f) { WriteBytes(JoinPath(f, "lurmsmc.mb"), BytesOf("short")); }},
      {"a copy missing",
       [](const std::string& f) { std::filesystem::remove(JoinPath(f, "Pround.dat")); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(JoinPath(data_, "snapshots"));
    // Alone, it does not count, and EnsureSnapshot makes it again in place.
    ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock).ok());
    c.damage(NumberFolder(1));
    EXPECT_EQ(Current(), 0);
    Snapshot s;
    ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
    EXPECT_EQ(s.number, 1);
    ExpectSnapshot(1, contents_);

    // Above a complete one, the complete one is current and the next
    // snapshot is made in the half-made one's folder.
    ASSERT_TRUE(TakeNewSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
    c.damage(NumberFolder(2));
    EXPECT_EQ(Current(), 1);
    ASSERT_TRUE(TakeNewSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
    EXPECT_EQ(s.number, 2);
    ExpectSnapshot(2, contents_);
    EXPECT_EQ(Current(), 2);
  }
}

TEST_F(SnapshotTest, FailedSnapshotLeavesNoManifest) {
  // The last copy cannot be written.
  platform_.failOpenForWrite = {"/1/~Pround.dat.*.tmp"};
  Status s = EnsureSnapshot(&platform_, data_, kCht, source_, kClock);
  EXPECT_TRUE(s.Is(Status::Code::kCannotOpen)) << s.message();
  EXPECT_EQ(s.message().rfind(JoinPath(NumberFolder(1), "Pround.dat") + ": cannot open: ", 0), 0u);
  EXPECT_FALSE(FileExists(JoinPath(NumberFolder(1), "manifest.tsv")));
  EXPECT_EQ(Current(), 0);
  platform_.failOpenForWrite.clear();

  // A source file is missing.
  std::filesystem::remove(JoinPath(source_, "lurmsmz.mb"));
  s = EnsureSnapshot(&platform_, data_, kCht, source_, kClock);
  EXPECT_TRUE(s.Is(Status::Code::kNotFound));
  EXPECT_EQ(s.message(), JoinPath(source_, "lurmsmz.mb") + ": missing");
  EXPECT_EQ(Current(), 0);

  // A copy reads back differently from its source.
  WriteSource();
  platform_.corruptReadsOf = "/1/~lurmsmc.mb.*.tmp";
  s = EnsureSnapshot(&platform_, data_, kCht, source_, kClock);
  EXPECT_TRUE(s.Is(Status::Code::kCorruption)) << s.message();
  EXPECT_EQ(Current(), 0);

  platform_.corruptReadsOf.clear();
  Snapshot taken;
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock, &taken).ok());
  EXPECT_EQ(taken.number, 1);
  ExpectSnapshot(1, contents_);
}

TEST_F(SnapshotTest, AFailedRedoLeavesNoManifestFromBefore) {
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock).ok());
  Snapshot s;
  ASSERT_TRUE(TakeNewSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
  WriteBytes(JoinPath(NumberFolder(2), "lurmsmz.mb"), BytesOf("short"));
  // The index changes but keeps its size; the redo stops after copying it
  // and the character table.
  contents_[0] = std::string(7324, 'I');
  WriteSource();
  platform_.failOpenForWrite = {"/2/~lurmsmc.mb.*.tmp"};
  EXPECT_FALSE(TakeNewSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
  // Every size now matches the old manifest, which must not vouch for the
  // new index.
  EXPECT_FALSE(FileExists(JoinPath(NumberFolder(2), "manifest.tsv")));
  EXPECT_EQ(Current(), 1);
}

TEST_F(SnapshotTest, VerifyFindsAChangedFileOfTheSameSize) {
  Snapshot s;
  ASSERT_TRUE(EnsureSnapshot(&platform_, data_, kCht, source_, kClock, &s).ok());
  ASSERT_TRUE(VerifySnapshot(&platform_, s).ok());
  WriteBytes(JoinPath(s.folder, "lurmsmz.mb"), BytesOf(std::string(5000, 'y')));
  // Sizes match, so it still counts as complete; only the digest tells.
  EXPECT_EQ(Current(), 1);
  const Status v = VerifySnapshot(&platform_, s);
  EXPECT_TRUE(v.Is(Status::Code::kCorruption));
  EXPECT_EQ(v.message(), JoinPath(s.folder, "lurmsmz.mb") +
                             ": damaged: not the file the manifest lists (5000 bytes, SHA-256 " +
                             DigestHex(Sha256::Of(std::string(5000, 'y'))) + ")");
}

TEST_F(SnapshotTest, InstallStateTellsAReplacedInstallation) {
  InstallComparison c;
  ASSERT_TRUE(CompareInstallState(&platform_, data_, kCht, source_, &c).ok());
  EXPECT_EQ(c.result, InstallComparison::Result::kNoRecord);

  ASSERT_TRUE(RecordInstallState(&platform_, data_, kCht, source_, kClock).ok());
  const std::string state = ReadText(JoinPath(data_, "state/cht.tsv"));
  EXPECT_EQ(state.rfind("# taliq-state 1\nlurm2008.idx\t7324\t" +
                            DigestHex(Sha256::Of(contents_[0])) + "\t2026-12-10T04:05:06+08:00\n",
                        0),
            0u)
      << state;
  ASSERT_TRUE(CompareInstallState(&platform_, data_, kCht, source_, &c).ok());
  EXPECT_EQ(c.result, InstallComparison::Result::kUnchanged);
  EXPECT_EQ(c.recordedTime, "2026-12-10T04:05:06+08:00");

  // Replaced from outside: same size, other bytes; and a file gone.
  WriteBytes(JoinPath(source_, "lurmsmz.mb"), BytesOf(std::string(5000, 'q')));
  std::filesystem::remove(JoinPath(source_, "Pround.dat"));
  ASSERT_TRUE(CompareInstallState(&platform_, data_, kCht, source_, &c).ok());
  EXPECT_EQ(c.result, InstallComparison::Result::kReplaced);
  EXPECT_EQ(c.changedFiles, (std::vector<std::string>{"lurmsmz.mb", "Pround.dat (missing)"}));

  // After the next save's record the installation is the known one again.
  WriteSource();
  contents_[2] = "changed by a save";
  WriteSource();
  ASSERT_TRUE(RecordInstallState(&platform_, data_, kCht, source_, kClock).ok());
  ASSERT_TRUE(CompareInstallState(&platform_, data_, kCht, source_, &c).ok());
  EXPECT_EQ(c.result, InstallComparison::Result::kUnchanged);

  // A damaged record is reported, not taken for "no record".
  WriteBytes(JoinPath(data_, "state/cht.tsv"), BytesOf("# taliq-state 1\nlurm2008.idx\t1\n"));
  const Status s = CompareInstallState(&platform_, data_, kCht, source_, &c);
  EXPECT_TRUE(s.Is(Status::Code::kCorruption));
  EXPECT_EQ(s.message(), JoinPath(data_, "state/cht.tsv") +
                             ": damaged: line 2: expected 4 fields separated by tabs");
}

}  // namespace
}  // namespace taliq::test
