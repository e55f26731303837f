#include "tests/support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace taliq::test {
namespace {

bool IsUnset(const char* entry, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=') {
      return true;
    }
  }
  return false;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const RunOptions& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!IsUnset(*e, options.unsetEnv)) env.emplace_back(*e);
  }
  env.insert(env.end(), options.setEnv.begin(), options.setEnv.end());
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvp;
  std::vector<char*> envp;
  for (std::string& a : argv) argvp.push_back(a.data());
  argvp.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  // The streams go to files rather than pipes: nothing can block on a full
  // pipe, whatever the program writes.
  const TempDir streams;
  const std::string outPath =
      options.stdoutPath.empty() ? streams.Join("stdout") : options.stdoutPath;
  const std::string errPath = streams.Join("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argvp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProgramRun run;
  if (rc != 0) {
    run.err = "cannot start " + program + ": " + std::strerror(rc);
    return run;
  }
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) != pid) {
    if (errno != EINTR) {
      run.err = "cannot wait for " + program + ": " + std::strerror(errno);
      return run;
    }
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (options.stdoutPath.empty()) run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  return run;
}

}  // namespace taliq::test
