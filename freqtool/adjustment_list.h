// AdjustmentList: the candidates of one code (or the punctuation table), the
// lines the user reorders, and the step that turns the order of the lines
// back into an order of records just before they are written.
//
// It owns no window and touches no file. The dialog model fills `records`
// from the DictionaryStore, forwards the move buttons here and mirrors the
// lines, the selection and the save flag into its view.
#ifndef TALIQ_FREQTOOL_ADJUSTMENT_LIST_H_
#define TALIQ_FREQTOOL_ADJUSTMENT_LIST_H_

#include <string>
#include <vector>

#include "dictionary/candidate.h"

namespace taliq {

// Which list is shown; the values are those of the dialog's mode buttons.
enum class ListMode : int { kSingle = 0, kPhrase = 1, kPunctuation = 2 };

enum class MoveResult : int { kMoved, kNoMove, kNoSelection };

// A selection of "no line".
inline constexpr int kNoSelection = -1;

class AdjustmentList {
 public:
  AdjustmentList() = default;
  AdjustmentList(const AdjustmentList&) = delete;
  AdjustmentList& operator=(const AdjustmentList&) = delete;

  ListMode mode() const { return mode_; }
  void set_mode(ListMode mode) { mode_ = mode; }

  // Filled by a lookup in stored order; reordered only by ApplyListOrder and
  // ApplyPunctuationOrder.
  CandidateList& records() { return records_; }
  const CandidateList& records() const { return records_; }

  // What the last lookup returned: records filled, or 0 / negative for none.
  int count() const { return count_; }
  void set_count(int count) { count_ = count; }

  const std::vector<std::u16string>& lines() const { return lines_; }
  int selection() const { return selection_; }
  // The list's own selection (a click or a key in the list box). Anything
  // that is not a line index means no selection.
  void Select(int line);
  bool saveEnabled() const { return saveEnabled_; }

  // The text a record shows in the current mode: its text, or its mark in a
  // punctuation list.
  std::u16string DisplayText(int record) const;

  // No lines, no selection, nothing to save.
  void ClearList();
  // One line per record 0 .. count - 1 in stored order (none when count <= 0);
  // no selection, nothing to save.
  void FillList();

  // Each move returns NoSelection before anything else, NoMove when the
  // selected line already stands at that edge (nothing changes), and
  // otherwise moves the line, keeps it selected and enables saving.
  MoveResult MoveToTop();
  MoveResult MoveUp();
  MoveResult MoveDown();
  MoveResult MoveToBottom();

  // Single and Phrase lists: gives every record the position of its line as
  // sortKey and sorts records 0 .. count - 1 stably by it, so that record k
  // holds the entry shown on line k, values included. The k-th line with a
  // given text takes the k-th record with that text, so equal texts keep
  // distinct positions.
  void ApplyListOrder();

  // Punctuation lists: writes line w into record w as its mark and returns
  // the number of lines.
  int ApplyPunctuationOrder();

 private:
  // Removes line `from`, inserts it at `to` and selects it there.
  MoveResult MoveSelected(int to);

  ListMode mode_ = ListMode::kSingle;
  CandidateList records_{};
  int count_ = 0;
  std::vector<std::u16string> lines_;
  int selection_ = kNoSelection;
  bool saveEnabled_ = false;
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_ADJUSTMENT_LIST_H_
