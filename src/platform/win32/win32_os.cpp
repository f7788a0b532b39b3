#include "platform/win32/win32_os.h"

#include <windows.h>

namespace platform {

namespace {
HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle FromHandle(HANDLE h) { return reinterpret_cast<Handle>(h); }
HKEY K(HKey k) { return reinterpret_cast<HKEY>(k); }

static_assert(sizeof(MEMORYSTATUS) == sizeof(MemoryStatus), "MEMORYSTATUS layout");
static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfo), "OSVERSIONINFOA layout");
static_assert(sizeof(LUID) == sizeof(Luid), "LUID layout");
static_assert(kEventAllAccess == EVENT_ALL_ACCESS, "event access");
static_assert(kKeyRead == KEY_READ, "key access");
}  // namespace

void Win32Os::GlobalMemoryStatus(MemoryStatus* status) {
  ::GlobalMemoryStatus(reinterpret_cast<MEMORYSTATUS*>(status));
}

bool Win32Os::GetVersionExA(OsVersionInfo* info) {
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info)) != FALSE;
}

std::uint32_t Win32Os::GetLastError() { return ::GetLastError(); }

Handle Win32Os::GetCurrentProcess() { return FromHandle(::GetCurrentProcess()); }

bool Win32Os::CloseHandle(Handle h) { return ::CloseHandle(H(h)) != FALSE; }

Handle Win32Os::CreateEventA(bool manualReset, bool initialState, const std::string& name) {
  return FromHandle(::CreateEventA(nullptr, manualReset, initialState, name.c_str()));
}

Handle Win32Os::OpenEventA(std::uint32_t access, bool inherit, const std::string& name) {
  return FromHandle(::OpenEventA(access, inherit, name.c_str()));
}

bool Win32Os::SetEvent(Handle h) { return ::SetEvent(H(h)) != FALSE; }
bool Win32Os::ResetEvent(Handle h) { return ::ResetEvent(H(h)) != FALSE; }

std::uint32_t Win32Os::WaitForSingleObject(Handle h, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(H(h), milliseconds);
}

bool Win32Os::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
  HANDLE t = nullptr;
  const bool ok = ::OpenProcessToken(H(process), access, &t) != FALSE;
  *token = ok ? FromHandle(t) : kNoHandle;
  return ok;
}

bool Win32Os::GetTokenInformation(Handle token, std::uint32_t infoClass, void* buffer,
                                  std::uint32_t length, std::uint32_t* returnLength) {
  DWORD got = 0;
  const bool ok = ::GetTokenInformation(H(token), static_cast<TOKEN_INFORMATION_CLASS>(infoClass),
                                        buffer, length, &got) != FALSE;
  if (returnLength != nullptr) *returnLength = got;
  return ok;
}

bool Win32Os::LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid* luid) {
  return ::LookupPrivilegeValueA(systemName, name.c_str(), reinterpret_cast<LUID*>(luid)) !=
         FALSE;
}

bool Win32Os::AdjustTokenPrivileges(Handle token, bool disableAll,
                                    const TokenPrivileges1* newState, std::uint32_t length,
                                    TokenPrivileges1* previous, std::uint32_t* returnLength) {
  DWORD got = 0;
  const bool ok =
      ::AdjustTokenPrivileges(H(token), disableAll,
                              reinterpret_cast<TOKEN_PRIVILEGES*>(const_cast<TokenPrivileges1*>(newState)),
                              length, reinterpret_cast<TOKEN_PRIVILEGES*>(previous),
                              returnLength != nullptr ? &got : nullptr) != FALSE;
  if (returnLength != nullptr) *returnLength = got;
  return ok;
}

std::int32_t Win32Os::RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t options,
                                    std::uint32_t access, HKey* result) {
  HKEY k = nullptr;
  const LONG rc = ::RegOpenKeyExA(K(root), subKey.c_str(), options, access, &k);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<HKey>(k) : 0;
  return rc;
}

std::int32_t Win32Os::RegCloseKey(HKey key) { return ::RegCloseKey(K(key)); }

std::uint32_t Win32Os::RegisterWindowMessageA(const std::string& name) {
  return ::RegisterWindowMessageA(name.c_str());
}

}  // namespace platform
