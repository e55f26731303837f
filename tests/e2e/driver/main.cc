// e2e-driver.exe NAME...: runs the named scenarios (all when none is named)
// and prints "PASS name" or "FAIL name" for each; "list" prints each name
// with the locale its run needs. The exit code is the number of failed
// scenarios. "pose NAME" opens a window for a screenshot (poses.cc).
// "load-library NAME" loads a DLL by name as a program that leaves the DLL
// search as it is would (exit code 0 when it was loaded).
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/e2e/driver/e2e.h"

int main(int argc, char** argv) {
  using taliq::e2e::Scenarios;
  if (argc == 3 && std::strcmp(argv[1], "pose") == 0) return taliq::e2e::RunPose(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "load-library") == 0) {
    const std::string name(argv[2]);
    return ::LoadLibraryW(std::wstring(name.begin(), name.end()).c_str()) != nullptr ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
    for (const auto& scenario : Scenarios()) std::printf("%s\t%s\n", scenario.name, scenario.lang);
    return 0;
  }
  int failed = 0;
  int ran = 0;
  for (const auto& scenario : Scenarios()) {
    bool wanted = argc == 1;
    for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], scenario.name) == 0;
    if (!wanted) continue;
    ++ran;
    taliq::e2e::ClearFailures();
    std::printf("RUN  %s\n", scenario.name);
    std::fflush(stdout);
    try {
      scenario.run();
    } catch (const taliq::e2e::ScenarioAbort&) {
    }
    const bool passed = taliq::e2e::Failures().empty();
    if (!passed) ++failed;
    std::printf("%s %s\n", passed ? "PASS" : "FAIL", scenario.name);
    std::fflush(stdout);
  }
  if (ran == 0) {
    std::printf("no such scenario\n");
    return 100;
  }
  return failed;
}
