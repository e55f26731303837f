// archsetup's decision: which installer package the machine's native
// architecture calls for, and how the start of the Windows Installer is
// made and reported. The real process start sits behind LauncherSystem.
#ifndef TALIQ_LAUNCHER_LAUNCHER_H_
#define TALIQ_LAUNCHER_LAUNCHER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/message_box.h"

namespace taliq {

// Processor-architecture values of the system-information structure.
inline constexpr std::uint16_t kProcessorArchitectureIntel = 0;
inline constexpr std::uint16_t kProcessorArchitectureIa64 = 6;
inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;

// The writable command line handed to the process start: the command line,
// its terminator, and zeros up to the end.
inline constexpr std::size_t kCommandLineUnits = 128;
using CommandLineBuffer = std::array<char16_t, kCommandLineUnits>;

// The size field of the startup-information structure: 68 in the 32-bit
// program archsetup is; a 64-bit build's structure is 104 bytes.
inline constexpr std::uint32_t kStartupInfoSize = sizeof(void*) == 4 ? 68 : 104;

inline constexpr std::u16string_view kLaunchFailureCaption = u"Error";
inline constexpr unsigned kLaunchFailureStyle = kMbOk | kMbIconWarning;

struct InstallerChoice {
  std::u16string_view commandLine;
  std::u16string_view failureMessage;
};

// 9 (AMD64) and 6 (IA64) take the 64-bit package; every other value,
// ARM64 and "unknown" included, the 32-bit one.
InstallerChoice ChooseInstaller(std::uint16_t nativeArchitecture);

// Copies the command line, terminator included, and zeroes the rest. False
// (buffer all zero) when it does not fit: it is never cut short.
bool FillCommandLineBuffer(std::u16string_view commandLine, CommandLineBuffer* buffer);

// What the launcher asks of Windows.
class LauncherSystem {
 public:
  virtual ~LauncherSystem() = default;
  // GetNativeSystemInfo's processor architecture.
  virtual std::uint16_t GetNativeSystemArchitecture() = 0;
  // CreateProcessW(no application name, commandLine, no process or thread
  // security attributes, no handle inheritance, creation flags 0, the
  // launcher's environment and current folder, a STARTUPINFOW all zero but
  // its size field = startupInfoSize, a zeroed PROCESS_INFORMATION). The
  // handles it returns are left open. True when the process was started.
  virtual bool CreateProcess(char16_t* commandLine, std::uint32_t startupInfoSize) = 0;
  // MessageBoxW with no owner window; returns when it is dismissed.
  virtual void MessageBox(std::u16string_view text, std::u16string_view caption,
                          unsigned style) = 0;
};

// Starts the installer for the native architecture; shows the choice's
// failure message when the start fails. Returns the exit code, always 0.
int RunLauncher(LauncherSystem* system);

}  // namespace taliq

#endif  // TALIQ_LAUNCHER_LAUNCHER_H_
