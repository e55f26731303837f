#include "cli/tunavo_cli_view.h"

#include "freqtool/tunavo_dialog_model.h"
#include "platform/text.h"

namespace taliq::cli {

void CliView::ResetLines() {
  lines_.clear();
  selection_ = -1;
}

void CliView::InsertLine(int index, std::u16string_view text) {
  if (index < 0 || index > static_cast<int>(lines_.size())) index = static_cast<int>(lines_.size());
  lines_.insert(lines_.begin() + index, std::u16string(text));
}

void CliView::DeleteLine(int index) {
  if (index < 0 || index >= static_cast<int>(lines_.size())) return;
  lines_.erase(lines_.begin() + index);
  if (selection_ == index) selection_ = -1;
}

std::u16string CliView::LineText(int index) {
  if (index < 0 || index >= static_cast<int>(lines_.size())) return std::u16string();
  return lines_[static_cast<size_t>(index)];
}

void CliView::SetSelection(int index) {
  selection_ = index >= 0 && index < static_cast<int>(lines_.size()) ? index : -1;
}

int CliView::ShowMessage(std::u16string_view text, std::u16string_view /*caption*/,
                         unsigned flags) {
  // The information box is the success report; a script reads it on stdout.
  if ((flags & kMbIconMask) == kMbIconInformation) {
    io_.out << Utf16ToUtf8(text) << '\n';
  } else {
    Note(io_, Utf16ToUtf8(text));
  }
  return kIdOk;
}

int CliView::ShowRecoveries(std::u16string_view /*text*/, std::u16string_view /*caption*/,
                            unsigned /*flags*/, std::string_view lines) {
  NoteEachLine(io_, lines);
  return kIdOk;
}

}  // namespace taliq::cli
