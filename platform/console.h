// What a command-line front end needs to exchange text with its user: the
// arguments as UTF-8, paths in the narrow form the file layer takes, and a
// console that shows UTF-8 output.
#ifndef TALIQ_PLATFORM_CONSOLE_H_
#define TALIQ_PLATFORM_CONSOLE_H_

#include <string>
#include <vector>

namespace taliq {

// The arguments after the program name, as UTF-8. On Windows they are taken
// from the wide command line, so Chinese text arrives whole whatever the
// ANSI code page (a lone surrogate, which is no text, is kept as the three
// bytes UTF-8 would give it, which no UTF-8 check passes); elsewhere argv is
// taken as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A path option, exactly as given, in the form the wide file calls take.
// Elsewhere than Windows a file name is bytes and every argument is one
// (bytes that are not UTF-8 are kept: PathBytesToUtf16, platform/text.h).
// On Windows false when the argument is not valid text: a front end then
// refuses it rather than use another name.
bool PathArgumentToUtf16(const std::string& argument, std::u16string* path);

// The same in the form the narrow file calls take, text of the system code
// page. On Windows also false when a character has no form in the ANSI
// code page (it would become another character, "?" or a look-alike).
bool PathArgumentToNarrow(const std::string& argument, std::string* path);

// A UTF-8 path as narrow text of the system code page, the form of the
// narrow file functions (the same text everywhere but Windows).
std::string NarrowPathFromUtf8(const std::string& utf8);

// Makes the console show UTF-8 output (Windows); nothing elsewhere.
void UseUtf8Console();

}  // namespace taliq

#endif  // TALIQ_PLATFORM_CONSOLE_H_
