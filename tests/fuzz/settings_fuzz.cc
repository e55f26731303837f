// The settings file: any bytes parse into entries that the save writes back
// and a second load reads as the same entries; a load, a change and a save
// of three files through the real file layer keep every other entry.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_file.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/test_platform.h"

namespace taliq::fuzz {
namespace {

bool Same(const std::vector<SettingsEntry>& a, const std::vector<SettingsEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
  }
  return true;
}

// The per-user file and the installation copies of one scratch machine.
struct Machine {
  Machine() {
    const std::string root = ScratchFolder() + "/settings";
    appData = root + "/AppData";
    programFiles = root + "/Program Files (x86)";
    perUser = appData + "/ZIRIZIR/rozevuv_cht.ini";
    copies = {programFiles + "/lurm/RozeVuv_cht/rozevuv_cht.ini",
              root + "/Program Files/lurm/RozeVuv_cht/rozevuv_cht.ini"};
    std::filesystem::create_directories(appData + "/ZIRIZIR");
    for (const std::string& c : copies) {
      std::filesystem::create_directories(std::filesystem::path(c).parent_path());
    }
  }
  // A platform of its own for each run, so that nothing it records
  // outlives the run.
  void Configure(test::TestPlatform* platform) const {
    platform->SetAppDataFolder(appData);
    platform->SetProgramFilesFolder(programFiles);
  }
  std::string appData, programFiles, perUser;
  std::vector<std::string> copies;
};

}  // namespace
}  // namespace taliq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace taliq;
  using namespace taliq::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Entries are lines: no line end in them, no "=" in a key; written and
  // read again they are the same.
  const std::vector<SettingsEntry> entries = ParseSettings(bytes);
  for (const SettingsEntry& e : entries) {
    FUZZ_CHECK(e.key.find('=') == std::string::npos);
    FUZZ_CHECK(e.key.find('\n') == std::string::npos && e.value.find('\n') == std::string::npos);
  }
  const std::string serialized = SerializeSettings(entries);
  FUZZ_CHECK(Same(ParseSettings(serialized), entries));

  // The same through the files.
  static const Machine machine;
  test::TestPlatform platform;
  machine.Configure(&platform);
  WriteWholeFile(machine.perUser, bytes);
  SettingsFile file(&platform);
  FUZZ_CHECK(file.LoadSettings() == 1);
  FUZZ_CHECK(Same(file.entries(), entries));
  std::vector<SettingsEntry> expected = entries;
  bool found = false;
  for (SettingsEntry& e : expected) {
    if (e.key == "SHOWMODE" && !found) {
      e.value = "1";
      found = true;
    }
  }
  if (!found) expected.push_back({"SHOWMODE", "1"});
  file.SetSetting("SHOWMODE", "1");
  FUZZ_CHECK(file.SaveSettings() == 1);
  const std::string written = SerializeSettings(expected);
  for (const std::string& path : {machine.perUser, machine.copies[0], machine.copies[1]}) {
    std::string onDisk;
    FUZZ_CHECK(ReadWholeFile(path, &onDisk));
    FUZZ_CHECK(onDisk == written);
  }
  SettingsFile again(&platform);
  FUZZ_CHECK(again.LoadSettings() == 1);
  FUZZ_CHECK(Same(again.entries(), expected));
  return 0;
}
