// A machine in a temporary folder: an application-data folder, a 32-bit
// "Program Files (x86)" folder as the settings tool is told it, and the
// native "Program Files" beside it, each optionally with the input
// method's installation folder.
#ifndef TALIQ_TESTS_SETTINGS_SETTINGS_FIXTURE_H_
#define TALIQ_TESTS_SETTINGS_SETTINGS_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {

class SettingsMachine : public ::testing::Test {
 protected:
  SettingsMachine() {
    appData_ = dir_.MakeDirs("Users/me/AppData/Roaming");
    programFiles_ = dir_.MakeDirs("Program Files (x86)");
    dir_.MakeDirs("Program Files");
    platform_.SetAppDataFolder(appData_);
    platform_.SetProgramFilesFolder(programFiles_);
  }

  std::string SettingsFolder() const { return appData_ + "/ZIRIZIR"; }
  std::string PerUser() const { return SettingsFolder() + "/rozevuv_cht.ini"; }
  std::string Copy2() const { return programFiles_ + "/lurm/RozeVuv_cht/rozevuv_cht.ini"; }
  std::string Copy3() const { return dir_.Join("Program Files/lurm/RozeVuv_cht/rozevuv_cht.ini"); }

  void MakeInstallationFolders() const {
    dir_.MakeDirs("Program Files (x86)/lurm/RozeVuv_cht");
    dir_.MakeDirs("Program Files/lurm/RozeVuv_cht");
  }
  void WritePerUser(const std::string& bytes) const {
    dir_.MakeDirs("Users/me/AppData/Roaming/ZIRIZIR");
    WriteText(PerUser(), bytes);
  }

  TempDir dir_;
  TestPlatform platform_;
  std::string appData_;
  std::string programFiles_;
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SETTINGS_SETTINGS_FIXTURE_H_
