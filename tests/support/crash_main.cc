// main() of a test program with crash scenarios: a child run (the
// environment names a scenario) runs it; any other run runs the tests.
#include <gtest/gtest.h>

#include "tests/support/crash_child.h"

int main(int argc, char** argv) {
  const int scenario = taliq::test::RunCrashScenarioFromEnvironment();
  if (scenario >= 0) return scenario;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
