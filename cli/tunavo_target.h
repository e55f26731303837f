// What a move or order command names: the list (a code's characters or
// phrases, or the punctuation table) and the entries in it.
#ifndef TALIQ_CLI_TUNAVO_TARGET_H_
#define TALIQ_CLI_TUNAVO_TARGET_H_

#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "cli/front_end.h"
#include "freqtool/adjustment_list.h"

namespace taliq::cli {

struct Target {
  ListMode mode = ListMode::kSingle;
  std::string code;  // empty for the punctuation table
  std::vector<std::u16string> texts;
};

// Reads the target from the parsed arguments of `command` ("move"):
// --phrases or --punctuation, then CODE (unless --punctuation) and the
// texts. Returns kExitOk, or kExitUsage after reporting a usage error.
int ParseTarget(std::string_view command, const ParsedArgs& parsed, const Streams& io,
                Target* target);

// "code 123" or "the punctuation table".
std::string WhatIsListed(const Target& target);

// 'TEXT', in UTF-8.
std::string Quoted(std::u16string_view text);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_TARGET_H_
