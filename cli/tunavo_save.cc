// tunavo-cli move, order and list --punctuation: the frequency tool's
// dialog model driven from the command line. The command opens the dialog
// on the chosen character set and edition, puts the code into the field
// (or presses 詞組 / 標點 first), selects and moves lines with the dialog's
// own buttons and presses Save; what the dialog would show goes to the
// streams.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/tunavo_cli_view.h"
#include "cli/tunavo_save_commands.h"
#include "freqtool/tunavo_dialog_model.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

std::string Quoted(std::u16string_view text) { return "'" + Utf16ToUtf8(text) + "'"; }

// Arguments that are well formed but do not fit the listed entries: nothing
// is done, as for a usage error, but the help would not help.
int Refused(std::ostream& err, std::string_view message) {
  err << kProgramName << ": " << message << '\n';
  return kExitUsage;
}

// One run of the dialog for one command.
class DialogSession {
 public:
  DialogSession(const GlobalOptions& options, Streams io)
      : options_(options), io_(io), view_(io.out, io.err), platform_(Platform::Default(), options.programFiles) {}

  // Opens the dialog and lists `code` in `mode` (the code plays no part in
  // the punctuation mode). Returns kExitOk, or the status after saying why
  // the list could not be read.
  int Open(ListMode mode, const std::string& code) {
    std::string programFiles;
    if (!platform_.ProgramFilesFolderA(&programFiles) || programFiles.empty()) {
      return UsageError(io_.err,
                        "no Program Files folder: give --program-files DIR or set PROGRAMFILES");
    }
    model_ = std::make_unique<TunavoDialogModel>(&platform_, &view_);
    // The dialog starts on the simplified standard index; a complaint about
    // that one is beside the point when another dictionary was asked for.
    if (options_.charset != 0 || options_.edition != 0) platform_.DropMessages();
    // The dialog's own command line: character set digit, edition digit.
    const std::u16string first = {static_cast<char16_t>(u'0' + (options_.charset == 0 ? 0 : 1)),
                                  static_cast<char16_t>(u'0' + (options_.edition == 1 ? 1 : 0))};
    model_->OnInitDialog({first});
    if (mode == ListMode::Punctuation) {
      model_->OnPunctuationClicked();
    } else {
      if (mode == ListMode::Phrase) model_->OnPhraseClicked();
      view_.SetField(Utf8ToUtf16(code));
      model_->OnCodeChanged();
    }
    platform_.WriteMessages(io_.err);
    if (mode != ListMode::Punctuation && !model_->store().HasIndex()) {
      return Failure(io_.err, "cannot read the index " + Folder() + kIndexFileName);
    }
    // An empty list from a table that cannot be read is a failure, not a
    // code without candidates.
    if (view_.lines().empty()) {
      const std::string table = model_->SaveTargetPath(false);
      if (!CanRead(table)) return Failure(io_.err, "cannot read " + table);
    }
    return kExitOk;
  }

  TunavoDialogModel& model() { return *model_; }
  CliView& view() { return view_; }

  // The first line showing `text`, or -1.
  int FindLine(std::u16string_view text) const {
    const auto& lines = view_.lines();
    const auto it = std::find(lines.begin(), lines.end(), text);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
  }

  // Presses Save and reports what the dialog would not say.
  int Save() {
    const SaveStatus status = model_->OnSave();
    platform_.WriteMessages(io_.err);
    const std::string first = model_->SaveTargetPath(false);
    const std::string second = model_->SaveTargetPath(true);
    switch (status) {
      case SaveStatus::Saved:
        io_.out.flush();
        return kExitOk;
      case SaveStatus::NothingToSave:
        return Failure(io_.err, "nothing to save");
      case SaveStatus::FirstCopyFailed:
        return Failure(io_.err, "the first copy (" + first +
                                    ") was not written: the file could not be opened for "
                                    "writing or its entries differ from the list; nothing "
                                    "was saved");
      case SaveStatus::SecondCopyFailed:
        return Failure(io_.err, "the second copy (" + second +
                                    ") was not written: the file could not be opened for "
                                    "writing or its entries differ from the first copy's; "
                                    "only the first copy (" + first + ") was saved");
      case SaveStatus::PunctuationFailed:
        return Failure(io_.err, "the punctuation table (" + first + ") was not written");
    }
    return kExitFailure;
  }

 private:
  std::string Folder() {
    return model_->store().ResolveDictionaryFolder(
        {CharsetFromDigit(options_.charset), EditionFromDigit(options_.edition)}, false);
  }
  bool CanRead(const std::string& path) {
    if (path.empty()) return false;
    return platform_.OpenFile(path, "rb") != nullptr;
  }

  const GlobalOptions options_;
  Streams io_;
  CliView view_;
  CliPlatform platform_;
  std::unique_ptr<TunavoDialogModel> model_;
};

// The mode, the code and the texts of a move or order command.
struct Target {
  ListMode mode = ListMode::Single;
  std::string code;
  std::vector<std::u16string> texts;
};

// Reads the target shared by move and order; kExitOk, or the status of a
// usage error already reported.
int ParseTarget(const std::string& command, const ParsedArgs& parsed, Target* target,
                std::ostream& err) {
  const bool phrases = parsed.Has("--phrases");
  const bool punctuation = parsed.Has("--punctuation");
  if (phrases && punctuation) {
    return UsageError(err, command + ": --phrases and --punctuation exclude each other");
  }
  target->mode = punctuation ? ListMode::Punctuation
                             : (phrases ? ListMode::Phrase : ListMode::Single);
  size_t first = 0;
  if (!punctuation) {
    if (parsed.positionals.empty()) return UsageError(err, command + ": no CODE given");
    target->code = parsed.positionals[0];
    if (!IsInputCode(target->code)) {
      return UsageError(err, command + ": invalid code '" + target->code +
                                 "': a code is one to six digits 0-9");
    }
    first = 1;
  }
  for (size_t i = first; i < parsed.positionals.size(); ++i) {
    target->texts.push_back(Utf8ToUtf16(parsed.positionals[i]));
  }
  return kExitOk;
}

std::string WhatIsListed(const Target& target) {
  return target.mode == ListMode::Punctuation ? std::string("the punctuation table")
                                              : "code " + target.code;
}

constexpr OptionDecl kMoveOptions[] = {
    {"--phrases", false}, {"--punctuation", false}, {"--top", false}, {"--up", false},
    {"--down", false},    {"--bottom", false},      {"--help", false}, {"-h", false},
};

int RunMove(const GlobalOptions& options, const std::vector<std::string>& args, Streams io) {
  ParsedArgs parsed;
  std::size_t next = 0;
  std::string error;
  if (!ParseArgs(args, 0, kMoveOptions, ParseMode::kMixed, &parsed, &next, &error)) {
    return UsageError(io.err, error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    WriteCommandUsage(io.out, kMoveCommand);
    return kExitOk;
  }
  Target target;
  if (int status = ParseTarget("move", parsed, &target, io.err); status != kExitOk) return status;
  if (target.texts.size() != 1) {
    return UsageError(io.err, target.texts.empty() ? "move: no TEXT given"
                                                   : "move: give exactly one TEXT to move");
  }
  const char* direction = nullptr;
  int directions = 0;
  for (const char* d : {"--top", "--up", "--down", "--bottom"}) {
    if (parsed.Has(d)) {
      direction = d;
      ++directions;
    }
  }
  if (directions != 1) {
    return UsageError(io.err, "move: give one of --top, --up, --down, --bottom");
  }

  DialogSession session(options, io);
  if (int status = session.Open(target.mode, target.code); status != kExitOk) return status;
  const std::u16string& text = target.texts[0];
  const int line = session.FindLine(text);
  if (line < 0) {
    return Refused(io.err, "move: " + Quoted(text) + " is not listed for " +
                               WhatIsListed(target) + "; nothing was saved");
  }
  session.view().Select(line);
  TunavoDialogModel& model = session.model();
  const std::string d = direction;
  const MoveResult result = d == "--top"   ? model.OnMoveToTop()
                            : d == "--up"  ? model.OnMoveUp()
                            : d == "--down" ? model.OnMoveDown()
                                            : model.OnMoveToBottom();
  if (result == MoveResult::NoMove) {
    const bool upwards = d == "--top" || d == "--up";
    io.err << kProgramName << ": " << Quoted(text) << " is already at the "
           << (upwards ? "top" : "bottom") << "; nothing was saved\n";
    return kExitOk;
  }
  if (result != MoveResult::Moved) return Failure(io.err, "move: nothing was moved");
  return session.Save();
}

constexpr OptionDecl kOrderOptions[] = {
    {"--phrases", false}, {"--punctuation", false}, {"--help", false}, {"-h", false},
};

// Why `wanted` is not an order of `listed`, or nothing when it is.
std::optional<std::string> NotAPermutation(const std::vector<std::u16string>& listed,
                                           const std::vector<std::u16string>& wanted) {
  std::map<std::u16string, int> left;
  for (const std::u16string& t : listed) ++left[t];
  for (const std::u16string& t : wanted) {
    auto it = left.find(t);
    if (it == left.end()) return Quoted(t) + " is not one of them";
    if (it->second-- == 0) return Quoted(t) + " is given more often than it is listed";
  }
  for (const std::u16string& t : listed) {
    if (left[t] > 0) return Quoted(t) + " is missing";
  }
  return std::nullopt;
}

int RunOrder(const GlobalOptions& options, const std::vector<std::string>& args, Streams io) {
  ParsedArgs parsed;
  std::size_t next = 0;
  std::string error;
  if (!ParseArgs(args, 0, kOrderOptions, ParseMode::kMixed, &parsed, &next, &error)) {
    return UsageError(io.err, error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    WriteCommandUsage(io.out, kOrderCommand);
    return kExitOk;
  }
  Target target;
  if (int status = ParseTarget("order", parsed, &target, io.err); status != kExitOk) return status;
  if (target.texts.empty()) return UsageError(io.err, "order: no TEXT given");

  DialogSession session(options, io);
  if (int status = session.Open(target.mode, target.code); status != kExitOk) return status;
  const std::vector<std::u16string> listed = session.view().lines();
  if (std::optional<std::string> why = NotAPermutation(listed, target.texts)) {
    return Refused(io.err, "order: give the " + std::to_string(listed.size()) +
                               " entries listed for " + WhatIsListed(target) +
                               ", each as often as listed: " + *why + "; nothing was saved");
  }
  if (listed == target.texts) {
    io.err << kProgramName << ": the order is unchanged; nothing was saved\n";
    return kExitOk;
  }
  // Bring the entries to the top from the last one to the first, with the
  // dialog's own button: lines not yet placed stay below those placed.
  TunavoDialogModel& model = session.model();
  const int n = static_cast<int>(target.texts.size());
  for (int k = n - 1, placed = 0; k >= 0; --k, ++placed) {
    const auto& lines = session.view().lines();
    const auto it = std::find(lines.begin() + placed, lines.end(), target.texts[static_cast<size_t>(k)]);
    session.view().Select(static_cast<int>(it - lines.begin()));
    const MoveResult result = model.OnMoveToTop();
    if (result == MoveResult::NoSelection) return Failure(io.err, "order: nothing was moved");
  }
  if (session.view().lines() != target.texts) {
    return Failure(io.err, "order: the list could not be brought into that order; nothing was saved");
  }
  return session.Save();
}

constexpr OptionDecl kListPunctuationOptions[] = {
    {"--punctuation", false}, {"--help", false}, {"-h", false},
};

bool AsksForPunctuation(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--punctuation") return true;
  }
  return false;
}

int RunListWithPunctuation(const GlobalOptions& options, const std::vector<std::string>& args,
                           Streams io) {
  const bool help = std::find(args.begin(), args.end(), "--help") != args.end() ||
                    std::find(args.begin(), args.end(), "-h") != args.end();
  if (help) {
    io.out << "usage: " << kProgramName << " [GLOBAL OPTIONS] list " << kListCommand.synopsis
           << "\n       " << kProgramName << " [GLOBAL OPTIONS] list --punctuation\n\n"
           << kListCommand.description
           << "With --punctuation, prints the marks of the punctuation table instead, one\n"
              "per line, in the order the input method offers them.\n";
    return kExitOk;
  }
  if (!AsksForPunctuation(args)) return kListCommand.run(options, args, io);

  ParsedArgs parsed;
  std::size_t next = 0;
  std::string error;
  if (!ParseArgs(args, 0, kListPunctuationOptions, ParseMode::kMixed, &parsed, &next, &error)) {
    return UsageError(io.err, "list --punctuation takes no other option: " + error);
  }
  if (!parsed.positionals.empty()) {
    return UsageError(io.err, "list --punctuation: unexpected argument '" +
                                  parsed.positionals[0] + "'");
  }
  DialogSession session(options, io);
  if (int status = session.Open(ListMode::Punctuation, ""); status != kExitOk) return status;
  for (const std::u16string& mark : session.view().lines()) io.out << Utf16ToUtf8(mark) << '\n';
  io.out.flush();
  if (!io.out) return Failure(io.err, "cannot write the list");
  return kExitOk;
}

}  // namespace

const Command kMoveCommand = {
    "move",
    "[--phrases] CODE TEXT --top|--up|--down|--bottom\n"
    "  move --punctuation MARK --top|--up|--down|--bottom",
    "Moves TEXT, one of the candidates that `list` prints for CODE, to the top,\n"
    "one place up, one place down or to the bottom, and saves the new order as\n"
    "the frequency tool's Save does: into the first installed copy and, once\n"
    "that is written, into the second; the punctuation table into the first\n"
    "copy only. Prints \"成功保存調頻信息!\" when every copy was written.\n"
    "  --phrases       CODE's phrases whatever its length (as `list --phrases`)\n"
    "  --punctuation   move MARK in the punctuation table (no CODE)\n"
    "A TEXT that is already at that end is left there and nothing is saved.\n"
    "Exit status: 0 saved or nothing to move, 1 a copy was not written (the\n"
    "message says which), 2 bad arguments or TEXT not listed (nothing saved).\n",
    RunMove,
};

const Command kOrderCommand = {
    "order",
    "[--phrases] CODE TEXT...\n"
    "  order --punctuation MARK...",
    "Gives CODE's candidates the complete new order TEXT... (every candidate that\n"
    "`list` prints, each as often as it is listed) and saves it as `move` does.\n"
    "  --phrases       CODE's phrases whatever its length (as `list --phrases`)\n"
    "  --punctuation   order the punctuation table's marks (no CODE)\n"
    "An order equal to the current one saves nothing.\n"
    "Exit status: 0 saved or unchanged, 1 a copy was not written (the message\n"
    "says which), 2 bad arguments or not an order of the listed entries\n"
    "(nothing saved).\n",
    RunOrder,
};

const Command kListWithPunctuationCommand = {
    "list",
    "[--phrases] [--values] CODE\n"
    "  list --punctuation",
    "",
    RunListWithPunctuation,
};

}  // namespace taliq::cli
