// Message box flags and results, with the Win32 values (MB_..., ID...), so
// that portable code can ask for a box and read its answer. The Win32
// platform checks them against <windows.h>.
#ifndef TALIQ_PLATFORM_MESSAGE_BOX_H_
#define TALIQ_PLATFORM_MESSAGE_BOX_H_

namespace taliq {

// The buttons (the low four bits).
inline constexpr unsigned kMbOk = 0x00000000u;
inline constexpr unsigned kMbOkCancel = 0x00000001u;
inline constexpr unsigned kMbAbortRetryIgnore = 0x00000002u;
inline constexpr unsigned kMbYesNoCancel = 0x00000003u;
inline constexpr unsigned kMbYesNo = 0x00000004u;
inline constexpr unsigned kMbRetryCancel = 0x00000005u;
inline constexpr unsigned kMbTypeMask = 0x0000000Fu;

// The icon (the next four bits).
inline constexpr unsigned kMbIconQuestion = 0x00000020u;
inline constexpr unsigned kMbIconWarning = 0x00000030u;  // MB_ICONEXCLAMATION
inline constexpr unsigned kMbIconInformation = 0x00000040u;
inline constexpr unsigned kMbIconMask = 0x000000F0u;

// The button pressed.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

}  // namespace taliq

#endif  // TALIQ_PLATFORM_MESSAGE_BOX_H_
