#pragma once
// SimOs: a small, deterministic Windows for tests and benchmarks. Every call
// is logged; any call can be made to fail; every handle and key it hands out
// is tracked so a test can ask what was opened and never closed.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/os.h"

namespace platform {

class SimOs : public Os {
 public:
  SimOs();

  // --- what the simulated machine looks like -------------------------------
  MemoryStatus memory;     // returned by GlobalMemoryStatus (dwLength aside)
  OsVersionInfo version;   // returned by GetVersionExA
  bool tokensAvailable = true;       // false on the 9x family
  bool userHoldsDebugPrivilege = true;  // false: adjustment assigns nothing
  Luid debugPrivilegeLuid{20, 0};

  // Registry keys that exist, as "HKLM\\Software\\Quorvel" (any letter case).
  void AddKey(const std::string& path);
  void RemoveKey(const std::string& path);
  bool KeyExists(const std::string& path) const;
  // An existing key whose opening is refused with ERROR_ACCESS_DENIED.
  void DenyKey(const std::string& path);

  // --- named events ----------------------------------------------------------
  bool EventExists(const std::string& name) const;
  bool EventSignalled(const std::string& name) const;
  // Another process created (and signalled) the event and keeps it open.
  void AddForeignEvent(const std::string& name, bool signalled);

  // --- failure injection -------------------------------------------------------
  // Every later call of this name fails with the error, until Heal.
  void Fail(const std::string& call, std::uint32_t error);
  void Heal(const std::string& call);

  // --- what happened -------------------------------------------------------------
  const std::vector<std::string>& Calls() const { return calls_; }
  std::size_t CountCalls(const std::string& call) const;
  void ClearCalls() { calls_.clear(); }
  // Descriptions of the handles and keys still open.
  std::vector<std::string> OpenHandles() const;
  TokenPrivileges1 lastAdjustedState;

  // --- Os ----------------------------------------------------------------------
  void GlobalMemoryStatus(MemoryStatus* status) override;
  bool GetVersionExA(OsVersionInfo* info) override;
  std::uint32_t GetLastError() override { return lastError_; }
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

  // Automation: which program ids can be created, and what failed calls
  // answer (0 = success).
  std::set<std::string> oleClasses{"InternetExplorer.Application"};
  std::int32_t oleSetPropertyResult = 0;
  std::int32_t oleInvokeResult = 0;
  // Browser windows opened, one entry per navigation: the address.
  std::vector<std::string> navigations;
  std::vector<std::string> shellOpened;
  std::uintptr_t shellExecuteResult = 33;

  static constexpr Handle kCurrentProcessPseudo = static_cast<Handle>(-1);

 private:
  struct Event {
    bool signalled = false;
    int references = 0;
  };
  struct HandleEntry {
    std::string kind;  // "event", "token"
    std::string name;
  };
  struct KeyEntry {
    std::string path;
  };

  bool Failing(const std::string& call);
  void Log(const std::string& entry) { calls_.push_back(entry); }
  Handle NewHandle(const std::string& kind, const std::string& name);
  Event* EventOf(Handle h);
  void Release(const HandleEntry& entry);

  std::vector<std::string> calls_;
  std::map<std::string, std::uint32_t> failing_;
  std::uint32_t lastError_ = 0;
  Handle nextHandle_ = 0x100;
  std::map<Handle, HandleEntry> handles_;
  std::map<std::string, Event> events_;  // names are case-sensitive
  std::map<std::string, bool> keys_;    // lower-case path -> denied
  std::map<HKey, KeyEntry> openKeys_;
  HKey nextKey_ = 0x1000;
  std::map<std::string, std::uint32_t> messages_;
  std::map<Handle, bool> oleVisible_;
};

}  // namespace platform
