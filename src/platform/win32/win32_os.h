#pragma once
// The real operating system: each Os method is the Win32 call of its name.

#include "platform/os.h"

namespace platform {

class Win32Os : public Os {
 public:
  void GlobalMemoryStatus(MemoryStatus* status) override;
  bool GlobalMemoryStatusEx(MemoryStatusEx* status) override;
  bool GetVersionExA(OsVersionInfo* info) override;
  std::uint32_t GetLastError() override;
  Handle GetCurrentProcess() override;
  bool CloseHandle(Handle h) override;
  Handle CreateEventA(bool manualReset, bool initialState, const std::string& name) override;
  Handle OpenEventA(std::uint32_t access, bool inherit, const std::string& name) override;
  bool SetEvent(Handle h) override;
  bool ResetEvent(Handle h) override;
  std::uint32_t WaitForSingleObject(Handle h, std::uint32_t milliseconds) override;
  Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t pid) override;
  bool SetProcessWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) override;
  void GetSystemInfo(SystemInfo* info) override;
  void* VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                     std::uint32_t protect) override;
  bool VirtualFree(void* address, std::size_t size, std::uint32_t freeType) override;
  Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) override;
  bool Process32First(Handle snapshot, ProcessEntry32* entry) override;
  bool Process32Next(Handle snapshot, ProcessEntry32* entry) override;
  std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* buffer,
                                     std::uint32_t size) override;
  bool GetProcessMemoryInfo(Handle process, ProcessMemoryCounters* counters,
                            std::uint32_t size) override;
  bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* buffer,
                                  std::uint32_t* size) override;
  NtStatus NtQuerySystemInformation(std::uint32_t infoClass, void* buffer, std::uint32_t length,
                                    std::uint32_t* returnLength) override;
  bool HasNtSetSystemInformation() override;
  NtStatus NtSetSystemInformation(std::uint32_t infoClass, void* info, std::uint32_t length) override;
  std::uint32_t RtlNtStatusToDosError(NtStatus status) override;
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
  std::int32_t RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) override;
  std::uint32_t RegisterWindowMessageA(const std::string& name) override;
  bool OpenClipboard(std::uintptr_t owner) override;
  bool EmptyClipboard() override;
  bool CloseClipboard() override;
  std::int32_t CreateOleObject(const std::string& progId, Handle* object) override;
  std::int32_t OleSetProperty(Handle object, const std::string& name, bool value) override;
  std::int32_t OleInvoke(Handle object, const std::string& method,
                         const std::string& argument) override;
  void OleRelease(Handle object) override;
  std::string SysErrorMessage(std::int32_t code) override;
  std::uintptr_t ShellExecuteA(std::uintptr_t owner, const char* verb, const std::string& file,
                               const char* parameters, const char* directory, int show) override;
  std::int32_t RegCreateKeyExA(HKey root, const std::string& subKey, std::uint32_t options,
                               std::uint32_t access, HKey* result,
                               std::uint32_t* disposition) override;
  std::int32_t RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t RegDeleteValueA(HKey key, const std::string& name) override;
  std::uint32_t GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size) override;
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
  bool RegisterHotKey(std::uintptr_t window, int id, std::uint32_t modifiers,
                      std::uint32_t key) override;
  bool UnregisterHotKey(std::uintptr_t window, int id) override;
  Handle CreateIconIndirect(const IconImage& image) override;
  bool DestroyIcon(Handle icon) override;
  bool GetCursorPos(int* x, int* y) override;
  bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData* data) override;

 private:
  // Entry points that not every system has, looked up on first use and kept
  // as untyped function pointers; null when missing.
  using Entry = void (*)();
  void FindToolHelp();
  void FindPsapi();
  // One entry point of a module the process has loaded, sought once.
  struct LoadedEntry {
    const char* module;
    const char* name;
    bool sought = false;
    Entry entry = nullptr;
  };
  static Entry Find(LoadedEntry& e);

  bool comReady_ = false;
  LoadedEntry globalMemoryStatusEx_{"kernel32.dll", "GlobalMemoryStatusEx"};
  LoadedEntry queryFullProcessImageNameA_{"kernel32.dll", "QueryFullProcessImageNameA"};
  LoadedEntry ntQuerySystemInformation_{"ntdll.dll", "NtQuerySystemInformation"};
  LoadedEntry ntSetSystemInformation_{"ntdll.dll", "NtSetSystemInformation"};
  LoadedEntry rtlNtStatusToDosError_{"ntdll.dll", "RtlNtStatusToDosError"};
  bool toolHelpSought_ = false;
  Entry createToolhelp32Snapshot_ = nullptr;
  Entry process32First_ = nullptr;
  Entry process32Next_ = nullptr;
  bool psapiSought_ = false;
  Entry getModuleFileNameExA_ = nullptr;
  Entry getProcessMemoryInfo_ = nullptr;
};

}  // namespace platform
