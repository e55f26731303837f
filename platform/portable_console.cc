#include "platform/console.h"

#include "platform/text.h"

namespace taliq {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

std::string NarrowPathFromUtf8(const std::string& utf8) { return utf8; }

bool PathArgumentToUtf16(const std::string& argument, std::u16string* path) {
  *path = PathBytesToUtf16(argument);
  return true;
}

bool PathArgumentToNarrow(const std::string& argument, std::string* path) {
  *path = argument;
  return true;
}

void UseUtf8Console() {}

}  // namespace taliq
