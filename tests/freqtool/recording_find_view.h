// A FindView over memory that behaves like the 查碼 dialog's controls: the
// field keeps at most its limit, the list's selection is cleared when the
// list is, Close records that the dialog ended.
#ifndef TALIQ_TESTS_FREQTOOL_RECORDING_FIND_VIEW_H_
#define TALIQ_TESTS_FREQTOOL_RECORDING_FIND_VIEW_H_

#include <string>
#include <vector>

#include "freqtool/find_view.h"
#include "tests/freqtool/recording_view.h"

namespace taliq::test {

class RecordingFindView : public FindView {
 public:
  std::u16string field;
  int limit = 0x7FFE;
  std::vector<std::u16string> hits;
  int selection = -1;
  std::u16string status;
  bool goEnabled = true;  // as the template leaves it until the model runs
  std::vector<ShownMessage> messages;
  bool closed = false;

  std::u16string QueryText() override { return field; }
  void LimitQueryText(int maxUnits) override { limit = maxUnits; }
  void ResetHits() override {
    hits.clear();
    selection = -1;
  }
  void AddHit(std::u16string_view line) override { hits.emplace_back(line); }
  int SelectedHit() override { return selection; }
  void SelectHit(int index) override {
    selection = index >= 0 && index < static_cast<int>(hits.size()) ? index : -1;
  }
  void SetStatusText(std::u16string_view text) override { status = std::u16string(text); }
  void EnableGo(bool enabled) override { goEnabled = enabled; }
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override {
    messages.push_back({std::u16string(text), std::u16string(caption), flags});
    return 1;
  }
  void Close() override { closed = true; }
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_FREQTOOL_RECORDING_FIND_VIEW_H_
