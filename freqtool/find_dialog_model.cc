#include "freqtool/find_dialog_model.h"

#include <span>
#include <string>
#include <utility>

#include "freqtool/tunavo_dialog_model.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace taliq {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

std::u16string Trimmed(std::u16string text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::u16string FindHitLine(const FindHit& hit) {
  return hit.code + u"\t" +
         (hit.table == TableKind::kCharacters ? kFindCharacterTable : kFindPhraseTable) + u"\t第" +
         DecimalUtf16(hit.position) + u"位/共" + DecimalUtf16(hit.count) + u"個";
}

std::u16string FindStatusText(std::u16string_view query, std::size_t hits) {
  if (query.empty()) return kFindEmptyQuery;
  const std::u16string quoted = u"「" + std::u16string(query) + u"」";
  if (hits == 0) return quoted + u"不在本碼本中";
  return quoted + u"找到 " + DecimalUtf16(static_cast<long long>(hits)) + u" 處";
}

FindDialogModel::FindDialogModel(Platform* platform, DictionaryId id, std::string folder)
    : platform_(platform != nullptr ? platform : Platform::Default()),
      id_(id),
      folder_(std::move(folder)) {}

void FindDialogModel::OnInitDialog(FindView* view) {
  view_ = view;
  view_->LimitQueryText(kMaxFindUnits);
  view_->ResetHits();
  view_->EnableGo(false);
}

void FindDialogModel::OnSearch() {
  query_ = Trimmed(view_->QueryText());
  hits_.clear();
  chosen_.reset();
  view_->ResetHits();
  view_->EnableGo(false);
  if (query_.empty()) {
    view_->SetStatusText(kFindEmptyQuery);
    return;
  }
  const Status status = FindInDictionary(platform_, folder_, id_,
                                         std::span<const std::u16string>(&query_, 1), &hits_);
  for (const FindHit& hit : hits_) view_->AddHit(FindHitLine(hit));
  view_->SetStatusText(FindStatusText(query_, hits_.size()));
  if (!hits_.empty()) {
    view_->SelectHit(0);
    view_->EnableGo(true);
  }
  if (!status.ok()) {
    view_->ShowMessage(u"查碼時讀不到碼本:\n" + Utf8ToUtf16(status.message()), kTunavoTitle,
                       kMbOk | kMbIconWarning);
  }
}

void FindDialogModel::OnHitSelected() {
  const int selected = view_->SelectedHit();
  view_->EnableGo(selected >= 0 && selected < static_cast<int>(hits_.size()));
}

void FindDialogModel::OnGo() {
  const int selected = view_->SelectedHit();
  if (selected < 0 || selected >= static_cast<int>(hits_.size())) return;
  chosen_ = hits_[static_cast<std::size_t>(selected)];
  view_->Close();
}

}  // namespace taliq
