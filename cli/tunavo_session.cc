#include "cli/tunavo_session.h"

#include <algorithm>

#include "platform/text.h"

namespace taliq::cli {
namespace {

// The dictionary a new store loads before it is told which one to use.
constexpr DictionaryId kStoreStart = {Charset::kSimplified, Edition::kStandard};

}  // namespace

Session::Session(const GlobalOptions& options, const Streams& io)
    : io_(io),
      charsetDigit_(CharsetDigit(options.dictionary.charset)),
      editionDigit_(EditionDigit(options.dictionary.edition)),
      otherThanStart_(options.dictionary != kStoreStart),
      platform_(Platform::Default(), PlatformOptions{options.programFiles, {}, {}, options.dataDir}),
      view_(io) {}

int Session::OpenStore() {
  if (int status = CheckProgramFiles(); status != kExitOk) return status;
  ownStore_ = std::make_unique<DictionaryStore>(&platform_);
  store_ = ownStore_.get();
  ForgetStartMessages();
  store_->SelectCharset(charsetDigit_, editionDigit_);
  WriteStoreMessages();
  if (!store_->HasIndex()) return IndexFailure();
  return kExitOk;
}

int Session::OpenDialog(ListMode mode, const std::string& code) {
  if (int status = CheckProgramFiles(); status != kExitOk) return status;
  model_ = std::make_unique<TunavoDialogModel>(&platform_, &view_);
  store_ = &model_->store();
  ForgetStartMessages();
  // The dialog's own command line: character set digit, edition digit.
  const std::u16string first = {static_cast<char16_t>(u'0' + charsetDigit_),
                                static_cast<char16_t>(u'0' + editionDigit_)};
  model_->OnInitDialog({first});
  if (mode == ListMode::Punctuation) {
    model_->OnPunctuationClicked();
  } else {
    if (mode == ListMode::Phrase) model_->OnPhraseClicked();
    view_.SetField(Utf8ToUtf16(code));
    model_->OnCodeChanged();
  }
  WriteStoreMessages();
  if (mode != ListMode::Punctuation && !store_->HasIndex()) return IndexFailure();
  // An empty list from a table that cannot be read is a failure, not a code
  // without candidates.
  if (view_.lines().empty()) return UnlessReadable(model_->SaveTargetPath(false));
  return kExitOk;
}

int Session::Lookup(std::u16string_view code, bool phrases, CandidateList& list, int* count) {
  *count = phrases ? store_->LookupPhrases(code, list) : store_->LookupCharacters(code, list);
  WriteStoreMessages();
  if (*count < 0) return IndexFailure();
  // The store gives an empty list for a table it cannot open; say so rather
  // than pretend the code has no candidates.
  if (*count == 0) {
    return UnlessReadable(Folder() + (phrases ? kPhraseTableFileName : kCharacterTableFileName));
  }
  return kExitOk;
}

int Session::FindLine(std::u16string_view text) const {
  const auto& lines = view_.lines();
  const auto it = std::find(lines.begin(), lines.end(), text);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int Session::Save() {
  const SaveStatus status = model_->OnSave();
  WriteStoreMessages();
  switch (status) {
    case SaveStatus::Saved:
      io_.out.flush();
      return kExitOk;
    case SaveStatus::NothingToSave:
      return Failure(io_, "nothing to save");
    default:
      return SaveFailure(status);
  }
}

int Session::CheckProgramFiles() {
  std::string programFiles;
  if (!platform_.ProgramFilesFolderA(&programFiles) || programFiles.empty()) {
    return UsageError(io_, "no Program Files folder: give --program-files DIR or set PROGRAMFILES");
  }
  return kExitOk;
}

void Session::ForgetStartMessages() {
  // The store has just loaded the simplified standard index, as the tool
  // does on starting. A complaint about that one is beside the point when
  // another was asked for; the one asked for is loaded (and reported) next.
  // (Goes once the store reports through its results instead of message
  // boxes.)
  if (otherThanStart_) platform_.DropMessages();
}

void Session::WriteStoreMessages() { platform_.WriteMessages(io_.err); }

std::string Session::Folder() {
  return store_->ResolveDictionaryFolder(charsetDigit_, editionDigit_, false);
}

int Session::IndexFailure() {
  return FileFailure("cannot read the index " + Folder() + kIndexFileName, "", "");
}

int Session::UnlessReadable(const std::string& path) {
  if (!path.empty() && platform_.OpenFile(path, "rb") != nullptr) return kExitOk;
  return FileFailure("cannot read " + path, "", "");
}

int Session::SaveFailure(SaveStatus status) {
  const std::string first = model_->SaveTargetPath(false);
  const std::string second = model_->SaveTargetPath(true);
  switch (status) {
    case SaveStatus::FirstCopyFailed:
      return FileFailure("the first copy (" + first + ") was not written",
                         "the file could not be opened for writing or its entries differ "
                         "from the list",
                         "; nothing was saved");
    case SaveStatus::SecondCopyFailed:
      return FileFailure("the second copy (" + second + ") was not written",
                         "the file could not be opened for writing or its entries differ "
                         "from the first copy's",
                         "; only the first copy (" + first + ") was saved");
    default:
      return FileFailure("the punctuation table (" + first + ") was not written", "", "");
  }
}

int Session::FileFailure(std::string_view what, std::string_view reason, std::string_view outcome) {
  std::string message(what);
  if (!reason.empty()) message += ": " + std::string(reason);
  message += outcome;
  return Failure(io_, message);
}

}  // namespace taliq::cli
