#pragma once
// Where the settings live in the registry, and the start-with-Windows entry.

#include <cstdint>
#include <string>

#include "platform/os.h"
#include "settings/settings_record.h"

namespace settings {

// The installer makes the key; the program only opens it.
inline constexpr const char* kSettingsKey = "Software\\Quorvel";
inline constexpr const char* kSettingsValue = "QuorvelSetInfo";
// Beside the record, which older copies of the program keep reading as it
// is: bit 0 of this REG_DWORD says to empty the memory lists too.
inline constexpr const char* kMemoryListsValue = "QuorvelMemoryLists";
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

// Why the settings or the start-up entry could not be read or written.
enum class StoreError { kNone, kInvalidType, kReadFailed, kWriteFailed };

// The text the user sees for an error about the value `valueName`: "Invalid
// data type for '...'", "Failed to get data for '...'", "Failed to set data
// for '...'"; empty for none.
std::string StoreErrorText(StoreError error, const std::string& valueName);

// The record in an open settings key: the defaults with the stored bytes
// laid over them, the defaults alone where nothing is stored. A value of a
// text or number type, or one longer than the record, is kInvalidType; one
// that cannot be read in full, kReadFailed. Both concern kSettingsValue.
struct StoredRecord {
  TSetInfo record;
  StoreError error = StoreError::kNone;
};
StoredRecord ReadSettingsRecord(platform::Os& os, platform::HKey key);

// Writes the record's 92 bytes as kSettingsValue; kWriteFailed when the
// system refuses.
StoreError WriteSettingsRecord(platform::Os& os, platform::HKey key, const TSetInfo& record);

// The memory-list option in an open settings key: on when kMemoryListsValue
// is a 4-byte REG_DWORD with bit 0 set. Missing, or of another type or
// size, it is off.
bool ReadMemoryListsOption(platform::Os& os, platform::HKey key);

// Writes the option as 1 or 0; kWriteFailed (about kMemoryListsValue) when
// the system refuses.
StoreError WriteMemoryListsOption(platform::Os& os, platform::HKey key, bool on);

// Whether the machine's start-up list holds a kRunValue that names this
// program.
bool StartupEntryRegistered(platform::Os& os);

// Writes kRunValue naming this program, or deletes it; a refused write is
// kWriteFailed (about kRunValue), a refused delete counts as done.
StoreError WriteStartupEntry(platform::Os& os, bool startWithWindows);

}  // namespace settings
