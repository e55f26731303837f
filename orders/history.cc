#include "orders/history.h"

#include <cerrno>
#include <charconv>
#include <functional>
#include <vector>

#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/text_codec.h"
#include "orders/text_lines.h"

namespace taliq {
namespace {

constexpr std::string_view kKindNames[] = {"save", "undo", "reset", "import", "reapply"};
constexpr std::string_view kNoBatch = "-";
constexpr std::size_t kFieldCount = 9;

bool ParseBatch(std::string_view text, std::int64_t* value) {
  if (text.empty() || text.size() > 18 || text[0] == '0') return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::from_chars(text.data(), text.data() + text.size(), *value).ec == std::errc();
}

bool ParseHistoryLine(std::string_view line, HistoryEntry* entry) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::vector<std::string_view> f = SplitTabs(line);
  if (f.size() != kFieldCount || !IsLocalTimeText(f[0])) return false;
  const std::optional<DictionaryId> dictionary = ParseDictionaryName(f[1]);
  const std::optional<OrderTable> table = ParseOrderTableName(f[2]);
  const std::optional<HistoryKind> kind = ParseHistoryKindName(f[6]);
  if (!dictionary || !table || !kind || !IsValidGroupCode(*table, f[3])) return false;
  std::string reason;
  if (!ParseTextOrder(f[4], &entry->change.before, &reason) ||
      !ParseTextOrder(f[5], &entry->change.after, &reason) || !ParseBatch(f[7], &entry->batch)) {
    return false;
  }
  if (*kind == HistoryKind::kUndo) {
    // An undo undoes an earlier batch.
    if (!ParseBatch(f[8], &entry->undoes) || entry->undoes >= entry->batch) return false;
  } else {
    if (f[8] != kNoBatch) return false;
    entry->undoes = 0;
  }
  entry->time = std::string(f[0]);
  entry->change.group = GroupKey{*dictionary, *table, std::string(f[3])};
  entry->kind = *kind;
  return true;
}

// Splits the bytes into lines as they come and parses each. A line that
// does not parse is held back until the next one shows it was not the
// last.
class HistoryScanner {
 public:
  using EntrySink = std::function<void(HistoryEntry&&)>;
  HistoryScanner(History* history, EntrySink sink) : history_(history), sink_(std::move(sink)) {}

  void Feed(std::string_view bytes) {
    SplitAtLineFeeds(bytes, &pending_, [this](std::string_view line) { Line(line); });
  }

  void Finish() {
    if (!pending_.empty()) {
      // The last line has no line break: a write that did not finish.
      CommitFailure();
      history_->tornLastLine = true;
      return;
    }
    if (failedLine_ != 0) history_->tornLastLine = true;
  }

 private:
  void Line(std::string_view line) {
    CommitFailure();
    ++lineNumber_;
    HistoryEntry entry;
    if (!ParseHistoryLine(line, &entry)) {
      failedLine_ = lineNumber_;
      return;
    }
    if (entry.batch > history_->lastBatch) history_->lastBatch = entry.batch;
    sink_(std::move(entry));
  }

  void CommitFailure() {
    if (failedLine_ != 0) history_->malformedLines.push_back(failedLine_);
    failedLine_ = 0;
  }

  History* history_;
  EntrySink sink_;
  std::string pending_;
  int lineNumber_ = 0;
  int failedLine_ = 0;
};

Status ScanHistoryFile(Platform* platform, const std::string& path, History* history,
                       HistoryScanner::EntrySink sink) {
  errno = 0;
  FileHandle file = platform->OpenFile(path, "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return Status::Ok();
    return Status::CannotOpen(path, ErrnoCause(errno));
  }
  HistoryScanner scanner(history, std::move(sink));
  std::vector<char> buffer(64 * 1024);
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    scanner.Feed(std::string_view(buffer.data(), got));
  }
  if (std::ferror(file.get())) return Status::IoError(path, "read failed");
  scanner.Finish();
  return Status::Ok();
}

}  // namespace

std::string_view HistoryKindName(HistoryKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::optional<HistoryKind> ParseHistoryKindName(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kKindNames); ++i) {
    if (kKindNames[i] == name) return static_cast<HistoryKind>(i);
  }
  return std::nullopt;
}

std::string HistoryPath(const std::string& dataDir) { return JoinPath(dataDir, kHistoryFileName); }

bool FormatHistoryLine(const HistoryEntry& entry, std::string* line, std::string* reason) {
  const GroupKey& group = entry.change.group;
  if (!IsValidGroupCode(group.table, group.code)) {
    *reason = "\"" + group.code + "\" is not a code of the " +
              std::string(OrderTableName(group.table)) + " table";
    return false;
  }
  line->clear();
  *line += entry.time;
  *line += '\t';
  *line += DictionaryName(group.dictionary);
  *line += '\t';
  *line += OrderTableName(group.table);
  *line += '\t';
  *line += group.code;
  *line += '\t';
  if (!FormatTextOrder(entry.change.before, line, reason)) return false;
  *line += '\t';
  if (!FormatTextOrder(entry.change.after, line, reason)) return false;
  *line += '\t';
  *line += HistoryKindName(entry.kind);
  *line += '\t';
  *line += std::to_string(entry.batch);
  *line += '\t';
  *line += entry.kind == HistoryKind::kUndo ? std::to_string(entry.undoes) : std::string(kNoBatch);
  *line += '\n';
  return true;
}

void ParseHistory(std::string_view bytes, History* history) {
  *history = History();
  HistoryScanner scanner(history,
                         [history](HistoryEntry&& e) { history->entries.push_back(std::move(e)); });
  scanner.Feed(bytes);
  scanner.Finish();
}

Status ReadHistory(Platform* platform, const std::string& dataDir, History* history) {
  *history = History();
  return ScanHistoryFile(platform, HistoryPath(dataDir), history,
                         [history](HistoryEntry&& e) { history->entries.push_back(std::move(e)); });
}

Status AppendHistory(Platform* platform, const std::string& dataDir, HistoryKind kind,
                     std::span<const OrderChange> changes, const Clock& clock, std::int64_t undoes,
                     std::int64_t* batch) {
  if (kind == HistoryKind::kUndo && undoes <= 0) {
    return Status::Refused("an undo must name the batch it undid");
  }
  if (changes.empty()) return Status::Ok();
  if (Status s = EnsureFolder(platform, dataDir); !s.ok()) return s;
  const std::string path = HistoryPath(dataDir);
  // Only the highest batch number is wanted here, not the entries.
  History existing;
  if (Status s = ScanHistoryFile(platform, path, &existing, [](HistoryEntry&&) {}); !s.ok()) {
    return s;
  }
  HistoryEntry entry;
  entry.time = FormatLocalTime(clock());
  entry.kind = kind;
  entry.batch = existing.lastBatch + 1;
  entry.undoes = undoes;
  if (kind == HistoryKind::kUndo && undoes >= entry.batch) {
    return Status::Refused("batch " + std::to_string(undoes) + " is not in " + path);
  }
  std::string lines;
  std::string line;
  std::string reason;
  for (const OrderChange& change : changes) {
    entry.change = change;
    if (!FormatHistoryLine(entry, &line, &reason)) {
      return Status::Refused("cannot record the change of " +
                             std::string(DictionaryName(change.group.dictionary)) + " " +
                             std::string(OrderTableName(change.group.table)) + " " +
                             change.group.code + " in " + path + ": " + reason);
    }
    lines += line;
  }
  if (Status s = AppendDurably(platform, path, lines); !s.ok()) return s;
  if (batch != nullptr) *batch = entry.batch;
  return Status::Ok();
}

}  // namespace taliq
