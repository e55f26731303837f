// Runs a built program as a user would from a shell and captures what it
// says: its standard output, its standard error and its exit status.
#ifndef TALIQ_TESTS_SUPPORT_RUN_PROGRAM_H_
#define TALIQ_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace taliq::test {

struct RunOptions {
  // Variables removed from the test's own environment ("PROGRAMFILES").
  std::vector<std::string> unsetEnv;
  // Variables added after that, as NAME=value.
  std::vector<std::string> setEnv;
  // When set, standard output goes to this file or device ("/dev/full")
  // and is not captured.
  std::string stdoutPath;
};

struct ProgramRun {
  // The exit status; 128 + the signal's number when a signal ended the
  // program; -1 when it could not be started (`err` then says why).
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (argv[0] is the program's path), standard
// input empty, and waits for it to end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const RunOptions& options = {});

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_RUN_PROGRAM_H_
