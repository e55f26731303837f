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
// ANSI code page; elsewhere argv already is UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A UTF-8 path as narrow text of the system code page, the form of the
// narrow file functions (the same text everywhere but Windows).
std::string NarrowPathFromUtf8(const std::string& utf8);

// Makes the console show UTF-8 output (Windows); nothing elsewhere.
void UseUtf8Console();

}  // namespace taliq

#endif  // TALIQ_PLATFORM_CONSOLE_H_
