#pragma once
// Every operating-system operation the program makes goes through Os: one
// virtual method per call, named and shaped like the Win32 function it stands
// for. The core never includes <windows.h>; the Win32 build links Win32Os, the
// tests link SimOs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Opaque handle values, as the system hands them out. Zero is "none".
using Handle = std::uintptr_t;
using HKey = std::uintptr_t;

constexpr Handle kNoHandle = 0;

// Predefined registry roots, with the platform's values.
constexpr HKey kHKeyLocalMachine = 0x80000002u;
constexpr HKey kHKeyDynData = 0x80000006u;

// Error codes the program tells apart.
constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorBadLength = 24;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorPartialCopy = 299;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorCommitmentLimit = 1455;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorClipboardNotOpen = 1418;
constexpr std::uint32_t kErrorHotkeyAlreadyRegistered = 1409;
constexpr std::uint32_t kErrorHotkeyNotRegistered = 1419;

// Access masks and flags.
constexpr std::uint32_t kEventAllAccess = 0x1F0003;
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kRegOptionNonVolatile = 0;
constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x08;
constexpr std::uint32_t kSePrivilegeEnabled = 2;
constexpr std::uint32_t kTokenPrivilegesClass = 3;

constexpr std::uint32_t kWaitObject0 = 0;
constexpr std::uint32_t kWaitTimeout = 258;
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

// The full-access mask as NT 4 and 2000 define it; later systems accept it
// too, whereas their own wider mask fails on the older ones.
constexpr std::uint32_t kProcessAllAccess = 0x1F0FFF;
constexpr std::uint32_t kProcessQueryInformation = 0x0400;
constexpr std::uint32_t kProcessVmRead = 0x0010;
constexpr std::uint32_t kProcessSetQuota = 0x0100;
constexpr std::uint32_t kTh32csSnapProcess = 2;

// Working-set sizes of (SIZE_T)-1 ask the system to trim all it can.
constexpr std::size_t kTrimAll = static_cast<std::size_t>(-1);

// VirtualAlloc and VirtualFree.
constexpr std::uint32_t kMemCommit = 0x1000;
constexpr std::uint32_t kMemReserve = 0x2000;
constexpr std::uint32_t kMemRelease = 0x8000;
constexpr std::uint32_t kPageNoAccess = 0x01;
constexpr std::uint32_t kPageReadWrite = 0x04;
constexpr std::uint32_t kPageNoCache = 0x200;

// Registry value types.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Shell_NotifyIconA messages and the flags saying which fields are valid.
constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimModify = 1;
constexpr std::uint32_t kNimDelete = 2;
constexpr std::uint32_t kNifMessage = 1;
constexpr std::uint32_t kNifIcon = 2;
constexpr std::uint32_t kNifTip = 4;
// The size of the record without the version fields, which every shell
// since Windows 95 accepts.
constexpr std::uint32_t kNotifyIconDataSize = 88;

// NTSTATUS values and the system information classes the program reads.
using NtStatus = std::int32_t;
constexpr NtStatus kStatusSuccess = 0;
constexpr NtStatus kStatusUnsuccessful = static_cast<NtStatus>(0xC0000001u);
constexpr NtStatus kStatusNotImplemented = static_cast<NtStatus>(0xC0000002u);
constexpr NtStatus kStatusInvalidInfoClass = static_cast<NtStatus>(0xC0000003u);
constexpr NtStatus kStatusInfoLengthMismatch = static_cast<NtStatus>(0xC0000004u);
constexpr NtStatus kStatusAccessDenied = static_cast<NtStatus>(0xC0000022u);
constexpr NtStatus kStatusPrivilegeNotHeld = static_cast<NtStatus>(0xC0000061u);
// ERROR_MR_MID_NOT_FOUND: what RtlNtStatusToDosError gives for a status it
// does not know.
constexpr std::uint32_t kErrorMrMidNotFound = 317;
constexpr std::uint32_t kSystemBasicInformation = 0;
constexpr std::uint32_t kSystemPerformanceInformation = 2;
constexpr std::uint32_t kSystemTimeOfDayInformation = 3;
// The sizes NT 4 defines for those classes, and where the program's figures
// sit in them.
constexpr std::uint32_t kSystemBasicInformationSize = 44;
constexpr std::uint32_t kSystemBasicProcessorCountOffset = 40;
constexpr std::uint32_t kSystemPerformanceInformationSize = 312;
constexpr std::uint32_t kSystemPerformanceIdleTimeOffset = 0;
constexpr std::uint32_t kSystemTimeOfDayInformationSize = 32;
constexpr std::uint32_t kSystemTimeOfDayCurrentTimeOffset = 8;

constexpr std::uint32_t kMaxPath = 260;

constexpr std::uint32_t kVerPlatformWin32s = 0;
constexpr std::uint32_t kVerPlatformWin32Windows = 1;
constexpr std::uint32_t kVerPlatformWin32NT = 2;

// MEMORYSTATUS: eight unsigned 32-bit fields, sizes in bytes.
struct MemoryStatus {
  std::uint32_t dwLength = 0;
  std::uint32_t dwMemoryLoad = 0;
  std::uint32_t dwTotalPhys = 0;
  std::uint32_t dwAvailPhys = 0;
  std::uint32_t dwTotalPageFile = 0;
  std::uint32_t dwAvailPageFile = 0;
  std::uint32_t dwTotalVirtual = 0;
  std::uint32_t dwAvailVirtual = 0;
};
static_assert(sizeof(MemoryStatus) == 32, "MEMORYSTATUS is 32 bytes");

// MEMORYSTATUSEX: the same figures in 64-bit fields, so that memory past
// 4 GB, or past the 2 GB a 32-bit report is clamped to, is seen as it is.
struct MemoryStatusEx {
  std::uint32_t dwLength = 0;
  std::uint32_t dwMemoryLoad = 0;
  std::uint64_t ullTotalPhys = 0;
  std::uint64_t ullAvailPhys = 0;
  std::uint64_t ullTotalPageFile = 0;
  std::uint64_t ullAvailPageFile = 0;
  std::uint64_t ullTotalVirtual = 0;
  std::uint64_t ullAvailVirtual = 0;
  std::uint64_t ullAvailExtendedVirtual = 0;
};
static_assert(sizeof(MemoryStatusEx) == 64, "MEMORYSTATUSEX is 64 bytes");

// OSVERSIONINFOA: 148 bytes with its size field.
struct OsVersionInfo {
  std::uint32_t dwOSVersionInfoSize = 0;
  std::uint32_t dwMajorVersion = 0;
  std::uint32_t dwMinorVersion = 0;
  std::uint32_t dwBuildNumber = 0;
  std::uint32_t dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
static_assert(sizeof(OsVersionInfo) == 148, "OSVERSIONINFOA is 148 bytes");

struct Luid {
  std::uint32_t LowPart = 0;
  std::int32_t HighPart = 0;
};

// TOKEN_PRIVILEGES with room for exactly one entry: 16 bytes.
struct TokenPrivileges1 {
  std::uint32_t PrivilegeCount = 0;
  Luid luid;
  std::uint32_t Attributes = 0;
};
static_assert(sizeof(TokenPrivileges1) == 16, "one-entry TOKEN_PRIVILEGES is 16 bytes");

// PROCESSENTRY32 (ANSI) as the 32-bit system lays it out: 296 bytes. The
// default-heap field is pointer-sized there, so it is fixed at 32 bits here to
// keep one layout on every build.
struct ProcessEntry32 {
  std::uint32_t dwSize = 0;
  std::uint32_t cntUsage = 0;
  std::uint32_t th32ProcessID = 0;
  std::uint32_t th32DefaultHeapID = 0;
  std::uint32_t th32ModuleID = 0;
  std::uint32_t cntThreads = 0;
  std::uint32_t th32ParentProcessID = 0;
  std::int32_t pcPriClassBase = 0;
  std::uint32_t dwFlags = 0;
  char szExeFile[kMaxPath] = {};
};
static_assert(sizeof(ProcessEntry32) == 296, "PROCESSENTRY32 is 296 bytes");

// PROCESS_MEMORY_COUNTERS as the 32-bit system lays it out: 40 bytes.
struct ProcessMemoryCounters {
  std::uint32_t cb = 0;
  std::uint32_t PageFaultCount = 0;
  std::uint32_t PeakWorkingSetSize = 0;
  std::uint32_t WorkingSetSize = 0;
  std::uint32_t QuotaPeakPagedPoolUsage = 0;
  std::uint32_t QuotaPagedPoolUsage = 0;
  std::uint32_t QuotaPeakNonPagedPoolUsage = 0;
  std::uint32_t QuotaNonPagedPoolUsage = 0;
  std::uint32_t PagefileUsage = 0;
  std::uint32_t PeakPagefileUsage = 0;
};
static_assert(sizeof(ProcessMemoryCounters) == 40, "PROCESS_MEMORY_COUNTERS is 40 bytes");

// SYSTEM_INFO as the 32-bit system lays it out: 36 bytes. Its address and
// mask fields are pointer-sized there, so they are fixed at 32 bits here.
struct SystemInfo {
  std::uint16_t wProcessorArchitecture = 0;
  std::uint16_t wReserved = 0;
  std::uint32_t dwPageSize = 0;
  std::uint32_t lpMinimumApplicationAddress = 0;
  std::uint32_t lpMaximumApplicationAddress = 0;
  std::uint32_t dwActiveProcessorMask = 0;
  std::uint32_t dwNumberOfProcessors = 0;
  std::uint32_t dwProcessorType = 0;
  std::uint32_t dwAllocationGranularity = 0;
  std::uint16_t wProcessorLevel = 0;
  std::uint16_t wProcessorRevision = 0;
};
static_assert(sizeof(SystemInfo) == 36, "SYSTEM_INFO is 36 bytes");

// NOTIFYICONDATAA without its version fields. The window and icon are
// kept as handle values here; the Win32 side copies them into the system's
// 88-byte record.
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  std::uintptr_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  Handle hIcon = kNoHandle;
  char szTip[64] = {};
};

// What CreateIconIndirect makes an icon of: a colour picture (24-bit,
// top-down rows, blue-green-red, no padding) and its mask, one byte per
// pixel, nonzero where the icon is transparent.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
  std::vector<std::uint8_t> mask;
};

class Os {
 public:
  virtual ~Os() = default;

  // kernel32
  virtual void GlobalMemoryStatus(MemoryStatus* status) = 0;
  // Looked up by name: Windows 95 and NT 4 lack it. false when the system
  // has no such call or the call fails.
  virtual bool GlobalMemoryStatusEx(MemoryStatusEx* status) = 0;
  virtual bool GetVersionExA(OsVersionInfo* info) = 0;
  virtual std::uint32_t GetLastError() = 0;
  virtual Handle GetCurrentProcess() = 0;
  virtual bool CloseHandle(Handle h) = 0;
  virtual Handle CreateEventA(bool manualReset, bool initialState, const std::string& name) = 0;
  virtual Handle OpenEventA(std::uint32_t access, bool inherit, const std::string& name) = 0;
  virtual bool SetEvent(Handle h) = 0;
  virtual bool ResetEvent(Handle h) = 0;
  virtual std::uint32_t WaitForSingleObject(Handle h, std::uint32_t milliseconds) = 0;
  virtual Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t pid) = 0;
  virtual bool SetProcessWorkingSetSize(Handle process, std::size_t minimum,
                                        std::size_t maximum) = 0;
  virtual void GetSystemInfo(SystemInfo* info) = 0;
  // A fresh, zero-filled, writable region, or null when the commit charge or
  // the address space does not allow it.
  virtual void* VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                             std::uint32_t protect) = 0;
  virtual bool VirtualFree(void* address, std::size_t size, std::uint32_t freeType) = 0;

  // kernel32 tool help, missing on NT 4: without it the snapshot is
  // kNoHandle and the walk fails. An invalid snapshot is kNoHandle here,
  // whatever value the system uses for it.
  virtual Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) = 0;
  virtual bool Process32First(Handle snapshot, ProcessEntry32* entry) = 0;
  virtual bool Process32Next(Handle snapshot, ProcessEntry32* entry) = 0;

  // psapi, missing on the 9x family and on a bare NT 4: without it both
  // calls fail and write nothing.
  virtual std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* buffer,
                                             std::uint32_t size) = 0;
  virtual bool GetProcessMemoryInfo(Handle process, ProcessMemoryCounters* counters,
                                    std::uint32_t size) = 0;
  // kernel32 of Vista and later: the image path in Win32 form, asked of the
  // system rather than read from the process's memory. Missing on older
  // systems: the call fails. `size` holds the buffer's size and receives the
  // length written.
  virtual bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* buffer,
                                          std::uint32_t* size) = 0;

  // ntdll. Without the entry point the status is kStatusNotImplemented.
  virtual NtStatus NtQuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                            std::uint32_t length,
                                            std::uint32_t* returnLength) = 0;
  // Whether ntdll exports NtSetSystemInformation; looked up at run time,
  // never imported.
  virtual bool HasNtSetSystemInformation() = 0;
  // Without the entry point the status is kStatusNotImplemented.
  virtual NtStatus NtSetSystemInformation(std::uint32_t infoClass, void* info,
                                          std::uint32_t length) = 0;
  // The Win32 error code for a status, as ntdll maps it;
  // kErrorMrMidNotFound where there is no such mapping.
  virtual std::uint32_t RtlNtStatusToDosError(NtStatus status) = 0;

  // advapi32: tokens
  virtual bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) = 0;
  virtual bool GetTokenInformation(Handle token, std::uint32_t infoClass, void* buffer,
                                   std::uint32_t length, std::uint32_t* returnLength) = 0;
  virtual bool LookupPrivilegeValueA(const char* systemName, const std::string& name,
                                     Luid* luid) = 0;
  virtual bool AdjustTokenPrivileges(Handle token, bool disableAll,
                                     const TokenPrivileges1* newState, std::uint32_t length,
                                     TokenPrivileges1* previous,
                                     std::uint32_t* returnLength) = 0;

  // advapi32: registry. Results are Win32 error codes (0 = success).
  virtual std::int32_t RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t options,
                                     std::uint32_t access, HKey* result) = 0;
  virtual std::int32_t RegCloseKey(HKey key) = 0;
  // A null data pointer asks for the size only. A buffer too short gets
  // kErrorMoreData with *size set to what is needed; the type is reported
  // either way.
  virtual std::int32_t RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) = 0;
  // Opens the key, creating it (and any missing parent) when it does not
  // exist. `disposition` may be null.
  virtual std::int32_t RegCreateKeyExA(HKey root, const std::string& subKey,
                                       std::uint32_t options, std::uint32_t access,
                                       HKey* result, std::uint32_t* disposition) = 0;
  virtual std::int32_t RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) = 0;
  virtual std::int32_t RegDeleteValueA(HKey key, const std::string& name) = 0;

  // kernel32: paths. Both return the length written without the NUL; a
  // buffer too short gets what fits (module) or the size needed (Windows
  // directory), as the system does.
  virtual std::uint32_t GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) = 0;

  // user32: hotkeys of a window. Registering a combination that any window
  // of any program holds already fails with kErrorHotkeyAlreadyRegistered.
  virtual bool RegisterHotKey(std::uintptr_t window, int id, std::uint32_t modifiers,
                              std::uint32_t key) = 0;
  virtual bool UnregisterHotKey(std::uintptr_t window, int id) = 0;
  // user32: icons. An icon (not a cursor) with hotspot (0, 0), or kNoHandle.
  virtual Handle CreateIconIndirect(const IconImage& image) = 0;
  virtual bool DestroyIcon(Handle icon) = 0;
  virtual bool GetCursorPos(int* x, int* y) = 0;

  // user32
  virtual std::uint32_t RegisterWindowMessageA(const std::string& name) = 0;
  // The clipboard, opened for this task without an owner window when
  // `owner` is 0. It fails while another program holds it open.
  virtual bool OpenClipboard(std::uintptr_t owner) = 0;
  virtual bool EmptyClipboard() = 0;
  virtual bool CloseClipboard() = 0;

  // OLE automation, late bound: results are HRESULTs (negative = failure).
  // The object is released with OleRelease, whatever else failed.
  virtual std::int32_t CreateOleObject(const std::string& progId, Handle* object) = 0;
  virtual std::int32_t OleSetProperty(Handle object, const std::string& name, bool value) = 0;
  virtual std::int32_t OleInvoke(Handle object, const std::string& method,
                                 const std::string& argument) = 0;
  virtual void OleRelease(Handle object) = 0;
  // The system's text for an error code (FormatMessage), without a trailing
  // line break.
  virtual std::string SysErrorMessage(std::int32_t code) = 0;

  // shell32. Returns a value above 32 on success.
  virtual std::uintptr_t ShellExecuteA(std::uintptr_t owner, const char* verb,
                                       const std::string& file, const char* parameters,
                                       const char* directory, int show) = 0;
  virtual bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData* data) = 0;
};

constexpr int kSwShowNormal = 1;

}  // namespace platform
