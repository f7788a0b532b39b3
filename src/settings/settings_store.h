#pragma once
// Where the settings live in the registry, and the start-with-Windows entry.

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace settings {

inline constexpr const char* kSettingsValue = "QuorvelSetInfo";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Quorvel";
inline constexpr const char* kSaveQuestion = "Are you sure to save the settings?";
inline constexpr const char* kRestoreQuestion = "Are you sure to restore to the default settings?";

// The path of the running program, as the system reports it.
std::string ExecutablePath(platform::Os& os);

// The text of the start-up value for a path. A path with a blank is
// quoted: unquoted, the system would try each blank-separated prefix in
// turn ("C:\Program.exe" before "C:\Program Files\...") at every boot.
std::string StartupEntryText(const std::string& exePath);

// Whether a stored start-up value names this program: both trimmed of
// characters 0 to 32 at either end and compared without regard to the
// letter case of A to Z, after one pair of surrounding quotes is removed
// from the stored text.
bool StartupEntryNamesProgram(const std::string& stored, const std::string& exePath);

// A timer interval in milliseconds for a number of seconds; a number that
// is not positive gives 0 (the timer never fires), one too large for a
// window timer the longest interval the system allows.
unsigned IntervalFromSeconds(std::int32_t seconds);

}  // namespace settings
