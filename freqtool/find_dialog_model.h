// FindDialogModel: the 查碼 dialog without a window. The user types a
// character or phrase and searches (the button, or Enter in the field); the
// list shows every code of the main dialog's dictionary where the text is a
// candidate, with its table and position; 前往 (or a double click on a hit)
// closes the dialog with that hit chosen, and the main dialog shows it.
#ifndef TALIQ_FREQTOOL_FIND_DIALOG_MODEL_H_
#define TALIQ_FREQTOOL_FIND_DIALOG_MODEL_H_

#include <optional>
#include <string>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "dictionary/table_find.h"
#include "freqtool/find_view.h"
#include "platform/platform.h"

namespace taliq {

// The field holds at most one candidate's text (49 units, as a record).
inline constexpr int kMaxFindUnits = 49;

inline constexpr char16_t kFindEmptyQuery[] = u"請輸入要查的字或詞組";
inline constexpr char16_t kFindCharacterTable[] = u"單字";
inline constexpr char16_t kFindPhraseTable[] = u"詞組";

// The list line of a hit: "CODE<TAB>單字|詞組<TAB>第P位/共N個".
std::u16string FindHitLine(const FindHit& hit);
// What the status line says after a search for `query` found `hits`.
std::u16string FindStatusText(std::u16string_view query, std::size_t hits);

class FindDialogModel {
 public:
  // Searches the dictionary `id` whose first installed copy is the folder
  // `folder` (ending in the path separator); null platform:
  // Platform::Default().
  FindDialogModel(Platform* platform, DictionaryId id, std::string folder);
  FindDialogModel(const FindDialogModel&) = delete;
  FindDialogModel& operator=(const FindDialogModel&) = delete;

  // After the dialog's controls were created: `view` is the dialog (it
  // must outlive the model's handlers); empty list, 前往 disabled.
  void OnInitDialog(FindView* view);
  // The search button, and Enter in the field: the list is refilled with
  // the hits of the field's text (spaces at either end dropped), the first
  // hit selected. A table that cannot be read is reported in a message box
  // naming the file and why; the hits found before it stay listed.
  void OnSearch();
  // LBN_SELCHANGE of the list: 前往 follows the selection.
  void OnHitSelected();
  // 前往, and a double click on a hit: closes the dialog with the selected
  // hit chosen. Without a selection nothing happens.
  void OnGo();

  const std::vector<FindHit>& hits() const { return hits_; }
  // The hit 前往 closed the dialog with, and the text searched for.
  const std::optional<FindHit>& chosen() const { return chosen_; }
  const std::u16string& query() const { return query_; }

 private:
  Platform* const platform_;
  FindView* view_ = nullptr;
  const DictionaryId id_;
  const std::string folder_;
  std::u16string query_;
  std::vector<FindHit> hits_;
  std::optional<FindHit> chosen_;
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_FIND_DIALOG_MODEL_H_
