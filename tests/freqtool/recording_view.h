// A TunavoView over memory that behaves like the Win32 controls it stands
// for, so tests can drive the model the way a user drives the dialog:
// the field refuses non-digits and characters past its limit and sends a
// change notification on every change (also when the model writes it), the
// radio buttons check themselves when clicked, deleting the selected line
// clears the selection.
#ifndef TALIQ_TESTS_FREQTOOL_RECORDING_VIEW_H_
#define TALIQ_TESTS_FREQTOOL_RECORDING_VIEW_H_

#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "freqtool/tunavo_view.h"

namespace taliq::test {

struct ShownMessage {
  std::u16string text;
  std::u16string caption;
  unsigned flags = 0;
};

class RecordingView : public TunavoView {
 public:
  // Set once the model exists; notifications go to it.
  TunavoDialogModel* model = nullptr;

  std::vector<std::u16string> lines;
  int selection = -1;
  std::u16string field;
  int limit = 0x7FFE;  // an edit control's default before EM_LIMITTEXT
  int checked = -1;
  bool saveEnabled = false;
  std::vector<ShownMessage> messages;
  int aboutBoxes = 0;
  // LB_RESETCONTENT calls: one per refill of the list.
  int resets = 0;
  // EN_CHANGE notifications sent.
  int changes = 0;

  // --- The user's side -----------------------------------------------
  // Types one character at the end of the field; false when the field
  // refused it (not a digit, or the field is full).
  bool Type(char16_t c) {
    if (c < u'0' || c > u'9') return false;
    if (static_cast<int>(field.size()) >= limit) return false;
    field.push_back(c);
    Changed();
    return true;
  }
  void TypeAll(std::u16string_view digits) {
    for (char16_t c : digits) Type(c);
  }
  void Backspace() {
    if (field.empty()) return;
    field.pop_back();
    Changed();
  }
  void ClickCharset(int index) {
    checked = index;
    model->OnCharsetClicked();
  }
  void ClickLine(int index) { selection = index; }
  // The list box's lines as the model holds them must be what is shown.
  bool Mirrors() const { return lines == model->adjustment().lines(); }

  // --- TunavoView --------------------------------------------------------
  void ResetLines() override {
    ++resets;
    lines.clear();
    selection = -1;
  }
  void InsertLine(int index, std::u16string_view text) override {
    if (index < 0 || index > static_cast<int>(lines.size())) index = static_cast<int>(lines.size());
    lines.insert(lines.begin() + index, std::u16string(text));
    if (selection >= index) ++selection;
  }
  void DeleteLine(int index) override {
    if (index < 0 || index >= static_cast<int>(lines.size())) return;
    lines.erase(lines.begin() + index);
    if (selection == index) {
      selection = -1;
    } else if (selection > index) {
      --selection;
    }
  }
  std::u16string LineText(int index) override {
    return index >= 0 && index < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(index)]
                                                                : std::u16string();
  }
  int LineCount() override { return static_cast<int>(lines.size()); }
  int Selection() override { return selection; }
  void SetSelection(int index) override {
    selection = index >= 0 && index < static_cast<int>(lines.size()) ? index : -1;
  }
  std::u16string CodeText() override { return field; }
  void SetCodeText(std::u16string_view text) override {
    // WM_SETTEXT is not bound by the limit, and notifies like typing does.
    field = std::u16string(text);
    Changed();
  }
  void LimitCodeText(int maxUnits) override { limit = maxUnits; }
  int CheckedCharset() override { return checked; }
  void CheckCharset(int index) override { checked = index == 0 || index == 1 ? index : -1; }
  void EnableSave(bool enabled) override { saveEnabled = enabled; }
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override {
    messages.push_back({std::u16string(text), std::u16string(caption), flags});
    return 1;
  }
  void ShowAboutBox() override { ++aboutBoxes; }

 private:
  void Changed() {
    ++changes;
    if (model != nullptr) model->OnCodeChanged();
  }
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_FREQTOOL_RECORDING_VIEW_H_
