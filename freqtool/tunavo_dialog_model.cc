#include "freqtool/tunavo_dialog_model.h"

#include "freqtool/second_copy_warning.h"
#include "orders/group_order.h"
#include "platform/recovery_message.h"
#include "platform/text.h"

namespace taliq {

const char16_t* IndexLoadMessage(const Status& status, const char16_t* failedMessage) {
  if (status.ok()) return nullptr;
  return status.Is(Status::Code::kNoMemory) ? kOutOfMemoryMessage : failedMessage;
}

const char16_t* PunctuationWriteMessage(const Status& status) {
  const bool notOpened = status.Is(Status::Code::kNotFound) || status.Is(Status::Code::kCannotOpen);
  return notOpened ? kPunctuationFileMessage : nullptr;
}

void ReportIndexLoad(Platform* platform, const Status& status, const char16_t* failedMessage) {
  if (const char16_t* text = IndexLoadMessage(status, failedMessage)) {
    platform->MessageBox(text, u"", kMbOk);
  }
}

void ReportPunctuationWrite(Platform* platform, const Status& status) {
  if (const char16_t* text = PunctuationWriteMessage(status)) {
    platform->MessageBox(text, u"", kMbOk);
  }
}

unsigned FrameworkMessageBoxFlags(unsigned flags) {
  if ((flags & kMbIconMask) != 0) return flags;
  switch (flags & kMbTypeMask) {
    case kMbOk:
    case kMbOkCancel:
      return flags | kMbIconWarning;
    case kMbYesNo:
    case kMbYesNoCancel:
      return flags | kMbIconQuestion;
    default:
      return flags;
  }
}

TunavoDialogModel::TunavoDialogModel(Platform* platform, TunavoView* view)
    : platform_(platform != nullptr ? platform : Platform::Default()),
      view_(view),
      store_(platform_),
      keeper_(platform_, &store_) {
  ReportIndexLoad(platform_, store_.indexStatus(), kIndexLoadFailedMessage);
}

void TunavoDialogModel::OnInitDialog(const std::vector<std::u16string>& arguments) {
  WriteControls();
  StartUp(arguments);
  // The index loads of the start-up resolved what an earlier run left.
  TellRecoveries();
}

void TunavoDialogModel::StartUp(const std::vector<std::u16string>& arguments) {
  if (arguments.empty()) return;
  const std::u16string& first = arguments[0];
  // The digit's value as given: only 1 means the 2002 edition.
  edition_ = first.size() >= 2
                 ? EditionFromDigit(static_cast<int>(first[1]) - static_cast<int>(u'0'))
                 : Edition::kStandard;
  if (first.empty() || (first[0] != u'0' && first[0] != u'1')) return;
  charset_ = first[0] == u'0' ? Charset::kSimplified : Charset::kTraditional;
  // Whatever passes the code puts one character before it; it carries no
  // meaning here.
  code_ =
      arguments.size() >= 2 && arguments[1].size() >= 2 ? arguments[1].substr(1) : std::u16string();
  WriteControls();
  Refresh();
}

void TunavoDialogModel::OnCodeChanged() {
  if (writingControls_ > 0) return;
  Refresh();
}

void TunavoDialogModel::OnCharsetClicked() {
  if (writingControls_ > 0) return;
  if (adjustment_.mode() == ListMode::kPunctuation) {
    LoadPunctuationList();
  } else {
    Refresh();
  }
}

void TunavoDialogModel::OnSingleClicked() {
  if (adjustment_.mode() == ListMode::kSingle) return;
  adjustment_.set_mode(ListMode::kSingle);
  Refresh();
}

void TunavoDialogModel::OnPhraseClicked() {
  if (adjustment_.mode() == ListMode::kPhrase) return;
  adjustment_.set_mode(ListMode::kPhrase);
  Refresh();
}

void TunavoDialogModel::OnPunctuationClicked() { LoadPunctuationList(); }

MoveResult TunavoDialogModel::OnMoveToTop() { return Move(&AdjustmentList::MoveToTop, false); }
MoveResult TunavoDialogModel::OnMoveUp() { return Move(&AdjustmentList::MoveUp, false); }
MoveResult TunavoDialogModel::OnMoveDown() { return Move(&AdjustmentList::MoveDown, false); }
MoveResult TunavoDialogModel::OnMoveToBottom() { return Move(&AdjustmentList::MoveToBottom, true); }

SaveStatus TunavoDialogModel::OnSave() {
  // The button is disabled until a line moved; a press that still arrives
  // must not write a list that was never looked up.
  if (!adjustment_.saveEnabled()) return SaveStatus::kNothingToSave;
  keeper_.BeforeSave(PendingChange());
  const SaveStatus status = WriteList();
  // A write resolves what an earlier run left of its own save first.
  TellRecoveries();
  if (status == SaveStatus::kSaved) ShowMessage(kSaveSucceededMessage, kMbIconInformation);
  // When only the second copy failed, the first holds the new order: it can
  // be undone like any save.
  if (status == SaveStatus::kSaved || status == SaveStatus::kSecondCopyFailed) KeepSave();
  return status;
}

SaveStatus TunavoDialogModel::WriteList() {
  // A save another instance holds off says so; the others stay silent, as
  // the dialog always was.
  const auto busy = [this](const Status& written) {
    if (written.Is(Status::Code::kBusy)) ShowMessage(kSaveBusyMessage, kMbIconWarning);
  };
  if (adjustment_.mode() == ListMode::kPunctuation) {
    const int n = adjustment_.ApplyPunctuationOrder();
    const Status written = store_.WritePunctuation(adjustment_.records(), n);
    if (!written.ok()) {
      ReportPunctuationWrite(platform_, written);
      busy(written);
      return SaveStatus::kPunctuationFailed;
    }
    return SaveStatus::kSaved;
  }
  adjustment_.ApplyListOrder();
  if (Status written = store_.WriteCandidates(adjustment_.records(), adjustment_.count(), false);
      !written.ok()) {
    busy(written);
    return SaveStatus::kFirstCopyFailed;
  }
  if (Status written = store_.WriteCandidates(adjustment_.records(), adjustment_.count(), true);
      !written.ok()) {
    busy(written);
    WarnIfSecondCopyDiffers();
    return SaveStatus::kSecondCopyFailed;
  }
  return SaveStatus::kSaved;
}

void TunavoDialogModel::TellRecoveries() {
  const std::string lines = store_.TakeRecoveryNote();
  if (lines.empty()) return;
  view_->ShowRecoveries(RecoveredSavesText(lines), kTunavoTitle, kRecoveredSavesFlags, lines);
}

void TunavoDialogModel::KeepSave() {
  if (keeper_.Saved().ok()) return;
  std::u16string text(kOrdersNotKeptMessage);
  text += u'\n';
  text += Utf8ToUtf16(keeper_.status().message());
  ShowMessage(text, kMbIconWarning);
}

std::string TunavoDialogModel::SaveTargetPath(bool secondCopy) {
  const char* file = nullptr;
  switch (source_) {
    case Source::kNone:
      return std::string();
    case Source::kCharacters:
      file = kCharacterTableFileName;
      break;
    case Source::kPhrases:
      file = kPhraseTableFileName;
      break;
    case Source::kPunctuation:
      file = kPunctuationFileName;
      secondCopy = false;  // only the first copy's table is ever written
      break;
  }
  const std::string folder = store_.ResolveDictionaryFolder(store_.id(), secondCopy);
  return folder.empty() ? std::string() : folder + file;
}

void TunavoDialogModel::Refresh() {
  ClearList();
  ReadControls();
  source_ = Source::kNone;
  if (!code_.empty() && code_.size() <= static_cast<size_t>(kMaxCodeUnits)) {
    // Only a code typed or passed with a non-digit gets here; it has no
    // candidates and the field is left as it is.
    if (!AllDigits(code_)) return;
    adjustment_.set_count(RunLookup());
    FillList();
  }
  WriteControls();
}

void TunavoDialogModel::LoadPunctuationList() {
  adjustment_.set_mode(ListMode::kPunctuation);
  ClearList();
  ReadControls();
  adjustment_.set_count(RunLookup());
  FillList();
  WriteControls();
}

int TunavoDialogModel::RunLookup() {
  ReportIndexLoad(platform_, store_.SelectCharset({charset_, edition_}), kTableLoadFailedMessage);
  TellRecoveries();
  if (adjustment_.mode() == ListMode::kPunctuation) {
    source_ = Source::kPunctuation;
    return store_.ReadPunctuation(adjustment_.records());
  }
  if (adjustment_.mode() == ListMode::kSingle && code_.size() <= 4) {
    source_ = Source::kCharacters;
    return store_.LookupCharacters(code_, adjustment_.records());
  }
  source_ = Source::kPhrases;
  return store_.LookupPhrases(code_, adjustment_.records());
}

void TunavoDialogModel::ClearList() {
  adjustment_.ClearList();
  view_->ResetLines();
  view_->EnableSave(false);
}

void TunavoDialogModel::FillList() {
  adjustment_.FillList();
  for (const std::u16string& line : adjustment_.lines()) view_->InsertLine(-1, line);
}

void TunavoDialogModel::ReadControls() {
  code_ = view_->CodeText();
  // No button checked (-1) reads as the traditional set, as any digit but 0.
  charset_ = CharsetFromDigit(view_->CheckedCharset());
  // The field refuses a seventh character; only a code from the command
  // line can be longer. The framework says so and the caller goes on.
  if (code_.size() > static_cast<size_t>(kMaxCodeUnits)) {
    ShowMessage(kCodeTooLongMessage, kMbIconWarning);
    return;
  }
  view_->LimitCodeText(kMaxCodeUnits);
}

void TunavoDialogModel::WriteControls() {
  ++writingControls_;
  if (view_->CodeText() != code_) view_->SetCodeText(code_);
  view_->CheckCharset(CharsetDigit(charset_));
  view_->LimitCodeText(kMaxCodeUnits);
  --writingControls_;
}

MoveResult TunavoDialogModel::Move(MoveResult (AdjustmentList::*move)(), bool toEnd) {
  const int from = view_->Selection();
  adjustment_.Select(from < view_->LineCount() ? from : kNoSelection);
  const MoveResult result = (adjustment_.*move)();
  switch (result) {
    case MoveResult::kNoSelection:
      ShowMessage(kNoSelectionMessage, kMbOk);
      break;
    case MoveResult::kNoMove:
      break;
    case MoveResult::kMoved: {
      const int to = adjustment_.selection();
      const std::u16string text = view_->LineText(from);
      view_->DeleteLine(from);
      view_->InsertLine(toEnd ? -1 : to, text);
      view_->SetSelection(to);
      view_->EnableSave(true);
      break;
    }
  }
  return result;
}

void TunavoDialogModel::WarnIfSecondCopyDiffers() {
  const std::optional<std::u16string> warning = SecondCopyWarning(store_.status(), store_.id());
  if (warning) ShowMessage(*warning, kMbIconWarning);
}

OrderChange TunavoDialogModel::PendingChange() const {
  OrderChange change;
  change.group.dictionary = store_.id();
  switch (source_) {
    case Source::kPunctuation:
      change.group.table = OrderTable::kPunctuation;
      change.group.code = std::string(kPunctuationCode);
      break;
    case Source::kPhrases:
      change.group.table = OrderTable::kPhrases;
      change.group.code.assign(code_.begin(), code_.end());
      break;
    default:
      change.group.table = OrderTable::kCharacters;
      change.group.code.assign(code_.begin(), code_.end());
      break;
  }
  const int count = static_cast<int>(adjustment_.lines().size());
  change.before = RecordTexts(adjustment_.records(), count, change.group.table);
  change.after = adjustment_.lines();
  return change;
}

int TunavoDialogModel::ShowMessage(std::u16string_view text, unsigned flags) {
  return view_->ShowMessage(text, kTunavoTitle, FrameworkMessageBoxFlags(flags));
}

}  // namespace taliq
