#include "dictionary/table_compile.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

#include "dictionary/candidate.h"
#include "dictionary/format.h"
#include "dictionary/open_file.h"
#include "dictionary/table_text.h"

namespace taliq {
namespace {

constexpr std::size_t kSourceChunkSize = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Item {
  int position = 0;
  std::int64_t line = 0;
  std::u16string text;
  std::array<std::uint16_t, 3> values = {0, 0, 0};
};

struct CodeItems {
  std::string code;
  std::vector<Item> items;
};

// What the lines of one file hold, and what is wrong with them.
class TableReader {
 public:
  TableReader(const std::string& path, TextTable table) : path_(path), table_(table) {}

  void AddLine(std::int64_t number, std::string_view line);
  // Adds what was read to the writer, checking what only the whole table
  // shows.
  void AddTo(DictionaryWriter* writer);
  std::vector<CompileProblem>& problems() { return problems_; }

 private:
  void Problem(std::int64_t line, std::string problem) {
    problems_.push_back({path_, line, std::move(problem)});
  }
  // Whether the code fits the table; says why not.
  bool CheckCode(std::int64_t number, const std::string& code);
  bool CheckEntry(std::int64_t number, const TableLine& line);
  void AddCode(const CodeItems& code, DictionaryWriter* writer);

  const std::string path_;
  const TextTable table_;
  std::vector<CodeItems> codes_;
  std::unordered_map<std::string, std::size_t> codeIndex_;
  std::vector<CompileProblem> problems_;
};

std::string Quoted(std::u16string_view text) { return "'" + EscapeText(text) + "'"; }

bool TableReader::CheckCode(std::int64_t number, const std::string& code) {
  if (table_ == TextTable::kPunctuation) {
    if (code == kPunctuationLineCode) return true;
    Problem(number, "the punctuation table's lines have the code '-', not '" + code + "'");
    return false;
  }
  const std::size_t maxDigits = table_ == TextTable::kCharacters ? 4 : 6;
  const std::u16string code16(code.begin(), code.end());
  if (code.size() <= maxDigits && BucketOf(code16) >= 0) return true;
  Problem(number, "the code '" + code + "' is not one to " + (maxDigits == 4 ? "four" : "six") +
                      " digits 0-9" +
                      (table_ == TextTable::kCharacters ? " (the character table's codes)" : ""));
  return false;
}

bool TableReader::CheckEntry(std::int64_t number, const TableLine& line) {
  if (line.position == 0) {
    if (table_ == TextTable::kPunctuation) {
      Problem(number, "positions start at 1");
      return false;
    }
    if (!line.text.empty() || !line.values.empty()) {
      Problem(number,
              "position 0 stands for a code with no candidates: its text and values "
              "must be empty");
      return false;
    }
    return true;
  }
  const std::size_t wantValues = table_ == TextTable::kCharacters ? 3
                                 : table_ == TextTable::kPhrases  ? 2
                                                                  : 0;
  if (line.values.size() != wantValues) {
    const char* what = table_ == TextTable::kCharacters ? "a character entry holds three values"
                       : table_ == TextTable::kPhrases  ? "a phrase entry holds two values"
                                                        : "a punctuation mark holds no values";
    Problem(number, std::string(what) + ", not " + std::to_string(line.values.size()));
    return false;
  }
  if (table_ == TextTable::kCharacters && line.text.size() != 1) {
    Problem(number, "a character entry is one UTF-16 unit; " + Quoted(line.text) + " is " +
                        std::to_string(line.text.size()));
    return false;
  }
  if (table_ == TextTable::kPunctuation && line.text.size() > 1) {
    Problem(number, "a punctuation mark is one UTF-16 unit; " + Quoted(line.text) + " is " +
                        std::to_string(line.text.size()));
    return false;
  }
  return true;
}

void TableReader::AddLine(std::int64_t number, std::string_view text) {
  if (text.empty() || text == "\r") return;  // blank lines are allowed
  TableLine line;
  std::string error;
  if (!ParseTableLine(text, &line, &error)) {
    Problem(number, error);
    return;
  }
  if (!CheckCode(number, line.code) || !CheckEntry(number, line)) return;
  auto [it, added] = codeIndex_.try_emplace(line.code, codes_.size());
  if (added) codes_.push_back({line.code, {}});
  Item item;
  item.position = line.position;
  item.line = number;
  item.text = std::move(line.text);
  std::copy(line.values.begin(), line.values.end(), item.values.begin());
  codes_[it->second].items.push_back(std::move(item));
}

void TableReader::AddCode(const CodeItems& code, DictionaryWriter* writer) {
  const std::u16string code16(code.code.begin(), code.code.end());
  bool any = false;
  for (const Item& item : code.items) {
    if (item.position == 0) continue;
    any = true;
    bool added = true;
    switch (table_) {
      case TextTable::kCharacters:
        added = writer->AddCharacter(code16, {item.text[0], item.values});
        break;
      case TextTable::kPhrases:
        added = writer->AddPhrase(code16, {item.text, {item.values[0], item.values[1]}});
        break;
      case TextTable::kPunctuation:
        writer->AddPunctuation(item.text.empty() ? u'\0' : item.text[0]);
        break;
    }
    if (!added) {
      Problem(item.line, table_ == TextTable::kCharacters
                             ? "the character table cannot hold U+0000, nor U+FFFF as character "
                               "or value 65535 (0xFFFF ends a code group)"
                             : "a phrase cannot hold U+0000 (it ends the text) or U+FFFF (it "
                               "ends the code group)");
    }
  }
  if (!any) {
    if (table_ == TextTable::kCharacters) writer->AddEmptyCharacterGroup(code16);
    if (table_ == TextTable::kPhrases) writer->AddEmptyPhraseGroup(code16);
  }
}

void TableReader::AddTo(DictionaryWriter* writer) {
  for (CodeItems& code : codes_) {
    std::stable_sort(code.items.begin(), code.items.end(),
                     [](const Item& a, const Item& b) { return a.position < b.position; });
    const auto total = std::count_if(code.items.begin(), code.items.end(),
                                     [](const Item& item) { return item.position > 0; });
    int entries = 0;
    for (std::size_t i = 0; i < code.items.size(); ++i) {
      const Item& item = code.items[i];
      if (i > 0 && item.position == code.items[i - 1].position) {
        const Item& first = code.items[i - 1];
        Problem(std::max(item.line, first.line),
                "position " + std::to_string(item.position) + " of code " + code.code +
                    " is given twice (lines " + std::to_string(std::min(item.line, first.line)) +
                    " and " + std::to_string(std::max(item.line, first.line)) + ")");
      }
      if (item.position > 0 && ++entries == kCandidateListCapacity + 1 &&
          table_ != TextTable::kPunctuation) {
        Problem(item.line, "code " + code.code + " has " + std::to_string(total) +
                               " candidates; a code holds at most " +
                               std::to_string(kCandidateListCapacity));
      }
    }
    AddCode(code, writer);
    code.items.clear();
    code.items.shrink_to_fit();
  }
  std::stable_sort(
      problems_.begin(), problems_.end(),
      [](const CompileProblem& a, const CompileProblem& b) { return a.line < b.line; });
}

}  // namespace

Status CompileTableText(Platform* platform, const std::string& path, TextTable table,
                        DictionaryWriter* writer,
                        const std::function<void(const CompileProblem&)>& problem, int* problems) {
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  TableReader reader(path, table);
  std::vector<char> buffer(kSourceChunkSize);
  std::string pending;  // the start of a line the last read cut
  std::int64_t number = 0;
  bool first = true;
  for (;;) {
    std::size_t got = 0;
    if (!platform->Read(f.get(), buffer.data(), buffer.size(), &got)) {
      return Status::IoError(path, "read failed");
    }
    std::string_view chunk(buffer.data(), got);
    if (first && chunk.size() >= kByteOrderMark.size() &&
        chunk.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      chunk.remove_prefix(kByteOrderMark.size());
    }
    if (got > 0) first = false;
    for (std::size_t nl; (nl = chunk.find('\n')) != std::string_view::npos;) {
      ++number;
      if (pending.empty()) {
        reader.AddLine(number, chunk.substr(0, nl));
      } else {
        pending.append(chunk.substr(0, nl));
        reader.AddLine(number, pending);
        pending.clear();
      }
      chunk.remove_prefix(nl + 1);
    }
    pending.append(chunk);
    if (got < buffer.size()) break;
  }
  if (!pending.empty()) reader.AddLine(++number, pending);
  reader.AddTo(writer);
  for (const CompileProblem& p : reader.problems()) problem(p);
  *problems += static_cast<int>(reader.problems().size());
  return Status::Ok();
}

}  // namespace taliq
