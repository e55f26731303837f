#include "cli/tunavo_session.h"

#include <algorithm>

#include "dictionary/interrupted_saves.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {}  // namespace

Session::Session(const GlobalOptions& options, const Streams& io)
    : io_(io),
      dictionary_(options.dictionary),
      platform_(Platform::Default(),
                PlatformOptions{options.programFiles, {}, {}, options.dataDir}),
      view_(io) {}

void Session::TellRecoveries() { NoteEachLine(io_, store_->TakeRecoveryNote()); }

int Session::OpenStore() {
  if (int status = CheckProgramFiles(); status != kExitOk) return status;
  ownStore_ = std::make_unique<DictionaryStore>(&platform_, dictionary_);
  store_ = ownStore_.get();
  TellRecoveries();
  if (!store_->HasIndex()) return IndexFailure();
  return kExitOk;
}

int Session::OpenFolders() { return CheckProgramFiles(); }

std::string Session::DictionaryFolder(DictionaryId id, bool second) {
  return InstalledDictionaryFolder(&platform_, id, second);
}

int Session::ResolveSaves(DictionaryId id) {
  const std::string first = DictionaryFolder(id, false);
  std::string note;
  const Status s = ResolveInterruptedSaves(&platform_, first, DictionaryFolder(id, true), &note);
  NoteEachLine(io_, note);
  if (s.ok()) return kExitOk;
  return ReadFailure("the " + std::string(DictionaryName(id)) + " dictionary in " + first, s);
}

int Session::ReadFailure(std::string_view what, const Status& why) {
  return FileFailure("cannot read " + std::string(what), why, "");
}

int Session::OpenDialog(ListMode mode, const std::string& code) {
  if (int status = CheckProgramFiles(); status != kExitOk) return status;
  model_ = std::make_unique<TunavoDialogModel>(&platform_, &view_);
  store_ = &model_->store();
  // The dialog's own command line: character set digit, edition digit.
  const std::u16string first = {static_cast<char16_t>(u'0' + CharsetDigit(dictionary_.charset)),
                                static_cast<char16_t>(u'0' + EditionDigit(dictionary_.edition))};
  model_->OnInitDialog({first});
  TellRecoveries();
  if (mode == ListMode::kPunctuation) {
    model_->OnPunctuationClicked();
  } else {
    if (mode == ListMode::kPhrase) model_->OnPhraseClicked();
    view_.SetField(Utf8ToUtf16(code));
    model_->OnCodeChanged();
  }
  if (mode != ListMode::kPunctuation && !store_->HasIndex()) return IndexFailure();
  // An empty list from a table that cannot be read is a failure, not a code
  // without candidates.
  if (view_.lines().empty()) return UnlessReadable(model_->SaveTargetPath(false), store_->status());
  return kExitOk;
}

int Session::Lookup(std::u16string_view code, bool phrases, CandidateList& list, int* count) {
  *count = phrases ? store_->LookupPhrases(code, list) : store_->LookupCharacters(code, list);
  if (*count < 0) return IndexFailure();
  // The store gives an empty list for a table it cannot open; say so rather
  // than pretend the code has no candidates.
  if (*count == 0) {
    return UnlessReadable(Folder() + (phrases ? kPhraseTableFileName : kCharacterTableFileName),
                          store_->status());
  }
  return kExitOk;
}

OrderKeeper& Session::keeper() {
  if (!keeper_) keeper_ = std::make_unique<OrderKeeper>(&platform_, store_);
  return *keeper_;
}

int Session::OpenOrders(std::string_view command, std::string* dataDir) {
  if (int status = OpenFolders(); status != kExitOk) return status;
  ownStore_ = std::make_unique<DictionaryStore>(&platform_);
  store_ = ownStore_.get();
  const Status s = keeper().DataFolder(dataDir);
  if (s.Is(Status::Code::kNotFound)) {
    return Failure(io_, std::string(command) + ": no user data folder: give --data-dir DIR");
  }
  if (!s.ok()) return Failure(io_, std::string(command) + ": " + s.message());
  dataDir_ = *dataDir;
  return kExitOk;
}

int Session::OrdersFailure(std::string_view command, const Status& why) {
  const std::string message = std::string(command) + ": " + why.message();
  if (why.Is(Status::Code::kRefused)) return Refused(io_, message);
  return Failure(io_, message);
}

int Session::EndOutput(std::string_view command) {
  io_.out.flush();
  if (io_.out) return kExitOk;
  return Failure(io_, std::string(command) + ": the output could not be written");
}

int Session::FindLine(std::u16string_view text) const {
  const auto& lines = view_.lines();
  const auto it = std::find(lines.begin(), lines.end(), text);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int Session::Save() {
  const SaveStatus status = model_->OnSave();
  TellRecoveries();
  switch (status) {
    case SaveStatus::kSaved:
      io_.out.flush();
      // The save stands; only what is kept of it did not go through (the
      // model has said so).
      return model_->keeper().status().ok() ? kExitOk : kExitFailure;
    case SaveStatus::kNothingToSave:
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

std::string Session::Folder() { return store_->ResolveDictionaryFolder(dictionary_, false); }

int Session::IndexFailure() {
  // The text the dialog would show, then where and why. A new store starts
  // on the simplified standard index; any other is a switch of dictionary.
  constexpr DictionaryId kStoreStart = {Charset::kSimplified, Edition::kStandard};
  if (const char16_t* text = IndexLoadMessage(
          store_->indexStatus(),
          dictionary_ == kStoreStart ? kIndexLoadFailedMessage : kTableLoadFailedMessage)) {
    io_.err << Utf16ToUtf8(text) << '\n';
  }
  return FileFailure("cannot read the index " + Folder() + kIndexFileName, store_->indexStatus(),
                     "");
}

int Session::UnlessReadable(const std::string& path, const Status& status) {
  if (status.ok() && !path.empty() && platform_.OpenFile(path, "rb") != nullptr) return kExitOk;
  return FileFailure("cannot read " + path, status, "");
}

int Session::SaveFailure(SaveStatus status) {
  const std::string first = model_->SaveTargetPath(false);
  const std::string second = model_->SaveTargetPath(true);
  // The store's status is that of the write that failed.
  const Status& why = store_->status();
  switch (status) {
    case SaveStatus::kFirstCopyFailed:
      return FileFailure("the first copy (" + first + ") was not written", why,
                         "; nothing was saved");
    case SaveStatus::kSecondCopyFailed:
      return FileFailure("the second copy (" + second + ") was not written", why,
                         "; only the first copy (" + first + ") was saved");
    default:
      return FileFailure("the punctuation table (" + first + ") was not written", why, "");
  }
}

int Session::FileFailure(std::string_view what, const Status& why, std::string_view outcome) {
  std::string message(what);
  if (!why.ok()) message += " (" + why.message() + ")";
  message += outcome;
  return Failure(io_, message);
}

int RunOrdersCommand(const Command& command, const GlobalOptions& options,
                     const std::vector<std::string>& args, const Streams& io) {
  const OrdersCommand& orders = command.orders;
  ParsedArgs parsed;
  if (auto status = ParseCommand(command, args, orders.options, io, &parsed)) return *status;
  const std::size_t given = parsed.positionals.size();
  if (orders.maxArguments == 0 && given > 0) {
    return UsageError(
        io, std::string(command.name) + ": unexpected argument '" + parsed.positionals[0] + "'");
  }
  if (given < orders.minArguments || given > orders.maxArguments) {
    return UsageError(io, std::string(command.name) + ": give " + std::string(orders.arguments));
  }
  Session session(options, io);
  std::string dataDir;
  if (int status = session.OpenOrders(command.name, &dataDir); status != kExitOk) return status;
  const int status = orders.body(session, parsed);
  const int written = session.EndOutput(command.name);
  return status != kExitOk ? status : written;
}

}  // namespace taliq::cli
