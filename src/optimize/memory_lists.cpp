#include "optimize/memory_lists.h"

#include "monitor/cpu_usage.h"
#include "platform/handles.h"

namespace optimize {

namespace {

MemoryListResult Failed(std::string reason) {
  return MemoryListResult{MemoryListOutcome::kFailed, std::move(reason)};
}

// A status's own text, through the Win32 error it stands for; the status
// in hexadecimal where the system has no such error.
std::string StatusText(platform::Os& os, platform::NtStatus status) {
  const std::uint32_t error = os.RtlNtStatusToDosError(status);
  if (error != platform::kErrorMrMidNotFound && error != 0) {
    return os.SysErrorMessage(static_cast<std::int32_t>(error));
  }
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex = "status 0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    hex += kDigits[(static_cast<std::uint32_t>(status) >> shift) & 0xF];
  }
  return hex;
}

// Enables the profiling privilege for the rest of the program's life: the
// system checks it at each command.
MemoryListResult EnableProfilePrivilege(platform::Os& os) {
  platform::Handle raw = platform::kNoHandle;
  if (!os.OpenProcessToken(os.GetCurrentProcess(),
                           platform::kTokenAdjustPrivileges | platform::kTokenQuery, &raw)) {
    return Failed(os.SysErrorMessage(static_cast<std::int32_t>(os.GetLastError())));
  }
  const platform::UniqueHandle token(os, raw);
  platform::TokenPrivileges1 state;
  state.PrivilegeCount = 1;
  state.Attributes = platform::kSePrivilegeEnabled;
  if (!os.LookupPrivilegeValueA(nullptr, kProfilePrivilege, &state.luid)) {
    return Failed(os.SysErrorMessage(static_cast<std::int32_t>(os.GetLastError())));
  }
  std::uint32_t returned = 0;
  if (!os.AdjustTokenPrivileges(token.Get(), false, &state, sizeof state, nullptr, &returned)) {
    return Failed(os.SysErrorMessage(static_cast<std::int32_t>(os.GetLastError())));
  }
  // The call succeeds even when it assigns nothing; only the last error
  // tells that the user does not hold the privilege.
  if (os.GetLastError() == platform::kErrorNotAllAssigned) {
    return MemoryListResult{MemoryListOutcome::kNoPrivilege, ""};
  }
  return MemoryListResult{MemoryListOutcome::kEmptied, ""};
}

MemoryListResult Command(platform::Os& os, std::uint32_t command) {
  std::uint32_t info = command;
  const platform::NtStatus status =
      os.NtSetSystemInformation(kSystemMemoryListInformation, &info, sizeof info);
  if (status == platform::kStatusSuccess) return MemoryListResult{MemoryListOutcome::kEmptied, ""};
  if (status == platform::kStatusPrivilegeNotHeld) {
    return MemoryListResult{MemoryListOutcome::kNoPrivilege, ""};
  }
  return Failed(StatusText(os, status));
}

}  // namespace

bool MemoryListsAvailable(platform::Os& os) {
  platform::OsVersionInfo info;
  if (!monitor::ReadVersion(os, info)) return false;
  if (info.dwPlatformId != platform::kVerPlatformWin32NT || info.dwMajorVersion < 6) return false;
  return os.HasNtSetSystemInformation();
}

MemoryListResult EmptyMemoryLists(platform::Os& os) {
  MemoryListResult result = EnableProfilePrivilege(os);
  if (result.outcome != MemoryListOutcome::kEmptied) return result;
  result = Command(os, kMemoryFlushModifiedList);
  if (result.outcome != MemoryListOutcome::kEmptied) return result;
  return Command(os, kMemoryPurgeStandbyList);
}

std::string MemoryListReportLine(const MemoryListResult& result) {
  switch (result.outcome) {
    case MemoryListOutcome::kEmptied: return "Standby list: emptied";
    case MemoryListOutcome::kNoPrivilege:
      return "Standby list: not emptied (administrator rights needed)";
    case MemoryListOutcome::kFailed: break;
  }
  return "Standby list: not emptied (" + result.reason + ")";
}

}  // namespace optimize
