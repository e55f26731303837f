#include "launcher/launcher.h"

#include <algorithm>

namespace taliq {

InstallerChoice ChooseInstaller(std::uint16_t nativeArchitecture) {
  if (nativeArchitecture == kProcessorArchitectureAmd64 ||
      nativeArchitecture == kProcessorArchitectureIa64) {
    return {u"Msiexec.exe /package RaraVuzIde_CHT.msi", u"Can not open X64 Setup.exe"};
  }
  return {u"Msiexec.exe /package RaraVuzIde_CHT(X86).msi", u"Can not open X86 Setup.exe"};
}

bool FillCommandLineBuffer(std::u16string_view commandLine, CommandLineBuffer* buffer) {
  buffer->fill(0);
  if (commandLine.size() >= buffer->size()) return false;
  std::copy(commandLine.begin(), commandLine.end(), buffer->begin());
  return true;
}

int RunLauncher(LauncherSystem* system) {
  const InstallerChoice choice = ChooseInstaller(system->GetNativeSystemArchitecture());
  // CreateProcessW may write into its command line, so it gets a buffer of
  // its own rather than the constant text.
  CommandLineBuffer commandLine;
  const bool started = FillCommandLineBuffer(choice.commandLine, &commandLine) &&
                       system->CreateProcess(commandLine.data(), kStartupInfoSize);
  if (!started) {
    system->MessageBox(choice.failureMessage, kLaunchFailureCaption, kLaunchFailureStyle);
  }
  return 0;
}

}  // namespace taliq
