#include "freqtool/tunavo_dialog_model.h"

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
      store_(platform_) {
  ReportIndexLoad(platform_, store_.indexStatus(), kIndexLoadFailedMessage);
}

void TunavoDialogModel::OnInitDialog(const std::vector<std::u16string>& arguments) {
  WriteControls();
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
  code_ = arguments.size() >= 2 && arguments[1].size() >= 2 ? arguments[1].substr(1)
                                                              : std::u16string();
  WriteControls();
  Refresh();
}

void TunavoDialogModel::OnCodeChanged() {
  if (writingControls_ > 0) return;
  Refresh();
}

void TunavoDialogModel::OnCharsetClicked() {
  if (writingControls_ > 0) return;
  if (adjustment_.mode() == ListMode::Punctuation) {
    LoadPunctuationList();
  } else {
    Refresh();
  }
}

void TunavoDialogModel::OnSingleClicked() {
  if (adjustment_.mode() == ListMode::Single) return;
  adjustment_.set_mode(ListMode::Single);
  Refresh();
}

void TunavoDialogModel::OnPhraseClicked() {
  if (adjustment_.mode() == ListMode::Phrase) return;
  adjustment_.set_mode(ListMode::Phrase);
  Refresh();
}

void TunavoDialogModel::OnPunctuationClicked() { LoadPunctuationList(); }

MoveResult TunavoDialogModel::OnMoveToTop() { return Move(&AdjustmentList::MoveToTop, false); }
MoveResult TunavoDialogModel::OnMoveUp() { return Move(&AdjustmentList::MoveUp, false); }
MoveResult TunavoDialogModel::OnMoveDown() { return Move(&AdjustmentList::MoveDown, false); }
MoveResult TunavoDialogModel::OnMoveToBottom() {
  return Move(&AdjustmentList::MoveToBottom, true);
}

SaveStatus TunavoDialogModel::OnSave() {
  // The button is disabled until a line moved; a press that still arrives
  // must not write a list that was never looked up.
  if (!adjustment_.saveEnabled()) return SaveStatus::NothingToSave;
  // A save another instance holds off says so; the others stay silent, as
  // the dialog always was.
  const auto busy = [this](const Status& written) {
    if (written.Is(Status::Code::kBusy)) ShowMessage(kSaveBusyMessage, kMbIconWarning);
  };
  if (adjustment_.mode() == ListMode::Punctuation) {
    const int n = adjustment_.ApplyPunctuationOrder();
    const Status written = store_.WritePunctuation(adjustment_.records(), n);
    if (!written.ok()) {
      ReportPunctuationWrite(platform_, written);
      busy(written);
      return SaveStatus::PunctuationFailed;
    }
  } else {
    adjustment_.ApplyListOrder();
    if (Status written = store_.WriteCandidates(adjustment_.records(), adjustment_.count(), false);
        !written.ok()) {
      busy(written);
      return SaveStatus::FirstCopyFailed;
    }
    if (Status written = store_.WriteCandidates(adjustment_.records(), adjustment_.count(), true);
        !written.ok()) {
      busy(written);
      return SaveStatus::SecondCopyFailed;
    }
  }
  ShowMessage(kSaveSucceededMessage, kMbIconInformation);
  return SaveStatus::Saved;
}

bool TunavoDialogModel::OnSysCommand(unsigned commandId) {
  if (!IsSystemMenuItem(commandId, kIdmAboutBox)) return false;
  view_->ShowAboutBox();
  return true;
}

std::string TunavoDialogModel::SaveTargetPath(bool secondCopy) {
  const char* file = nullptr;
  switch (source_) {
    case Source::None:
      return std::string();
    case Source::Characters:
      file = kCharacterTableFileName;
      break;
    case Source::Phrases:
      file = kPhraseTableFileName;
      break;
    case Source::Punctuation:
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
  source_ = Source::None;
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
  adjustment_.set_mode(ListMode::Punctuation);
  ClearList();
  ReadControls();
  adjustment_.set_count(RunLookup());
  FillList();
  WriteControls();
}

int TunavoDialogModel::RunLookup() {
  ReportIndexLoad(platform_, store_.SelectCharset({charset_, edition_}), kTableLoadFailedMessage);
  if (adjustment_.mode() == ListMode::Punctuation) {
    source_ = Source::Punctuation;
    return store_.ReadPunctuation(adjustment_.records());
  }
  if (adjustment_.mode() == ListMode::Single && code_.size() <= 4) {
    source_ = Source::Characters;
    return store_.LookupCharacters(code_, adjustment_.records());
  }
  source_ = Source::Phrases;
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
    case MoveResult::NoSelection:
      ShowMessage(kNoSelectionMessage, kMbOk);
      break;
    case MoveResult::NoMove:
      break;
    case MoveResult::Moved: {
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

int TunavoDialogModel::ShowMessage(std::u16string_view text, unsigned flags) {
  return view_->ShowMessage(text, kTunavoTitle, FrameworkMessageBoxFlags(flags));
}

}  // namespace taliq
