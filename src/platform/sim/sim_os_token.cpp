// SimOs: the program's token and its privileges.

#include <cstring>

#include "platform/sim/sim_os.h"

namespace platform {

namespace {

// The 9x family has no tokens: its calls fail as not implemented.
constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;

}  // namespace

bool SimOs::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
  Log("OpenProcessToken");
  *token = kNoHandle;
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("OpenProcessToken")) return false;
  if (process != kCurrentProcessPseudo) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  *token = NewHandle("token", "access " + std::to_string(access));
  return true;
}

bool SimOs::GetTokenInformation(Handle token, std::uint32_t infoClass, void* buffer,
                                std::uint32_t length, std::uint32_t* returnLength) {
  Log("GetTokenInformation");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("GetTokenInformation")) return false;
  if (handles_.count(token) == 0 || infoClass != kTokenPrivilegesClass) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  // A real token holds many privileges: a one-entry buffer gets the count
  // and the first entry, and the call reports the buffer too small.
  constexpr std::uint32_t kHeld = 5;
  constexpr std::uint32_t kNeeded = 4 + kHeld * 12;
  if (returnLength != nullptr) *returnLength = kNeeded;
  if (length >= 4) std::memcpy(buffer, &kHeld, 4);
  if (length >= 16) {
    TokenPrivileges1 first;
    first.PrivilegeCount = kHeld;
    first.luid = Luid{23, 0};
    first.Attributes = 3;
    std::memcpy(buffer, &first, sizeof first);
  }
  lastError_ = 122;  // ERROR_INSUFFICIENT_BUFFER
  return false;
}

bool SimOs::LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid* luid) {
  Log("LookupPrivilegeValueA(" + name + ")");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("LookupPrivilegeValueA")) return false;
  if (systemName == nullptr && name == "SeDebugPrivilege") {
    *luid = debugPrivilegeLuid;
    return true;
  }
  if (systemName == nullptr && name == "SeProfileSingleProcessPrivilege") {
    *luid = profilePrivilegeLuid;
    return true;
  }
  lastError_ = kErrorNoSuchPrivilege;
  return false;
}

bool SimOs::AdjustTokenPrivileges(Handle token, bool /*disableAll*/,
                                  const TokenPrivileges1* newState, std::uint32_t /*length*/,
                                  TokenPrivileges1* /*previous*/, std::uint32_t* returnLength) {
  Log("AdjustTokenPrivileges");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("AdjustTokenPrivileges")) return false;
  if (handles_.count(token) == 0) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  lastAdjustedState = *newState;
  if (returnLength != nullptr) *returnLength = 0;
  const auto is = [newState](const Luid& luid) {
    return newState->PrivilegeCount == 1 && newState->luid.LowPart == luid.LowPart &&
           newState->luid.HighPart == luid.HighPart;
  };
  const bool assigned = (is(debugPrivilegeLuid) && userHoldsDebugPrivilege) ||
                        (is(profilePrivilegeLuid) && userHoldsProfilePrivilege);
  lastError_ = assigned ? kErrorSuccess : kErrorNotAllAssigned;
  if (is(profilePrivilegeLuid) && assigned && newState->Attributes == kSePrivilegeEnabled) {
    profilePrivilegeEnabled_ = true;
  }
  return true;
}

// --- the memory lists ------------------------------------------------------------------

namespace {
constexpr std::uint32_t kSystemMemoryListInformation = 80;
}  // namespace

bool SimOs::HasNtSetSystemInformation() {
  Log("HasNtSetSystemInformation");
  return ntSetSystemInformationAvailable;
}

NtStatus SimOs::NtSetSystemInformation(std::uint32_t infoClass, void* info, std::uint32_t length) {
  std::uint32_t command = 0;
  if (info != nullptr && length >= sizeof command) std::memcpy(&command, info, sizeof command);
  Log("NtSetSystemInformation(" + std::to_string(infoClass) + "," + std::to_string(command) + ")");
  if (!ntSetSystemInformationAvailable) return kStatusNotImplemented;
  if (Failing("NtSetSystemInformation")) {
    return lastError_ != 0 ? static_cast<NtStatus>(0xC0000000u | lastError_) : kStatusUnsuccessful;
  }
  if (infoClass != kSystemMemoryListInformation) return kStatusInvalidInfoClass;
  if (length != sizeof command) return kStatusInfoLengthMismatch;
  // The system asks for the privilege itself, enabled on the caller's token.
  if (!profilePrivilegeEnabled_) return kStatusPrivilegeNotHeld;
  memoryListCommands.push_back(command);
  const auto scripted = memoryListStatus.find(command);
  return scripted != memoryListStatus.end() ? scripted->second : kStatusSuccess;
}

std::uint32_t SimOs::RtlNtStatusToDosError(NtStatus status) {
  Log("RtlNtStatusToDosError");
  switch (static_cast<std::uint32_t>(status)) {
    case 0: return kErrorSuccess;
    case 0xC0000001u: return 31;    // ERROR_GEN_FAILURE
    case 0xC0000002u: return 1;     // ERROR_INVALID_FUNCTION
    case 0xC0000022u: return 5;     // ERROR_ACCESS_DENIED
    case 0xC0000061u: return 1314;  // ERROR_PRIVILEGE_NOT_HELD
    case 0xC000009Au: return 1450;  // ERROR_NO_SYSTEM_RESOURCES
    default: return kErrorMrMidNotFound;
  }
}

}  // namespace platform
