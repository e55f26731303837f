#include "freqtool/adjustment_list.h"

#include <algorithm>
#include <utility>

namespace taliq {
namespace {

// Records a list may hold, whatever count says.
int Listed(int count) { return std::clamp(count, 0, kCandidateListCapacity); }

}  // namespace

void AdjustmentList::Select(int line) {
  selection_ = (line >= 0 && line < static_cast<int>(lines_.size())) ? line : kNoSelection;
}

std::u16string AdjustmentList::DisplayText(int record) const {
  const CandidateRecord& r = records_[static_cast<size_t>(record)];
  return mode_ == ListMode::kPunctuation ? r.MarkText() : std::u16string(r.Text());
}

void AdjustmentList::ClearList() {
  lines_.clear();
  selection_ = kNoSelection;
  saveEnabled_ = false;
}

void AdjustmentList::FillList() {
  ClearList();
  const int n = Listed(count_);
  lines_.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) lines_.push_back(DisplayText(i));
}

MoveResult AdjustmentList::MoveSelected(int to) {
  const int from = selection_;
  if (to == from) return MoveResult::kNoMove;
  std::u16string line = std::move(lines_[static_cast<size_t>(from)]);
  lines_.erase(lines_.begin() + from);
  lines_.insert(lines_.begin() + to, std::move(line));
  selection_ = to;
  saveEnabled_ = true;
  return MoveResult::kMoved;
}

MoveResult AdjustmentList::MoveToTop() {
  if (selection_ == kNoSelection) return MoveResult::kNoSelection;
  return MoveSelected(0);
}

MoveResult AdjustmentList::MoveUp() {
  if (selection_ == kNoSelection) return MoveResult::kNoSelection;
  return MoveSelected(selection_ == 0 ? 0 : selection_ - 1);
}

MoveResult AdjustmentList::MoveDown() {
  if (selection_ == kNoSelection) return MoveResult::kNoSelection;
  const int last = static_cast<int>(lines_.size()) - 1;
  return MoveSelected(selection_ == last ? last : selection_ + 1);
}

MoveResult AdjustmentList::MoveToBottom() {
  if (selection_ == kNoSelection) return MoveResult::kNoSelection;
  return MoveSelected(static_cast<int>(lines_.size()) - 1);
}

void AdjustmentList::ApplyListOrder() {
  const int n = Listed(count_);
  // A record takes the position of one line only; the next line with the
  // same text goes on to the next record with that text.
  bool taken[kCandidateListCapacity] = {};
  for (size_t w = 0; w < lines_.size(); ++w) {
    for (int i = 0; i < n; ++i) {
      if (!taken[i] && records_[static_cast<size_t>(i)].Text() == lines_[w]) {
        records_[static_cast<size_t>(i)].sortKey = static_cast<std::uint16_t>(w);
        taken[i] = true;
        break;
      }
    }
  }
  // Adjacent exchanges only, so records with equal keys keep their order.
  for (int p = 0; p + 1 < n; ++p) {
    for (int j = 0; j + 1 < n - p; ++j) {
      if (records_[static_cast<size_t>(j)].sortKey > records_[static_cast<size_t>(j) + 1].sortKey) {
        std::swap(records_[static_cast<size_t>(j)], records_[static_cast<size_t>(j) + 1]);
      }
    }
  }
}

int AdjustmentList::ApplyPunctuationOrder() {
  const int n = std::min(static_cast<int>(lines_.size()), kCandidateListCapacity);
  for (int w = 0; w < n; ++w) {
    const std::u16string& line = lines_[static_cast<size_t>(w)];
    records_[static_cast<size_t>(w)].SetMark(line.empty() ? u'\0' : line[0]);
  }
  return n;
}

}  // namespace taliq
