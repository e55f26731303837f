// A two-copy installation of the test dictionaries and tunavo-cli run on it
// with a data folder of its own: the fixture of the command line's save and
// orders tests.
#ifndef TALIQ_TESTS_CLI_INSTALLED_CLI_FIXTURE_H_
#define TALIQ_TESTS_CLI_INSTALLED_CLI_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/freqtool/installation.h"
#include "tests/support/run_program.h"

namespace taliq::test {

class InstalledCliTest : public ::testing::Test {
 protected:
  void SetUp() override { install_.InstallAll(); }

  // tunavo-cli --program-files <first copy's folder> --data-dir <data> ARGS...
  ProgramRun Cli(const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"--program-files", install_.programFiles(), "--data-dir",
                                    install_.dir().Join("data")};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(TUNAVO_CLI_PATH, all);
  }

  Installation install_;
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_CLI_INSTALLED_CLI_FIXTURE_H_
