#pragma once
// SimOs: a small, deterministic Windows for tests and benchmarks. Every call
// is logged; any call can be made to fail; every handle and key it hands out
// is tracked so a test can ask what was opened and never closed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/os.h"

namespace platform {

// One process of the simulated machine.
struct SimProcess {
  std::uint32_t pid = 0;
  std::uint32_t parentPid = 0;
  std::int32_t basePriority = 8;
  // What the snapshot reports in szExeFile: its bytes as they stand, cut at
  // kMaxPath and terminated only when shorter, so a test can hand over a
  // field with an embedded NUL or none at all.
  std::string exeName;
  // What GetModuleFileNameExA reports, NT forms included
  // ("\SystemRoot\System32\smss.exe", "\??\C:\...").
  std::string path;
  // What QueryFullProcessImageNameA reports (Win32 form); empty: it fails.
  std::string imagePath;
  std::uint32_t workingSet = 0;
  std::uint32_t peakWorkingSet = 0;
  // What a trim leaves in the working set; the rest becomes available
  // physical memory.
  std::uint32_t minimumWorkingSet = 0;
  std::uint32_t pageFaults = 0;
  bool refuseFullAccess = false;   // only query-information and read-memory opens succeed
  bool refuseAllAccess = false;    // every open fails, as for the idle process
  bool endsAfterSnapshot = false;  // the next snapshot lists it, then it is gone
};

// A registry value: its type and raw bytes.
struct SimRegValue {
  std::uint32_t type = kRegBinary;
  std::vector<std::uint8_t> data;
  bool operator==(const SimRegValue& o) const { return type == o.type && data == o.data; }
};

class SimOs : public Os {
 public:
  SimOs();
  ~SimOs() override;
  SimOs(const SimOs&) = delete;
  SimOs& operator=(const SimOs&) = delete;

  // --- what the simulated machine looks like -------------------------------
  // The machine's memory, as GlobalMemoryStatusEx reports it (dwLength
  // aside). GlobalMemoryStatus reports each figure clamped to
  // memoryStatusClamp, as Windows clamps its 32-bit report; the available
  // address space both report is what ullAvailVirtual leaves once the
  // program's own allocations are taken off.
  MemoryStatusEx memory;
  bool memoryStatusExAvailable = true;  // false: a system without GlobalMemoryStatusEx
  std::uint32_t memoryStatusClamp = 0xFFFFFFFFu;
  OsVersionInfo version;   // returned by GetVersionExA
  bool tokensAvailable = true;       // false on the 9x family
  bool userHoldsDebugPrivilege = true;  // false: adjustment assigns nothing
  Luid debugPrivilegeLuid{20, 0};
  bool userHoldsProfilePrivilege = true;  // SeProfileSingleProcessPrivilege
  Luid profilePrivilegeLuid{13, 0};

  // Registry keys that exist, as "HKLM\\Software\\Quorvel" (any letter case).
  void AddKey(const std::string& path);
  void RemoveKey(const std::string& path);
  bool KeyExists(const std::string& path) const;
  // An existing key whose opening is refused with ERROR_ACCESS_DENIED.
  void DenyKey(const std::string& path);
  // An existing key that opens for reading only: an open or create asking
  // for more is refused with ERROR_ACCESS_DENIED, as for a user who may not
  // write to HKEY_LOCAL_MACHINE.
  void RefuseFullAccess(const std::string& path);
  // Typed values under a key; setting one creates its key. Value names are
  // case-insensitive, as the system's are. Removing a key removes its values.
  void SetValue(const std::string& keyPath, const std::string& valueName, std::uint32_t type,
                std::vector<std::uint8_t> bytes);
  std::optional<SimRegValue> GetValue(const std::string& keyPath,
                                      const std::string& valueName) const;

  // What GetModuleFileNameA reports for the program and GetWindowsDirectoryA
  // for the system.
  std::string modulePath = "C:\\Program Files\\Quorvel\\Quorvel.exe";
  std::string windowsDirectory = "C:\\WINDOWS";

  // --- hotkeys -------------------------------------------------------------------
  struct SimHotKey {
    std::uintptr_t window = 0;
    int id = 0;
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;
  };
  // Registered by the program, in the order registered.
  const std::vector<SimHotKey>& HotKeys() const { return hotKeys_; }
  // Another program holds this combination.
  void HoldHotKeyElsewhere(std::uint32_t modifiers, std::uint32_t key);

  // --- notification area -------------------------------------------------------
  struct SimTrayIcon {
    std::uintptr_t window = 0;
    std::uint32_t id = 0;
    std::uint32_t callbackMessage = 0;
    Handle icon = kNoHandle;
    std::string tip;
  };
  const std::vector<SimTrayIcon>& TrayIcons() const { return trayIcons_; }
  // false: no notification area (no shell running); every call fails.
  bool trayAvailable = true;
  // The shell restarted: its notification area starts empty.
  void RestartShell() { trayIcons_.clear(); }

  // --- icons and the pointer -----------------------------------------------------
  std::size_t LiveIcons() const;
  // The picture an icon was made from; null for a handle that is no icon.
  const IconImage* IconImageOf(Handle icon) const;
  int cursorX = 0;
  int cursorY = 0;

  // --- processes ---------------------------------------------------------------
  // Adding a process whose identifier is taken replaces that process: the
  // identifier has been reused. Snapshots list processes in the order added.
  void AddProcess(const SimProcess& process);
  void RemoveProcess(std::uint32_t pid);
  const std::vector<SimProcess>& Processes() const { return processes_; }
  bool toolhelpAvailable = true;  // false: the three tool-help calls fail
  bool psapiAvailable = true;     // false: both PSAPI calls fail, writing nothing

  // The program's own process: what the pseudo handle of GetCurrentProcess
  // stands for. Without an entry of this identifier in the table, a trim
  // through the pseudo handle is only counted.
  std::uint32_t currentProcessId = 0;
  std::size_t SelfTrims() const { return selfTrims_; }
  // Identifiers of the processes whose working set was trimmed, in order.
  std::vector<std::uint32_t> trimmedPids;

  // --- memory for VirtualAlloc ---------------------------------------------------
  // Two limits, as on the real system. The address space: an allocation
  // (commit or reservation) fails with ERROR_NOT_ENOUGH_MEMORY when it is
  // larger than largestAddressRegion (the space is fragmented) or would
  // take what the program holds past memory.ullAvailVirtual. The commit
  // charge: a commit that finds room is refused with ERROR_COMMITMENT_LIMIT
  // when it would take the committed total past commitLimit, or when it is
  // the n-th commit from now (1 = the next one).
  // Commits are backed by real, zero-filled, writable, page-aligned memory;
  // reservations by inaccessible pages.
  std::uint64_t commitLimit = std::uint64_t{3} << 30;
  std::uint64_t largestAddressRegion = ~std::uint64_t{0};
  void RefuseCommitNumber(std::size_t n) { refuseCommitAt_ = commitsMade_ + n; }
  std::uint64_t CommittedBytes() const { return committedBytes_; }
  std::size_t CommittedBlocks() const { return blocks_.size(); }
  std::size_t CommitsMade() const { return commitsMade_; }
  std::size_t ReservedRegions() const { return reservations_.size(); }
  // The most the program held at once, commits and reservations together.
  std::uint64_t PeakHeldBytes() const { return peakHeldBytes_; }
  SystemInfo systemInfo;  // returned by GetSystemInfo

  // --- clipboard -------------------------------------------------------------------
  // Another program has the clipboard open: opening it fails.
  bool clipboardHeldElsewhere = false;
  // The formats on the clipboard, by name ("CF_TEXT", ...).
  std::vector<std::string> clipboardFormats;
  bool ClipboardOpen() const { return clipboardOpen_; }

  // Runs at every call, before it takes effect, with the call's log entry,
  // so a test can change the machine half-way through an operation.
  std::function<void(const std::string& call)> onCall;

  // --- NT processor counters, in 100 ns units ----------------------------------
  std::uint8_t processorCount = 1;
  std::int64_t systemTime = kDefaultSystemTime;
  std::int64_t idleTime = kDefaultIdleTime;
  // Lets `elapsed` pass on the system clock, `idle` of it (summed over all
  // processors) in the idle process.
  void AdvanceProcessorTime(std::int64_t elapsed, std::int64_t idle);
  // NtQuerySystemInformation of this class alone answers kStatusUnsuccessful.
  std::optional<std::uint32_t> failQueryClass;
  // The memory-list commands (NtSetSystemInformation, class 80): whether
  // ntdll has the call, what each command answers (success unless
  // scripted), and the commands given so far.
  bool ntSetSystemInformationAvailable = true;
  std::map<std::uint32_t, NtStatus> memoryListStatus;
  std::vector<std::uint32_t> memoryListCommands;

  // A date in 2003 and an hour and a half of idle time; multiples of 2^8 so
  // that differences survive conversion to double exactly.
  static constexpr std::int64_t kDefaultSystemTime = 0x01C3400000000000;
  static constexpr std::int64_t kDefaultIdleTime = 0x0000000C00000000;

  // --- named events ----------------------------------------------------------
  bool EventExists(const std::string& name) const;
  bool EventSignalled(const std::string& name) const;
  // Another process created (and signalled) the event and keeps it open.
  void AddForeignEvent(const std::string& name, bool signalled);
  // That other process ended: its reference goes, and the event with it
  // when no handle of ours is left.
  void EndForeignEvent(const std::string& name);

  // --- failure injection -------------------------------------------------------
  // Every later call of this name fails with the error, until Heal.
  void Fail(const std::string& call, std::uint32_t error);
  void Heal(const std::string& call);
  // Only the n-th call of this name from now (1 = the next one) fails; the
  // calls before and after it succeed. One such failure is armed at a time.
  void FailOnce(const std::string& call, std::size_t n, std::uint32_t error);
  // Whether the failure armed by FailOnce has happened, and the log entry
  // of the call that failed.
  bool FailedOnce() const { return onceFired_; }
  const std::string& FailedOnceCall() const { return onceEntry_; }
  // Calls of this name since FailOnce was last armed (counted only while
  // one is armed, so that benchmarks pay nothing for it).
  std::size_t CallsCounted(const std::string& call) const;

  // --- what happened -------------------------------------------------------------
  const std::vector<std::string>& Calls() const { return calls_; }
  // Benchmarks turn the call log off: it grows with every call.
  bool logCalls = true;
  std::size_t CountCalls(const std::string& call) const;
  void ClearCalls() { calls_.clear(); }
  // Descriptions of the handles and keys still open.
  std::vector<std::string> OpenHandles() const;
  TokenPrivileges1 lastAdjustedState;

  // --- Os ----------------------------------------------------------------------
  void GlobalMemoryStatus(MemoryStatus* status) override;
  bool GlobalMemoryStatusEx(MemoryStatusEx* status) override;
  bool GetVersionExA(OsVersionInfo* info) override;
  std::uint32_t GetLastError() override { return lastError_; }
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
  bool OpenClipboard(std::uintptr_t owner) override;
  bool EmptyClipboard() override;
  bool CloseClipboard() override;
  Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) override;
  bool Process32First(Handle snapshot, ProcessEntry32* entry) override;
  bool Process32Next(Handle snapshot, ProcessEntry32* entry) override;
  bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* buffer,
                                  std::uint32_t* size) override;
  bool imageNameAvailable = true;  // false: a system older than Vista
  std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* buffer,
                                     std::uint32_t size) override;
  bool GetProcessMemoryInfo(Handle process, ProcessMemoryCounters* counters,
                            std::uint32_t size) override;
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
    std::string kind;  // "event", "token", "ole", "snapshot", "process"
    std::string name;
  };
  // What a snapshot keeps of each process: what the walk reports.
  struct SnapshotEntry {
    std::uint32_t pid = 0;
    std::uint32_t parentPid = 0;
    std::int32_t basePriority = 0;
    std::string exeName;
  };
  struct Snapshot {
    std::vector<SnapshotEntry> processes;
    std::size_t next = 0;
  };
  struct ProcessHandle {
    std::uint32_t pid = 0;
    std::uint32_t access = 0;
  };
  struct KeyEntry {
    std::string path;
    std::uint32_t access = 0;
  };
  enum class KeyPolicy { Open, Denied, ReadOnly };
  // Opens an existing key under the key's policy; the shared part of
  // RegOpenKeyExA and RegCreateKeyExA.
  std::int32_t OpenKnownKey(const std::string& path, std::uint32_t access, HKey* result);

  bool Failing(std::string_view call);
  bool profilePrivilegeEnabled_ = false;
  // Whether a log entry is wanted at all: by the log, the hook or an armed
  // failure that names its call. A benchmark wants none, and a call's entry
  // is then never built.
  bool Logging() const { return logCalls || onCall || once_.has_value(); }
  void Log(std::string_view entry);
  // The process with this identifier, found through an index so that a
  // simulated machine with thousands of processes stays cheap to ask.
  SimProcess* FindProcess(std::uint32_t pid);
  void ReindexProcesses();
  Handle NewHandle(const std::string& kind, const std::string& name);
  Event* EventOf(Handle h);
  void Release(Handle h, const HandleEntry& entry);
  bool NextProcessEntry(Handle snapshot, ProcessEntry32* entry, bool first);
  // The live process behind a handle opened with at least `access`, or null
  // with the last error set.
  const SimProcess* ProcessOf(Handle h, std::uint32_t access);

  std::vector<std::string> calls_;
  // Looked up by the call's name as a literal, without making a string of it.
  std::map<std::string, std::uint32_t, std::less<>> failing_;
  struct OnceFailure {
    std::string call;
    std::size_t at = 0;
    std::uint32_t error = 0;
  };
  std::optional<OnceFailure> once_;
  bool onceFired_ = false;
  std::string lastEntry_;
  std::string onceEntry_;
  std::map<std::string, std::size_t, std::less<>> counted_;
  std::uint32_t lastError_ = 0;
  Handle nextHandle_ = 0x100;
  std::map<Handle, HandleEntry> handles_;
  std::map<std::string, Event> events_;  // names are case-sensitive
  std::map<std::string, KeyPolicy> keys_;  // by lower-case path
  std::map<HKey, KeyEntry> openKeys_;
  // lower-case key path -> lower-case value name -> value
  std::map<std::string, std::map<std::string, SimRegValue>> values_;
  std::vector<SimProcess> processes_;
  std::unordered_map<std::uint32_t, std::size_t> processIndex_;
  std::map<Handle, Snapshot> snapshots_;
  // Asked at every per-process call and never walked in order.
  std::unordered_map<Handle, ProcessHandle> processHandles_;
  HKey nextKey_ = 0x1000;
  std::map<std::string, std::uint32_t> messages_;
  std::map<Handle, bool> oleVisible_;
  std::size_t selfTrims_ = 0;
  std::map<void*, std::size_t> blocks_;  // committed region -> size
  std::map<void*, std::size_t> reservations_;  // reserved, uncommitted region -> size
  std::uint64_t HeldBytes() const;
  MemoryStatusEx CurrentMemory() const;
  std::uint64_t peakHeldBytes_ = 0;
  std::uint64_t committedBytes_ = 0;
  std::size_t commitsMade_ = 0;
  std::size_t refuseCommitAt_ = 0;  // 0: none
  bool clipboardOpen_ = false;
  std::vector<SimHotKey> hotKeys_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> foreignHotKeys_;
  std::vector<SimTrayIcon> trayIcons_;
  std::map<Handle, IconImage> icons_;
};

}  // namespace platform
