#pragma once
// The real operating system: each Os method is the Win32 call of its name.

#include "platform/os.h"

namespace platform {

class Win32Os : public Os {
 public:
  void GlobalMemoryStatus(MemoryStatus* status) override;
  bool GetVersionExA(OsVersionInfo* info) override;
  std::uint32_t GetLastError() override;
  Handle GetCurrentProcess() override;
  bool CloseHandle(Handle h) override;
  Handle CreateEventA(bool manualReset, bool initialState, const std::string& name) override;
  Handle OpenEventA(std::uint32_t access, bool inherit, const std::string& name) override;
  bool SetEvent(Handle h) override;
  bool ResetEvent(Handle h) override;
  std::uint32_t WaitForSingleObject(Handle h, std::uint32_t milliseconds) override;
  bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) override;
  bool GetTokenInformation(Handle token, std::uint32_t infoClass, void* buffer,
                           std::uint32_t length, std::uint32_t* returnLength) override;
  bool LookupPrivilegeValueA(const char* systemName, const std::string& name,
                             Luid* luid) override;
  bool AdjustTokenPrivileges(Handle token, bool disableAll, const TokenPrivileges1* newState,
                             std::uint32_t length, TokenPrivileges1* previous,
                             std::uint32_t* returnLength) override;
  std::int32_t RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, HKey* result) override;
  std::int32_t RegCloseKey(HKey key) override;
  std::uint32_t RegisterWindowMessageA(const std::string& name) override;
  std::int32_t CreateOleObject(const std::string& progId, Handle* object) override;
  std::int32_t OleSetProperty(Handle object, const std::string& name, bool value) override;
  std::int32_t OleInvoke(Handle object, const std::string& method,
                         const std::string& argument) override;
  void OleRelease(Handle object) override;
  std::string SysErrorMessage(std::int32_t code) override;
  std::uintptr_t ShellExecuteA(std::uintptr_t owner, const char* verb, const std::string& file,
                               const char* parameters, const char* directory, int show) override;

 private:
  bool comReady_ = false;
};

}  // namespace platform
