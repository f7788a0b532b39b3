#include "app/rights.h"

#include "platform/handles.h"

namespace app {

using platform::UniqueHandle;

namespace {
constexpr std::uint32_t kTokenAccess = platform::kTokenAdjustPrivileges | platform::kTokenQuery;
}

bool Rights::ReadTokenPrivileges() {
  if (!HasTokens()) return true;
  platform::Handle raw = platform::kNoHandle;
  if (!os_.OpenProcessToken(os_.GetCurrentProcess(), kTokenAccess, &raw)) return false;
  UniqueHandle token(os_, raw);
  // A real token holds more privileges than the one-entry record has room
  // for, so this request reports a short buffer; what it wrote is kept.
  std::uint32_t returned = 0;
  os_.GetTokenInformation(token.Get(), platform::kTokenPrivilegesClass, &saved_, sizeof saved_,
                          &returned);
  return true;
}

bool Rights::EnableDebugPrivilege(bool restore) {
  if (!HasTokens()) return true;
  platform::Handle raw = platform::kNoHandle;
  if (!os_.OpenProcessToken(os_.GetCurrentProcess(), kTokenAccess, &raw)) {
    showError_("OpenProcessToken ERROR");
    return false;
  }
  UniqueHandle token(os_, raw);

  platform::Luid luid;
  if (!os_.LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid)) {
    showError_("LookupPrivilegeValue ERROR!");
  }

  platform::TokenPrivileges1 state;
  if (restore) {
    state = saved_;
  } else {
    state.PrivilegeCount = 1;
    state.luid = luid;
    state.Attributes = platform::kSePrivilegeEnabled;
  }

  std::uint32_t returned = 0;
  if (!os_.AdjustTokenPrivileges(token.Get(), false, &state, sizeof state, nullptr, &returned)) {
    showError_("AdjustTokenPrivileges ERROR!");
    return false;
  }
  // The call succeeds even when it assigns nothing; only the last error
  // tells that the user does not hold the privilege.
  return os_.GetLastError() != platform::kErrorNotAllAssigned;
}

}  // namespace app
