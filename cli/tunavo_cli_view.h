// The frequency tool's dialog as tunavo-cli drives it: the controls are
// plain memory, the success message goes to standard output and every
// other message box to standard error.
#ifndef TALIQ_CLI_TUNAVO_CLI_VIEW_H_
#define TALIQ_CLI_TUNAVO_CLI_VIEW_H_

#include <string>
#include <vector>

#include "cli/front_end.h"
#include "freqtool/tunavo_view.h"

namespace taliq::cli {

class CliView : public TunavoView {
 public:
  explicit CliView(const Streams& io) : io_(io) {}

  const std::vector<std::u16string>& lines() const { return lines_; }
  // What the user would do with the mouse and the keyboard.
  void Select(int index) { selection_ = index; }
  void SetField(std::u16string text) { field_ = std::move(text); }

  void ResetLines() override;
  void InsertLine(int index, std::u16string_view text) override;
  void DeleteLine(int index) override;
  std::u16string LineText(int index) override;
  int LineCount() override { return static_cast<int>(lines_.size()); }
  int Selection() override { return selection_; }
  void SetSelection(int index) override;
  std::u16string CodeText() override { return field_; }
  void SetCodeText(std::u16string_view text) override { field_ = std::u16string(text); }
  void LimitCodeText(int /*maxUnits*/) override {}
  int CheckedCharset() override { return checked_; }
  void CheckCharset(int index) override { checked_ = index; }
  void EnableSave(bool /*enabled*/) override {}
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override;
  void ShowAboutBox() override {}
  // The command line has its own find command; no dialog opens here.
  void ShowFindDialog(FindDialogModel* /*find*/) override {}
  void ShowHistoryDialog(const std::vector<std::u16string>& /*lines*/) override {}
  bool AskSaveFileName(std::u16string_view /*suggestedName*/, std::u16string* /*path*/) override {
    return false;
  }
  bool AskOpenFileName(std::u16string* /*path*/) override { return false; }
  // Saves an earlier run did not finish: a line each on standard error.
  int ShowRecoveries(std::u16string_view text, std::u16string_view caption, unsigned flags,
                     std::string_view lines) override;

 private:
  const Streams io_;
  std::vector<std::u16string> lines_;
  int selection_ = -1;
  std::u16string field_;
  int checked_ = -1;
};

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_CLI_VIEW_H_
