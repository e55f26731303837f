// The frequency tool's commands on the user's orders: undo, reset, export,
// import, the history and the re-apply offer after a replaced installation.
#include <cerrno>
#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "orders/history.h"
#include "orders/history_undo.h"
#include "orders/text_codec.h"
#include "orders/user_orders.h"
#include "platform/replace_file.h"
#include "platform/text.h"

namespace taliq {
namespace {

std::u16string U16(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::u16string KindLabel(HistoryKind kind) {
  switch (kind) {
    case HistoryKind::kSave:
      return u"儲存";
    case HistoryKind::kUndo:
      return u"復原";
    case HistoryKind::kReset:
      return u"恢復原始順序";
    case HistoryKind::kImport:
      return u"匯入";
    case HistoryKind::kReapply:
      return u"重新套用";
  }
  return u"";
}

std::u16string DictionaryLabel(DictionaryId id) {
  std::u16string label = id.charset == Charset::kSimplified ? u"簡體" : u"繁體";
  if (id.edition == Edition::k2002) label += u"2002";
  return label;
}

// "繁體 單字 123", "簡體2002 標點".
std::u16string GroupLabel(const GroupKey& group) {
  std::u16string label = DictionaryLabel(group.dictionary) + u" ";
  switch (group.table) {
    case OrderTable::kCharacters:
      return label + u"單字 " + U16(group.code);
    case OrderTable::kPhrases:
      return label + u"詞組 " + U16(group.code);
    case OrderTable::kPunctuation:
      return label + u"標點";
  }
  return label;
}

std::u16string OrderLabel(const TextOrder& order) {
  std::u16string text;
  for (const std::u16string& t : order) {
    if (!text.empty()) text += u' ';
    text += t;
  }
  return text;
}

// One history line as the history dialog lists it.
std::u16string HistoryLine(const HistoryEntry& e) {
  return U16(e.time) + u"\t" + KindLabel(e.kind) + u"\t" + GroupLabel(e.change.group) + u"\t" +
         OrderLabel(e.change.before) + u" → " + OrderLabel(e.change.after);
}

// The lines an import could not apply, one each, at most a screenful.
std::u16string NotAppliedLines(const ImportReport& report) {
  constexpr std::size_t kShown = 10;
  std::u16string text;
  for (std::size_t i = 0; i < report.notApplied.size() && i < kShown; ++i) {
    const MalformedOrdersLine& line = report.notApplied[i];
    text += u"\n第 " + DecimalUtf16(line.lineNumber) + u" 行:" + U16(line.reason);
  }
  if (report.notApplied.size() > kShown) {
    text += u"\n……另有 " + DecimalUtf16(static_cast<long long>(report.notApplied.size() - kShown)) +
            u" 行";
  }
  return text;
}

std::u16string ImportSummary(const ImportReport& report) {
  std::u16string text = u"將改變 " + DecimalUtf16(static_cast<long long>(report.changed.size())) +
                        u" 個編碼的順序," + DecimalUtf16(report.unchanged) + u" 個已是該順序";
  if (!report.notApplied.empty()) {
    text += u"," + DecimalUtf16(static_cast<long long>(report.notApplied.size())) +
            u" 行無法套用:" + NotAppliedLines(report);
  } else {
    text += u"。";
  }
  return text;
}

std::u16string ImportResult(std::u16string_view lead, const ImportReport& report) {
  std::u16string text = std::u16string(lead) +
                        DecimalUtf16(static_cast<long long>(report.changed.size())) +
                        u" 個編碼的順序。";
  if (!report.notApplied.empty()) {
    text += u"\n" + DecimalUtf16(static_cast<long long>(report.notApplied.size())) +
            u" 行無法套用,其餘已套用:" + NotAppliedLines(report);
  }
  return text;
}

// The whole file, read through the platform (the name as the user chose it).
Status ReadWholeFile(Platform* platform, const std::u16string& path, std::string* bytes) {
  FileHandle file = platform->OpenFileW(path, "rb");
  const std::string name = Utf16ToUtf8(path);
  if (!file) return Status::CannotOpen(name, errno);
  bytes->clear();
  char buffer[64 * 1024];
  std::size_t got = 0;
  bool ok = true;
  while ((ok = platform->Read(file.get(), buffer, sizeof(buffer), &got)) && got > 0) {
    bytes->append(buffer, got);
  }
  platform->Close(file);
  return ok ? Status::Ok() : Status::IoError(name, "read failed");
}

}  // namespace

void TunavoDialogModel::OnUndo() {
  UndoStep step;
  const Status s = keeper_.Undo(&step);
  if (s.Is(Status::Code::kRefused) && s.message() == kNothingToUndo) {
    ShowMessage(u"沒有可復原的儲存。", kMbIconInformation);
    return;
  }
  if (!s.ok()) {
    ShowMessage(u"無法復原上次儲存:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  Relist();
  std::u16string text = u"已復原 " + U16(step.time) + u" 的" + KindLabel(step.kind) + u":";
  for (const OrderChange& change : step.changes) text += u"\n" + GroupLabel(change.group);
  ShowMessage(text, kMbIconInformation);
}

void TunavoDialogModel::OnResetCode() {
  GroupKey group;
  group.dictionary = store_.id();
  switch (source_) {
    case Source::kNone:
      ShowMessage(u"請先列出要恢復原始順序的編碼。", kMbIconInformation);
      return;
    case Source::kCharacters:
      group.table = OrderTable::kCharacters;
      group.code = Utf16ToUtf8(code_);
      break;
    case Source::kPhrases:
      group.table = OrderTable::kPhrases;
      group.code = Utf16ToUtf8(code_);
      break;
    case Source::kPunctuation:
      group.table = OrderTable::kPunctuation;
      group.code = std::string(kPunctuationCode);
      break;
  }
  ResetReport report;
  const Status s = ResetGroup(keeper_, group, &report);
  if (!s.ok()) {
    ShowMessage(u"無法恢復 " + GroupLabel(group) + u" 的原始順序:\n" + U16(s.message()),
                kMbIconWarning);
    return;
  }
  Relist();
  if (report.changes.empty()) {
    ShowMessage(GroupLabel(group) + u" 已是原始順序。", kMbIconInformation);
  } else {
    ShowMessage(u"已恢復 " + GroupLabel(group) + u" 的原始順序。", kMbIconInformation);
  }
}

void TunavoDialogModel::OnExport() {
  std::string dataDir;
  if (Status s = keeper_.DataFolder(&dataDir); !s.ok()) {
    ShowMessage(u"無法匯出調頻記錄:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  std::u16string path;
  if (!view_->AskSaveFileName(u"taliq-orders.tsv", &path)) return;
  std::string text;
  ExportReport report;
  Status s = ExportOrders(
      platform_, store_, dataDir, kAllDictionaries,
      [&](std::string_view piece) {
        text += piece;
        return Status::Ok();
      },
      &report);
  // The file is replaced whole: a failed export leaves the old one.
  if (s.ok()) s = ReplaceFileContents(platform_, path, text);
  if (!s.ok()) {
    ShowMessage(u"無法匯出調頻記錄:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  std::u16string message =
      u"已匯出 " + DecimalUtf16(report.groups) + u" 個編碼的調頻記錄到\n" + path;
  for (const std::string& left : report.leftOut) message += u"\n未匯出:" + U16(left);
  ShowMessage(message, kMbIconInformation);
}

void TunavoDialogModel::OnImport() {
  std::u16string path;
  if (!view_->AskOpenFileName(&path)) return;
  std::string bytes;
  const std::string name = Utf16ToUtf8(path);
  ImportReport report;
  Status s = ReadWholeFile(platform_, path, &bytes);
  if (s.ok()) s = ImportOrdersText(keeper_, bytes, name, true, HistoryKind::kImport, &report);
  if (!s.ok()) {
    ShowMessage(u"無法匯入調頻記錄:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  if (report.changed.empty()) {
    ShowMessage(path + u"\n沒有要改變的順序:" + ImportSummary(report), kMbIconInformation);
    return;
  }
  if (!ConfirmImport(path + u"\n", report)) return;
  s = ImportOrdersText(keeper_, bytes, name, false, HistoryKind::kImport, &report);
  Relist();
  if (!s.ok()) {
    ShowMessage(u"無法匯入調頻記錄:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  ShowMessage(ImportResult(u"已匯入 ", report), kMbIconInformation);
}

void TunavoDialogModel::OnHistory() {
  std::string dataDir;
  History history;
  Status s = keeper_.DataFolder(&dataDir);
  if (s.ok()) s = ReadHistory(platform_, dataDir, &history);
  if (!s.ok()) {
    ShowMessage(u"無法讀取調頻歷史:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  std::vector<std::u16string> lines;
  lines.reserve(history.entries.size());
  for (auto it = history.entries.rbegin(); it != history.entries.rend(); ++it) {
    lines.push_back(HistoryLine(*it));
  }
  view_->ShowHistoryDialog(lines);
}

void TunavoDialogModel::OnStartUp() {
  ReplacedCheck check;
  const Status s = CheckReplaced(keeper_, &check);
  // Without a user data folder nothing was ever kept: nothing to offer.
  if (s.Is(Status::Code::kNotFound)) return;
  if (!s.ok()) {
    ShowMessage(u"無法檢查碼本是否被替換:\n" + U16(s.message()), kMbIconWarning);
    return;
  }
  if (!check.reapplyPending) return;
  ImportReport report;
  if (Status dry = Reapply(keeper_, true, &report); !dry.ok() || report.changed.empty()) return;
  if (!ConfirmImport(u"碼本檔案已被重新安裝或替換,您先前的調頻順序可以重新套用。\n", report)) {
    return;
  }
  const Status applied = Reapply(keeper_, false, &report);
  Relist();
  if (!applied.ok()) {
    ShowMessage(u"無法重新套用調頻記錄:\n" + U16(applied.message()), kMbIconWarning);
    return;
  }
  ShowMessage(ImportResult(u"已重新套用 ", report), kMbIconInformation);
}

bool TunavoDialogModel::ConfirmImport(std::u16string_view lead, const ImportReport& report) {
  const std::u16string text = std::u16string(lead) + ImportSummary(report) + u"\n\n是否套用?";
  return ShowMessage(text, kMbYesNo | kMbIconQuestion) == kIdYes;
}

void TunavoDialogModel::Relist() {
  if (source_ == Source::kPunctuation) {
    LoadPunctuationList();
  } else if (source_ != Source::kNone) {
    Refresh();
  }
}

}  // namespace taliq
