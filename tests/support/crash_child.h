// Crash points: the test program runs itself again as a child process
// whose FaultPlatform ends it at the N-th call of a save, as a kill would;
// the parent then recovers and checks what is on disk.
//
// A test program with crash scenarios links taliq_crash_main, whose main()
// runs the scenario the environment names (kScenarioVariable) instead of
// the tests.
#ifndef TALIQ_TESTS_SUPPORT_CRASH_CHILD_H_
#define TALIQ_TESTS_SUPPORT_CRASH_CHILD_H_

#include <string>

#include "tests/support/fault_platform.h"

namespace taliq::test {

inline constexpr char kScenarioVariable[] = "TALIQ_TEST_CRASH_SCENARIO";
inline constexpr char kScenarioDirVariable[] = "TALIQ_TEST_CRASH_DIR";

// A save run in the child: it builds its platform (a FaultPlatform armed
// with ArmFromEnvironment) on the files below `dir` and returns the exit
// status, 0 when the save succeeded.
using CrashScenario = int (*)(const std::string& dir);

// Makes `scenario` known under `name`; for a static object's initialiser.
bool RegisterCrashScenario(const char* name, CrashScenario scenario);

// Runs this program as a child with the named scenario on `dir` and the
// fault `kind` (kCrash or kTornWrite) at call `at`. Returns the child's exit
// status: kCrashExitCode when the fault ended it, else the scenario's; -1
// when the child could not be run or died otherwise.
int RunCrashChild(const std::string& scenario, const std::string& dir, int at, FaultKind kind);

// In main(): when the environment names a scenario, runs it and gives its
// exit status; -1 when there is none to run.
int RunCrashScenarioFromEnvironment();

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_CRASH_CHILD_H_
