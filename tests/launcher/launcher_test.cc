#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace taliq {
namespace {

// Windows as the launcher sees it: a chosen architecture, a process start
// that works or not, and the message boxes shown.
class FakeSystem : public LauncherSystem {
 public:
  std::uint16_t architecture = kProcessorArchitectureIntel;
  bool startWorks = true;

  int starts = 0;
  std::u16string commandLine;
  std::vector<char16_t> wholeBuffer;
  std::uint32_t startupInfoSize = 0;
  struct Box {
    std::u16string text;
    std::u16string caption;
    unsigned style;
  };
  std::vector<Box> boxes;

  std::uint16_t GetNativeSystemArchitecture() override { return architecture; }
  bool CreateProcess(char16_t* line, std::uint32_t size) override {
    ++starts;
    commandLine = line;
    wholeBuffer.assign(line, line + kCommandLineUnits);
    // CreateProcessW may write into the command line; all 128 units are ours.
    for (std::size_t i = 0; i < kCommandLineUnits; ++i) line[i] = u'#';
    startupInfoSize = size;
    return startWorks;
  }
  void MessageBox(std::u16string_view text, std::u16string_view caption, unsigned style) override {
    boxes.push_back({std::u16string(text), std::u16string(caption), style});
  }
};

constexpr char16_t kX64Line[] = u"Msiexec.exe /package RaraVuzIde_CHT.msi";
constexpr char16_t kX86Line[] = u"Msiexec.exe /package RaraVuzIde_CHT(X86).msi";

TEST(LauncherTest, NativeArchitecturePicksThePackage) {
  const struct {
    std::uint16_t architecture;
    const char16_t* line;
    const char16_t* message;
  } cases[] = {
      {9, kX64Line, u"Can not open X64 Setup.exe"},       // AMD64
      {6, kX64Line, u"Can not open X64 Setup.exe"},       // IA64
      {0, kX86Line, u"Can not open X86 Setup.exe"},       // Intel
      {12, kX86Line, u"Can not open X86 Setup.exe"},      // ARM64
      {5, kX86Line, u"Can not open X86 Setup.exe"},       // ARM
      {0xFFFF, kX86Line, u"Can not open X86 Setup.exe"},  // unknown
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.architecture);
    const InstallerChoice choice = ChooseInstaller(c.architecture);
    EXPECT_EQ(choice.commandLine, c.line);
    EXPECT_EQ(choice.failureMessage, c.message);

    FakeSystem system;
    system.architecture = c.architecture;
    EXPECT_EQ(RunLauncher(&system), 0);
    EXPECT_EQ(system.commandLine, c.line);
  }
}

TEST(LauncherTest, StartGetsAZeroPaddedWritableBufferAndShowsNothing) {
  FakeSystem system;
  system.architecture = kProcessorArchitectureAmd64;
  EXPECT_EQ(RunLauncher(&system), 0);
  EXPECT_EQ(system.starts, 1);
  std::vector<char16_t> expected(std::begin(kX64Line), std::end(kX64Line));
  expected.resize(kCommandLineUnits, 0);
  EXPECT_EQ(system.wholeBuffer, expected);
  EXPECT_EQ(system.startupInfoSize, kStartupInfoSize);
  EXPECT_TRUE(system.boxes.empty());
}

TEST(LauncherTest, FailedStartShowsOneWarningAndStillExitsWithZero) {
  for (std::uint16_t arch : {kProcessorArchitectureAmd64, kProcessorArchitectureIntel}) {
    FakeSystem system;
    system.architecture = arch;
    system.startWorks = false;
    EXPECT_EQ(RunLauncher(&system), 0);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].text, ChooseInstaller(arch).failureMessage);
    EXPECT_EQ(system.boxes[0].caption, u"Error");
    EXPECT_EQ(system.boxes[0].style, 0x30u);
  }
}

TEST(LauncherTest, CommandLineBufferHoldsAt127UnitsAndNeverCutsShort) {
  CommandLineBuffer buffer;
  buffer.fill(u'?');
  const std::u16string fits(127, u'a');
  EXPECT_TRUE(FillCommandLineBuffer(fits, &buffer));
  EXPECT_EQ(std::u16string(buffer.data()), fits);
  EXPECT_EQ(buffer[127], 0);

  const std::u16string tooLong(128, u'a');
  EXPECT_FALSE(FillCommandLineBuffer(tooLong, &buffer));
  for (char16_t c : buffer) EXPECT_EQ(c, 0);
}

}  // namespace
}  // namespace taliq
