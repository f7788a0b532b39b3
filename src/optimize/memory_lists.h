#pragma once
// Emptying the system's memory lists (Windows Vista and later): trimmed
// pages wait on the modified and standby lists, where they still count as
// used; flushing the one and purging the other makes them available.

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace optimize {

inline constexpr std::uint32_t kSystemMemoryListInformation = 80;
inline constexpr std::uint32_t kMemoryFlushModifiedList = 3;
inline constexpr std::uint32_t kMemoryPurgeStandbyList = 4;
inline constexpr const char* kProfilePrivilege = "SeProfileSingleProcessPrivilege";

// Whether the system can empty its lists: an NT version of 6.0 or later
// whose ntdll has the call.
bool MemoryListsAvailable(platform::Os& os);

enum class MemoryListOutcome { kEmptied, kNoPrivilege, kFailed };
struct MemoryListResult {
  MemoryListOutcome outcome = MemoryListOutcome::kFailed;
  // For kFailed: the system's message for the failure.
  std::string reason;
};

// Enables the profiling privilege on the program's token, flushes the
// modified list, then purges the standby list; the first step that fails
// ends it. A privilege the user does not hold, whether the token says so
// or the system refuses a command for it, is kNoPrivilege.
MemoryListResult EmptyMemoryLists(platform::Os& os);

// The report's line for a result: "Standby list: emptied", "Standby list:
// not emptied (administrator rights needed)" or "Standby list: not
// emptied (" + the reason + ")".
std::string MemoryListReportLine(const MemoryListResult& result);

}  // namespace optimize
