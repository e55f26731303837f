// tunavo-cli list: the candidates of a code in the order the input method
// offers them, looked up as the dialog looks them up; with --punctuation,
// the punctuation table as the dialog's 標點 button lists it.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/candidate.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kListOptions[] = {{"--phrases", false}, {"--values", false}};
constexpr OptionDecl kListPunctuationOptions[] = {{"--punctuation", false}};

constexpr std::string_view kListSynopsis = "[--phrases] [--values] CODE";
constexpr std::string_view kListDescription =
    "Prints the candidates of CODE (one to six digits), one per line in UTF-8,\n"
    "in the order the input method offers them.\n"
    "  --phrases   look CODE up in the phrase table whatever its length (the\n"
    "              dialog's phrase mode); without it a code of one to four\n"
    "              digits lists characters and a longer one phrases\n"
    "  --values    follow each candidate by a tab and its values in decimal,\n"
    "              tab-separated: three for a character, two for a phrase\n"
    "A lookup lists at most 300 candidates.\n";

void WriteListUsage(const Streams& io) {
  const std::string_view name = io.program.name;
  io.out << "usage: " << name << " [GLOBAL OPTIONS] list " << kListSynopsis << "\n       " << name
         << " [GLOBAL OPTIONS] list --punctuation\n\n"
         << kListDescription
         << "With --punctuation, prints the marks of the punctuation table instead, one\n"
            "per line, in the order the input method offers them.\n";
}

// Whether the arguments hold the option, before any "--".
bool HasOption(const std::vector<std::string>& args, std::string_view option) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == option) return true;
  }
  return false;
}

bool WroteAll(const Streams& io) {
  io.out.flush();
  return static_cast<bool>(io.out);
}

int ListCandidates(const GlobalOptions& options, const std::vector<std::string>& args,
                   const Streams& io) {
  ParsedArgs parsed;
  if (!ParseArguments(args, kListOptions, io, &parsed)) return kExitUsage;
  if (parsed.positionals.empty()) return UsageError(io, "list: no CODE given");
  if (parsed.positionals.size() > 1) {
    return UsageError(io, "list: unexpected argument '" + parsed.positionals[1] + "'");
  }
  const std::string& code = parsed.positionals[0];
  if (int status = CheckInputCode(io, "list", code); status != kExitOk) return status;
  const bool phrases = parsed.Has("--phrases") || code.size() > 4;
  const bool values = parsed.Has("--values");

  Session session(options, io);
  if (int status = session.OpenStore(); status != kExitOk) return status;
  CandidateList list;
  int count = 0;
  const std::u16string code16(code.begin(), code.end());
  if (int status = session.Lookup(code16, phrases, list, &count); status != kExitOk) {
    return status;
  }
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<std::size_t>(i)];
    io.out << Utf16ToUtf8(r.Text());
    if (values) {
      io.out << '\t' << r.values[0] << '\t' << r.values[1];
      if (!phrases) io.out << '\t' << r.values[2];
    }
    io.out << '\n';
  }
  if (!WroteAll(io)) return Failure(io, "cannot write the list");
  if (count == kCandidateListCapacity) {
    Note(io, "note: a lookup lists at most " + std::to_string(kCandidateListCapacity) +
                 " candidates; code " + code + " may have more");
  }
  return kExitOk;
}

int ListPunctuation(const GlobalOptions& options, const std::vector<std::string>& args,
                    const Streams& io) {
  ParsedArgs parsed;
  if (!ParseArguments(args, kListPunctuationOptions, io, &parsed,
                      "list --punctuation takes no other option: ")) {
    return kExitUsage;
  }
  if (!parsed.positionals.empty()) {
    return UsageError(io,
                      "list --punctuation: unexpected argument '" + parsed.positionals[0] + "'");
  }
  Session session(options, io);
  if (int status = session.OpenDialog(ListMode::kPunctuation, ""); status != kExitOk) {
    return status;
  }
  for (const std::u16string& mark : session.view().lines()) io.out << Utf16ToUtf8(mark) << '\n';
  if (!WroteAll(io)) return Failure(io, "cannot write the list");
  return kExitOk;
}

int RunList(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  // Help wins over everything else given, even after "--".
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    WriteListUsage(io);
    return kExitOk;
  }
  return HasOption(args, "--punctuation") ? ListPunctuation(options, args, io)
                                          : ListCandidates(options, args, io);
}

}  // namespace

const Command kListCommand = {
    "list",
    "[--phrases] [--values] CODE\n"
    "  list --punctuation",
    "",  // list writes its own usage (two forms)
    RunList,
};

}  // namespace taliq::cli
