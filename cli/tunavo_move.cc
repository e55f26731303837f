// tunavo-cli move: one candidate to the top, up, down or to the bottom with
// the dialog's own buttons, then the dialog's Save.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "cli/tunavo_target.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kMoveOptions[] = {
    {"--phrases", false}, {"--punctuation", false}, {"--top", false},
    {"--up", false},      {"--down", false},        {"--bottom", false},
};

// The dialog's four move buttons, by option.
struct Direction {
  std::string_view option;
  MoveResult (TunavoDialogModel::*press)();
  bool upwards;
};
constexpr Direction kDirections[] = {
    {"--top", &TunavoDialogModel::OnMoveToTop, true},
    {"--up", &TunavoDialogModel::OnMoveUp, true},
    {"--down", &TunavoDialogModel::OnMoveDown, false},
    {"--bottom", &TunavoDialogModel::OnMoveToBottom, false},
};

int RunMove(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kMoveCommand, args, kMoveOptions, io, &parsed)) return *status;
  Target target;
  if (int status = ParseTarget("move", parsed, io, &target); status != kExitOk) return status;
  if (target.texts.size() != 1) {
    return UsageError(
        io, target.texts.empty() ? "move: no TEXT given" : "move: give exactly one TEXT to move");
  }
  const Direction* direction = nullptr;
  int directions = 0;
  for (const Direction& d : kDirections) {
    if (parsed.Has(d.option)) {
      direction = &d;
      ++directions;
    }
  }
  if (directions != 1) return UsageError(io, "move: give one of --top, --up, --down, --bottom");

  Session session(options, io);
  if (int status = session.OpenDialog(target.mode, target.code); status != kExitOk) return status;
  const std::u16string& text = target.texts[0];
  const int line = session.FindLine(text);
  if (line < 0) {
    return Refused(io, "move: " + Quoted(text) + " is not listed for " + WhatIsListed(target) +
                           "; nothing was saved");
  }
  session.view().Select(line);
  const MoveResult result = (session.model().*direction->press)();
  if (result == MoveResult::kNoMove) {
    Note(io, Quoted(text) + " is already at the " + (direction->upwards ? "top" : "bottom") +
                 "; nothing was saved");
    return kExitOk;
  }
  if (result != MoveResult::kMoved) return Failure(io, "move: nothing was moved");
  return session.Save();
}

}  // namespace

const Command kMoveCommand = {
    "move",
    "[--phrases] CODE TEXT --top|--up|--down|--bottom\n"
    "  move --punctuation MARK --top|--up|--down|--bottom",
    R"(Moves TEXT, one of the candidates that `list` prints for CODE, to the top,
one place up, one place down or to the bottom, and saves the new order as
the frequency tool's Save does: into the first installed copy and, once
that is written, into the second; the punctuation table into the first
copy only. Prints "成功保存調頻信息!" when every copy was written.
  --phrases       CODE's phrases whatever its length (as `list --phrases`)
  --punctuation   move MARK in the punctuation table (no CODE)
A TEXT that is already at that end is left there and nothing is saved.
Exit status: 0 saved or nothing to move, 1 a copy was not written (the
message says which), 2 bad arguments or TEXT not listed (nothing saved).
)",
    RunMove,
};

}  // namespace taliq::cli
