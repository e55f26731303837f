// The punctuation table: reading at most 300 marks, and replacing the file
// whole without losing the marks the list could not hold.
#include <filesystem>

#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class PunctuationTest : public StoreTest {
 protected:
  // The folder holds no index: the punctuation table needs none.
  void SetUp() override { tmp_.MakeDirs("Program Files (x86)/lurm/rozevuv_cht/mb/chs"); }
  std::string Pround() const { return PathOf("Pround.dat"); }
  // Whether a temporary file ("~Pround.dat.XXXXXXXX.tmp"), or the one of
  // old, "~Pround.dat", is left beside the table.
  bool TempFileLeft() const {
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(Pround()).parent_path())) {
      if (e.path().filename().string().rfind("~Pround.dat", 0) == 0) return true;
    }
    return false;
  }
  // Records of (mark, second unit).
  void WriteTable(const std::vector<std::pair<char16_t, std::uint16_t>>& records,
                  size_t trailing = 0) {
    Bytes bytes;
    for (auto [mark, second] : records) {
      PutFixed16(&bytes, mark);
      PutFixed16(&bytes, second);
    }
    bytes.resize(bytes.size() + trailing, 0x7E);
    WriteBytes(Pround(), bytes);
  }
  static Bytes Table(const std::vector<char16_t>& marks) {
    Bytes bytes;
    for (char16_t m : marks) {
      PutFixed16(&bytes, m);
      PutFixed16(&bytes, 0x0020);
    }
    return bytes;
  }
  CandidateList list_{};
};

TEST_F(PunctuationTest, ReadsWholeRecordsAndWritesTheFillerUnit) {
  WriteTable({{0x3002, 0x0041}, {0xFF0C, 0x0020}}, 2);  // 10 bytes
  DictionaryStore store(&platform_);
  platform_.messages.clear();
  list_[2].SetMark(u'x');
  EXPECT_EQ(store.ReadPunctuation(list_), 2);
  EXPECT_EQ(store.characterCount(), 2);
  EXPECT_EQ(list_[0].MarkText(), u"\u3002");
  EXPECT_EQ(list_[0].values[1], 0);  // the second unit reads as the terminator
  EXPECT_EQ(list_[1].MarkText(), u"\uff0c");
  EXPECT_EQ(list_[2].Mark(), u'x');

  std::swap(list_[0], list_[1]);
  EXPECT_TRUE(store.WritePunctuation(list_, 2).ok());
  EXPECT_EQ(ReadBytes(Pround()), Table({0xFF0C, 0x3002}));
  EXPECT_FALSE(TempFileLeft());
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(PunctuationTest, EmptyTables) {
  WriteTable({});
  DictionaryStore store(&platform_);
  platform_.messages.clear();
  EXPECT_EQ(store.ReadPunctuation(list_), 0);
  WriteTable({{u'a', 0x20}});
  EXPECT_TRUE(store.WritePunctuation(list_, 0).ok());
  EXPECT_EQ(ReadBytes(Pround()).size(), 0u);
  std::remove(Pround().c_str());
  EXPECT_EQ(store.ReadPunctuation(list_), 0);  // missing: no message
  EXPECT_EQ(store.status().code(), Status::Code::kNotFound);
  EXPECT_TRUE(platform_.messages.empty());
  list_[0].SetMark(0);  // an empty row writes the mark 0
  EXPECT_TRUE(store.WritePunctuation(list_, 1).ok());
  EXPECT_EQ(ReadBytes(Pround()), Table({0}));
}

TEST_F(PunctuationTest, MarksBeyondTheListSurviveARoundTrip) {
  std::vector<std::pair<char16_t, std::uint16_t>> records;
  for (int i = 0; i < 350; ++i) {
    records.push_back({static_cast<char16_t>(0x3000 + i), static_cast<std::uint16_t>(i)});
  }
  WriteTable(records, 3);
  const Bytes before = ReadBytes(Pround());
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.ReadPunctuation(list_), 300);
  std::reverse(list_.begin(), list_.end());
  ASSERT_TRUE(store.WritePunctuation(list_, 300).ok());

  std::vector<char16_t> listed;
  for (int i = 299; i >= 0; --i) listed.push_back(static_cast<char16_t>(0x3000 + i));
  Bytes expected = Table(listed);
  expected.insert(expected.end(), before.begin() + 1200, before.end());  // byte for byte
  EXPECT_EQ(ReadBytes(Pround()), expected);
  ASSERT_EQ(store.ReadPunctuation(list_), 300);
  EXPECT_EQ(list_[0].Mark(), 0x3000 + 299);
}

TEST_F(PunctuationTest, RefusedRenameRewritesInPlace) {
  WriteTable({{u'a', 0x20}, {u'b', 0x20}});
  platform_.refuseReplace = true;
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.ReadPunctuation(list_), 2);
  std::swap(list_[0], list_[1]);
  EXPECT_TRUE(store.WritePunctuation(list_, 2).ok());
  EXPECT_EQ(ReadBytes(Pround()), Table({u'b', u'a'}));
  EXPECT_FALSE(TempFileLeft());
}

TEST_F(PunctuationTest, FailuresAreReported) {
  // kTemp is the temporary file, "/Pround.dat" only the table itself.
  const std::string kTemp = "~Pround.dat.*.tmp";
  // The tool shows its "pun file not found!" box for the files that could
  // not be opened (kCannotOpen), and nothing for a failed write (kIoError).
  using Code = Status::Code;
  struct Case {
    const char* name;
    std::vector<std::string> failOpenForWrite;
    std::vector<std::string> failWrites;
    bool refuseReplace;
    Code code;
    bool oldTableKept;
  };
  const Case cases[] = {
      {"cannot create", {"Pround.dat", kTemp}, {}, false, Code::kCannotOpen, true},
      {"write fails", {}, {"Pround.dat", kTemp}, false, Code::kIoError, true},
      {"write fails, rename refused", {}, {"Pround.dat", kTemp}, true, Code::kIoError, true},
      // Rewritten in place under a journal: what the failed write left is
      // rolled back.
      {"in-place write fails", {}, {"/Pround.dat"}, true, Code::kIoError, true},
      {"in-place create fails", {"/Pround.dat"}, {}, true, Code::kCannotOpen, true},
      {"only the table unwritable", {"/Pround.dat"}, {"/Pround.dat"}, false, Code::kOk, false},
  };
  for (const Case& c : cases) {
    WriteTable({{u'a', 0x41}, {u'b', 0x42}});
    const Bytes before = ReadBytes(Pround());
    TestPlatform platform;
    platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
    platform.failOpenForWrite = c.failOpenForWrite;
    platform.failWrites = c.failWrites;
    platform.refuseReplace = c.refuseReplace;
    DictionaryStore store(&platform);
    ASSERT_EQ(store.ReadPunctuation(list_), 2) << c.name;
    std::swap(list_[0], list_[1]);
    const Status status = store.WritePunctuation(list_, 2);
    EXPECT_EQ(status.code(), c.code) << c.name << ": " << status.message();
    if (!status.ok()) {
      EXPECT_NE(status.message().find("Pround.dat"), std::string::npos) << status.message();
    }
    if (c.oldTableKept) {
      EXPECT_EQ(ReadBytes(Pround()), before) << c.name;
    }
    if (status.ok()) {
      EXPECT_EQ(ReadBytes(Pround()), Table({u'b', u'a'})) << c.name;
    }
    EXPECT_FALSE(TempFileLeft()) << c.name;
    EXPECT_TRUE(platform.messages.empty()) << c.name;
  }
}

TEST_F(PunctuationTest, MissingFolderCannotBeWritten) {
  platform_.SetProgramFilesFolder(tmp_.Join("nowhere"));
  DictionaryStore store(&platform_);
  list_[0].SetMark(u'a');
  // The results the tool shows "pun file not found!" for.
  EXPECT_EQ(store.WritePunctuation(list_, 1).code(), Status::Code::kNotFound);
  EXPECT_TRUE(platform_.messages.empty());
  platform_.failProgramFiles = true;
  EXPECT_EQ(store.WritePunctuation(list_, 1).code(), Status::Code::kNotFound);
}

TEST_F(PunctuationTest, OnlyTheFirstCopyIsWritten) {
  WriteTable({{u'a', 0x20}});
  const std::string second = tmp_.MakeDirs("Program Files/lurm/rozevuv_cht/mb/chs") + "/Pround.dat";
  WriteBytes(second, Table({u'z'}));
  DictionaryStore store(&platform_);
  list_[0].SetMark(u'q');
  EXPECT_TRUE(store.WritePunctuation(list_, 1).ok());
  EXPECT_EQ(ReadBytes(Pround()), Table({u'q'}));
  EXPECT_EQ(ReadBytes(second), Table({u'z'}));
}

}  // namespace
}  // namespace taliq::test
