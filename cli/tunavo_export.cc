// tunavo-cli export: the user's orders (every code whose order differs from
// the original) as an orders file, to carry to another machine or keep.
#include <iostream>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "orders/user_orders.h"
#include "platform/replace_file.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kExportOptions[] = {{"--all-dictionaries", false}};

int Export(Session& session, const ParsedArgs& parsed) {
  const Streams& io = session.io();
  const std::string& target = parsed.positionals[0];
  const DictionaryId chosen = session.dictionary();
  const std::span<const DictionaryId> ids = parsed.Has("--all-dictionaries")
                                                ? std::span<const DictionaryId>(kAllDictionaries)
                                                : std::span<const DictionaryId>(&chosen, 1);
  const bool toOutput = target == "-";
  // A file is written whole, in one replace: the old one stays on failure.
  std::string text;
  ExportReport report;
  const Status s = ExportOrders(
      session.platform(), *session.keeper().store(), session.dataDir(), ids,
      [&](std::string_view piece) {
        if (toOutput) {
          io.out << piece;
        } else {
          text += piece;
        }
        return Status::Ok();
      },
      &report);
  if (!s.ok()) return session.OrdersFailure("export", s);
  for (const std::string& left : report.leftOut) Note(io, "export: left out " + left);
  if (toOutput) return kExitOk;
  if (Status w = ReplaceFileContents(session.platform(), target, text); !w.ok()) {
    return session.OrdersFailure("export", w);
  }
  io.out << "exported " << report.groups << (report.groups == 1 ? " group" : " groups") << " to "
         << target << '\n';
  return kExitOk;
}

}  // namespace

const Command kExportCommand = {
    "export",
    "[--all-dictionaries] FILE|-",
    R"(Writes the orders file: for every code of the dictionary (all four with
--all-dictionaries) whose order differs from the original, its complete
current order. UTF-8, first line "# taliq-orders 1"; - writes it to the
standard output. Exit status: 0 written, 1 a file could not be read or
written, 2 bad arguments.
)",
    nullptr,
    {kExportOptions, 1, 1, "one FILE, or - for the standard output", Export},
};

}  // namespace taliq::cli
