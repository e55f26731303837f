#include "cli/args.h"

#include <algorithm>

namespace taliq::cli {

bool ParsedArgs::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(),
                     [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> ParsedArgs::Value(std::string_view name) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->first == name) return it->second;
  }
  return std::nullopt;
}

bool ParseArgs(const std::vector<std::string>& args, std::size_t begin,
               std::span<const OptionDecl> decls, ParseMode mode, ParsedArgs* out,
               std::size_t* next, std::string* error) {
  bool optionsEnded = false;
  std::size_t i = begin;
  while (i < args.size()) {
    const std::string& arg = args[i];
    // A lone "-" is an argument, as is everything after "--".
    const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!looksLikeOption) {
      if (mode == ParseMode::kUntilCommand) break;
      out->positionals.push_back(arg);
      ++i;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      ++i;
      if (mode == ParseMode::kUntilCommand) break;
      continue;
    }
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const auto decl = std::find_if(decls.begin(), decls.end(),
                                   [&](const OptionDecl& s) { return s.name == name; });
    if (decl == decls.end()) {
      *error = "unknown option '" + name + "'";
      return false;
    }
    std::string value;
    if (eq != std::string::npos) {
      if (!decl->takesValue) {
        *error = "option '" + name + "' takes no value";
        return false;
      }
      value = arg.substr(eq + 1);
    } else if (decl->takesValue) {
      if (i + 1 >= args.size()) {
        *error = "option '" + name + "' needs a value";
        return false;
      }
      value = args[++i];
    }
    out->options.emplace_back(name, std::move(value));
    ++i;
  }
  *next = i;
  return true;
}

}  // namespace taliq::cli
