#include "cli/tunavo_target.h"

#include "cli/tunavo_command.h"
#include "platform/text.h"

namespace taliq::cli {

int ParseTarget(std::string_view command, const ParsedArgs& parsed, const Streams& io,
                Target* target) {
  const std::string name(command);
  const bool phrases = parsed.Has("--phrases");
  const bool punctuation = parsed.Has("--punctuation");
  if (phrases && punctuation) {
    return UsageError(io, name + ": --phrases and --punctuation exclude each other");
  }
  target->mode =
      punctuation ? ListMode::kPunctuation : (phrases ? ListMode::kPhrase : ListMode::kSingle);
  size_t first = 0;
  if (!punctuation) {
    if (parsed.positionals.empty()) return UsageError(io, name + ": no CODE given");
    target->code = parsed.positionals[0];
    if (int status = CheckInputCode(io, command, target->code); status != kExitOk) return status;
    first = 1;
  }
  for (size_t i = first; i < parsed.positionals.size(); ++i) {
    target->texts.push_back(Utf8ToUtf16(parsed.positionals[i]));
  }
  return kExitOk;
}

std::string WhatIsListed(const Target& target) {
  return target.mode == ListMode::kPunctuation ? std::string("the punctuation table")
                                               : "code " + target.code;
}

std::string Quoted(std::u16string_view text) { return "'" + Utf16ToUtf8(text) + "'"; }

}  // namespace taliq::cli
