#include "tests/support/crash_child.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <vector>

extern char** environ;

namespace taliq::test {
namespace {

std::map<std::string, CrashScenario>& Scenarios() {
  static std::map<std::string, CrashScenario> scenarios;
  return scenarios;
}

std::string SelfPath() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  path.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return path;
}

}  // namespace

bool RegisterCrashScenario(const char* name, CrashScenario scenario) {
  Scenarios()[name] = scenario;
  return true;
}

int RunCrashChild(const std::string& scenario, const std::string& dir, int at, FaultKind kind) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.push_back(std::string(kScenarioVariable) + "=" + scenario);
  env.push_back(std::string(kScenarioDirVariable) + "=" + dir);
  env.push_back(std::string(kFaultAtVariable) + "=" + std::to_string(at));
  env.push_back(std::string(kFaultKindVariable) + "=" +
                (kind == FaultKind::kTornWrite ? "torn" : "crash"));
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = SelfPath();
  char* argv[] = {self.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int RunCrashScenarioFromEnvironment() {
  const char* name = std::getenv(kScenarioVariable);
  const char* dir = std::getenv(kScenarioDirVariable);
  if (name == nullptr || dir == nullptr) return -1;
  const auto it = Scenarios().find(name);
  // 2: no such scenario; distinct from a save's failure (1) and a crash.
  return it == Scenarios().end() ? 2 : it->second(dir);
}

}  // namespace taliq::test
