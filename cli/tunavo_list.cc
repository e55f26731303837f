// tunavo-cli list: the candidates of a code in the order the input method
// offers them, routed like the dialog's lookups.
#include "cli/tunavo_commands.h"
#include "dictionary/candidate.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kListOptions[] = {
    {"--phrases", false},
    {"--values", false},
    {"--help", false},
    {"-h", false},
};

}  // namespace

const Command kListCommand = {
    "list",
    "[--phrases] [--values] CODE",
    "Prints the candidates of CODE (one to six digits), one per line in UTF-8,\n"
    "in the order the input method offers them.\n"
    "  --phrases   look CODE up in the phrase table whatever its length (the\n"
    "              dialog's phrase mode); without it a code of one to four\n"
    "              digits lists characters and a longer one phrases\n"
    "  --values    follow each candidate by a tab and its values in decimal,\n"
    "              tab-separated: three for a character, two for a phrase\n"
    "A lookup lists at most 300 candidates.\n",
    RunList,
};

int RunList(const GlobalOptions& options, const std::vector<std::string>& args, Streams io) {
  ParsedArgs parsed;
  std::size_t next = 0;
  std::string error;
  if (!ParseArgs(args, 0, kListOptions, ParseMode::kMixed, &parsed, &next, &error)) {
    return UsageError(io.err, error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    WriteCommandUsage(io.out, kListCommand);
    return kExitOk;
  }
  if (parsed.positionals.empty()) return UsageError(io.err, "list: no CODE given");
  if (parsed.positionals.size() > 1) {
    return UsageError(io.err, "list: unexpected argument '" + parsed.positionals[1] + "'");
  }
  const std::string& code = parsed.positionals[0];
  if (!IsInputCode(code)) {
    return UsageError(io.err, "list: invalid code '" + code + "': a code is one to six digits 0-9");
  }
  const bool phrases = parsed.Has("--phrases") || code.size() > 4;
  const bool values = parsed.Has("--values");

  DictionarySession session(options);
  if (int status = session.Open(io.err); status != kExitOk) return status;

  CandidateList list;
  const std::u16string code16(code.begin(), code.end());
  DictionaryStore& store = session.store();
  const int count =
      phrases ? store.LookupPhrases(code16, list) : store.LookupCharacters(code16, list);
  session.platform().WriteMessages(io.err);
  if (count < 0) {
    return Failure(io.err, "cannot read the index " + session.Folder() + kIndexFileName);
  }
  const char* table = phrases ? kPhraseTableFileName : kCharacterTableFileName;
  // The store gives an empty list for a table it cannot open; say so rather
  // than pretend the code has no candidates.
  if (count == 0 && !session.CanRead(table)) {
    return Failure(io.err, "cannot read " + session.Folder() + table);
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
  io.out.flush();
  if (!io.out) return Failure(io.err, "cannot write the list");
  if (count == kCandidateListCapacity) {
    io.err << kProgramName << ": note: a lookup lists at most " << kCandidateListCapacity
           << " candidates; code " << code << " may have more\n";
  }
  return kExitOk;
}

}  // namespace taliq::cli
