#include "platform/console.h"

namespace taliq {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

std::string NarrowPathFromUtf8(const std::string& utf8) { return utf8; }

void UseUtf8Console() {}

}  // namespace taliq
