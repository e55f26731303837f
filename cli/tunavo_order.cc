// tunavo-cli order: a complete new order of a code's candidates, made with
// the dialog's To-top button, then the dialog's Save.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "cli/tunavo_target.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kOrderOptions[] = {{"--phrases", false}, {"--punctuation", false}};

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

int RunOrder(const GlobalOptions& options, const std::vector<std::string>& args,
             const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kOrderCommand, args, kOrderOptions, io, &parsed)) return *status;
  Target target;
  if (int status = ParseTarget("order", parsed, io, &target); status != kExitOk) return status;
  if (target.texts.empty()) return UsageError(io, "order: no TEXT given");

  Session session(options, io);
  if (int status = session.OpenDialog(target.mode, target.code); status != kExitOk) return status;
  const std::vector<std::u16string> listed = session.view().lines();
  if (std::optional<std::string> why = NotAPermutation(listed, target.texts)) {
    return Refused(io, "order: give the " + std::to_string(listed.size()) + " entries listed for " +
                           WhatIsListed(target) + ", each as often as listed: " + *why +
                           "; nothing was saved");
  }
  if (listed == target.texts) {
    Note(io, "the order is unchanged; nothing was saved");
    return kExitOk;
  }
  // Bring the entries to the top from the last one to the first, with the
  // dialog's own button: lines not yet placed stay below those placed.
  const int n = static_cast<int>(target.texts.size());
  for (int k = n - 1, placed = 0; k >= 0; --k, ++placed) {
    const auto& lines = session.view().lines();
    const auto it =
        std::find(lines.begin() + placed, lines.end(), target.texts[static_cast<size_t>(k)]);
    session.view().Select(static_cast<int>(it - lines.begin()));
    if (session.model().OnMoveToTop() == MoveResult::kNoSelection) {
      return Failure(io, "order: nothing was moved");
    }
  }
  if (session.view().lines() != target.texts) {
    return Failure(io, "order: the list could not be brought into that order; nothing was saved");
  }
  return session.Save();
}

}  // namespace

const Command kOrderCommand = {
    "order",
    "[--phrases] CODE TEXT...\n"
    "  order --punctuation MARK...",
    R"(Gives CODE's candidates the complete new order TEXT... (every candidate that
`list` prints, each as often as it is listed) and saves it as `move` does.
  --phrases       CODE's phrases whatever its length (as `list --phrases`)
  --punctuation   order the punctuation table's marks (no CODE)
An order equal to the current one saves nothing.
Exit status: 0 saved or unchanged, 1 a copy was not written (the message
says which), 2 bad arguments or not an order of the listed entries
(nothing saved).
)",
    RunOrder,
};

}  // namespace taliq::cli
