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
  if (systemName != nullptr || name != "SeDebugPrivilege") {
    lastError_ = kErrorNoSuchPrivilege;
    return false;
  }
  *luid = debugPrivilegeLuid;
  return true;
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
  const bool isDebug = newState->PrivilegeCount == 1 &&
                       newState->luid.LowPart == debugPrivilegeLuid.LowPart &&
                       newState->luid.HighPart == debugPrivilegeLuid.HighPart;
  lastError_ = (isDebug && userHoldsDebugPrivilege) ? kErrorSuccess : kErrorNotAllAssigned;
  return true;
}

}  // namespace platform
