#include "platform/win32/win32_os.h"

#include "platform/win32/win32_glue.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace platform {

namespace {
HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle FromHandle(HANDLE h) { return reinterpret_cast<Handle>(h); }
HKEY K(HKey k) { return reinterpret_cast<HKEY>(k); }

static_assert(sizeof(MEMORYSTATUS) == sizeof(MemoryStatus), "MEMORYSTATUS layout");
static_assert(sizeof(MEMORYSTATUSEX) == sizeof(MemoryStatusEx), "MEMORYSTATUSEX layout");
static_assert(offsetof(MEMORYSTATUSEX, ullAvailVirtual) == offsetof(MemoryStatusEx, ullAvailVirtual),
              "MEMORYSTATUSEX layout");
static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfo), "OSVERSIONINFOA layout");
static_assert(sizeof(LUID) == sizeof(Luid), "LUID layout");
static_assert(kEventAllAccess == EVENT_ALL_ACCESS, "event access");
static_assert(kKeyRead == KEY_READ, "key access");
static_assert(kProcessQueryInformation == PROCESS_QUERY_INFORMATION, "process access");
static_assert(kProcessVmRead == PROCESS_VM_READ, "process access");
static_assert(kTh32csSnapProcess == TH32CS_SNAPPROCESS, "snapshot flags");
static_assert(kRegSz == REG_SZ && kRegBinary == REG_BINARY && kRegDword == REG_DWORD &&
                  kRegExpandSz == REG_EXPAND_SZ && kRegMultiSz == REG_MULTI_SZ,
              "registry value types");
static_assert(kKeyAllAccess == KEY_ALL_ACCESS && kKeySetValue == KEY_SET_VALUE &&
                  kRegOptionNonVolatile == REG_OPTION_NON_VOLATILE,
              "key access");
static_assert(kNimAdd == NIM_ADD && kNimModify == NIM_MODIFY && kNimDelete == NIM_DELETE &&
                  kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP,
              "notification area");
static_assert(kNotifyIconDataSize == NOTIFYICONDATAA_V1_SIZE, "NOTIFYICONDATAA without versions");
static_assert(kErrorHotkeyAlreadyRegistered == ERROR_HOTKEY_ALREADY_REGISTERED, "error codes");
static_assert(kErrorMoreData == ERROR_MORE_DATA && kErrorNoMoreFiles == ERROR_NO_MORE_FILES,
              "error codes");
static_assert(kMaxPath == MAX_PATH, "path length");
static_assert(kProcessSetQuota == PROCESS_SET_QUOTA, "process access");
static_assert(kMemCommit == MEM_COMMIT && kMemRelease == MEM_RELEASE, "allocation types");
static_assert(kPageReadWrite == PAGE_READWRITE && kPageNoCache == PAGE_NOCACHE, "protections");
// tagPROCESSENTRY32 is the ANSI record whatever the character set.
static_assert(sizeof(tagPROCESSENTRY32) == sizeof(ProcessEntry32), "PROCESSENTRY32 layout");
static_assert(offsetof(tagPROCESSENTRY32, pcPriClassBase) ==
                  offsetof(ProcessEntry32, pcPriClassBase),
              "PROCESSENTRY32 layout");
static_assert(offsetof(tagPROCESSENTRY32, szExeFile) == offsetof(ProcessEntry32, szExeFile),
              "PROCESSENTRY32 layout");

// The signatures of the entry points looked up by name. psapi.h is left out:
// it renames both functions to their K32 forms, which older systems lack.
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Process32Fn = BOOL(WINAPI*)(HANDLE, ProcessEntry32*);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, ProcessMemoryCounters*, DWORD);
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// FARPROC goes through the generic function pointer type, the one cast the
// compiler accepts between unrelated function types.
using AnyFn = void (*)();
AnyFn Generic(FARPROC p) { return reinterpret_cast<AnyFn>(p); }

template <typename Fn>
Fn As(AnyFn entry) {
  return reinterpret_cast<Fn>(entry);
}
}  // namespace

void Win32Os::GlobalMemoryStatus(MemoryStatus* status) {
  ::GlobalMemoryStatus(reinterpret_cast<MEMORYSTATUS*>(status));
}

Win32Os::Entry Win32Os::Find(LoadedEntry& e) {
  if (!e.sought) {
    e.sought = true;
    HMODULE module = GetModuleHandleA(e.module);
    if (module != nullptr) e.entry = Generic(GetProcAddress(module, e.name));
  }
  return e.entry;
}

bool Win32Os::GlobalMemoryStatusEx(MemoryStatusEx* status) {
  Entry entry = Find(globalMemoryStatusEx_);
  if (entry == nullptr) return false;
  using Fn = BOOL(WINAPI*)(MemoryStatusEx*);
  return As<Fn>(entry)(status) != FALSE;
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

Handle Win32Os::OpenProcess(std::uint32_t access, bool inherit, std::uint32_t pid) {
  return FromHandle(::OpenProcess(access, inherit, pid));
}

void Win32Os::FindToolHelp() {
  if (toolHelpSought_) return;
  toolHelpSought_ = true;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  createToolhelp32Snapshot_ = Generic(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
  process32First_ = Generic(GetProcAddress(kernel, "Process32First"));
  process32Next_ = Generic(GetProcAddress(kernel, "Process32Next"));
}

Handle Win32Os::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) {
  FindToolHelp();
  if (createToolhelp32Snapshot_ == nullptr) return kNoHandle;
  HANDLE h = As<CreateToolhelp32SnapshotFn>(createToolhelp32Snapshot_)(flags, pid);
  return h == INVALID_HANDLE_VALUE ? kNoHandle : FromHandle(h);
}

bool Win32Os::Process32First(Handle snapshot, ProcessEntry32* entry) {
  FindToolHelp();
  if (process32First_ == nullptr) return false;
  return As<Process32Fn>(process32First_)(H(snapshot), entry) != FALSE;
}

bool Win32Os::Process32Next(Handle snapshot, ProcessEntry32* entry) {
  FindToolHelp();
  if (process32Next_ == nullptr) return false;
  return As<Process32Fn>(process32Next_)(H(snapshot), entry) != FALSE;
}

void Win32Os::FindPsapi() {
  if (psapiSought_) return;
  psapiSought_ = true;
  // Loaded for the life of the process: the entry points are kept.
  HMODULE psapi = LoadLibraryA("PSAPI.dll");
  if (psapi == nullptr) return;
  getModuleFileNameExA_ = Generic(GetProcAddress(psapi, "GetModuleFileNameExA"));
  getProcessMemoryInfo_ = Generic(GetProcAddress(psapi, "GetProcessMemoryInfo"));
}

std::uint32_t Win32Os::GetModuleFileNameExA(Handle process, Handle module, char* buffer,
                                            std::uint32_t size) {
  FindPsapi();
  if (getModuleFileNameExA_ == nullptr) return 0;
  return As<GetModuleFileNameExAFn>(getModuleFileNameExA_)(
      H(process), reinterpret_cast<HMODULE>(module), buffer, size);
}

bool Win32Os::QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* buffer,
                                         std::uint32_t* size) {
  Entry entry = Find(queryFullProcessImageNameA_);
  if (entry == nullptr) return false;
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  DWORD length = *size;
  const bool ok = As<Fn>(entry)(H(process), flags, buffer, &length) != FALSE;
  *size = ok ? length : 0;
  return ok;
}

bool Win32Os::GetProcessMemoryInfo(Handle process, ProcessMemoryCounters* counters,
                                   std::uint32_t size) {
  FindPsapi();
  if (getProcessMemoryInfo_ == nullptr) return false;
  return As<GetProcessMemoryInfoFn>(getProcessMemoryInfo_)(H(process), counters, size) != FALSE;
}

NtStatus Win32Os::NtQuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                           std::uint32_t length, std::uint32_t* returnLength) {
  Entry entry = Find(ntQuerySystemInformation_);
  if (entry == nullptr) return kStatusNotImplemented;
  ULONG got = 0;
  const LONG status = As<NtQuerySystemInformationFn>(entry)(
      infoClass, buffer, length, returnLength != nullptr ? &got : nullptr);
  if (returnLength != nullptr) *returnLength = got;
  return status;
}

bool Win32Os::HasNtSetSystemInformation() { return Find(ntSetSystemInformation_) != nullptr; }

NtStatus Win32Os::NtSetSystemInformation(std::uint32_t infoClass, void* info, std::uint32_t length) {
  Entry entry = Find(ntSetSystemInformation_);
  if (entry == nullptr) return kStatusNotImplemented;
  using Fn = LONG(WINAPI*)(ULONG, PVOID, ULONG);
  return As<Fn>(entry)(infoClass, info, length);
}

std::uint32_t Win32Os::RtlNtStatusToDosError(NtStatus status) {
  Entry entry = Find(rtlNtStatusToDosError_);
  if (entry == nullptr) return kErrorMrMidNotFound;
  using Fn = ULONG(WINAPI*)(LONG);
  return As<Fn>(entry)(status);
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

std::int32_t Win32Os::RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
  DWORD gotType = 0;
  DWORD gotSize = size != nullptr ? *size : 0;
  const LONG rc = ::RegQueryValueExA(K(key), name.c_str(), nullptr,
                                     type != nullptr ? &gotType : nullptr, data,
                                     size != nullptr ? &gotSize : nullptr);
  // Other failures leave the caller's values as they were, as the system does.
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type != nullptr) *type = gotType;
    if (size != nullptr) *size = gotSize;
  }
  return rc;
}

std::uint32_t Win32Os::RegisterWindowMessageA(const std::string& name) {
  return ::RegisterWindowMessageA(name.c_str());
}

bool Win32Os::OpenClipboard(std::uintptr_t owner) {
  return ::OpenClipboard(reinterpret_cast<HWND>(owner)) != FALSE;
}

bool Win32Os::EmptyClipboard() { return ::EmptyClipboard() != FALSE; }

bool Win32Os::CloseClipboard() { return ::CloseClipboard() != FALSE; }

bool Win32Os::SetProcessWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) {
  return ::SetProcessWorkingSetSize(H(process), minimum, maximum) != FALSE;
}

void Win32Os::GetSystemInfo(SystemInfo* info) {
  SYSTEM_INFO si = {};
  ::GetSystemInfo(&si);
  *info = SystemInfo{};
  info->wProcessorArchitecture = si.wProcessorArchitecture;
  info->dwPageSize = si.dwPageSize;
  info->lpMinimumApplicationAddress =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(si.lpMinimumApplicationAddress));
  info->lpMaximumApplicationAddress =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(si.lpMaximumApplicationAddress));
  info->dwActiveProcessorMask = static_cast<std::uint32_t>(si.dwActiveProcessorMask);
  info->dwNumberOfProcessors = si.dwNumberOfProcessors;
  info->dwProcessorType = si.dwProcessorType;
  info->dwAllocationGranularity = si.dwAllocationGranularity;
  info->wProcessorLevel = si.wProcessorLevel;
  info->wProcessorRevision = si.wProcessorRevision;
}

void* Win32Os::VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                            std::uint32_t protect) {
  return ::VirtualAlloc(address, size, allocationType, protect);
}

bool Win32Os::VirtualFree(void* address, std::size_t size, std::uint32_t freeType) {
  return ::VirtualFree(address, size, freeType) != FALSE;
}

namespace {

std::vector<wchar_t> Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> w(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
}

IDispatch* Disp(Handle h) { return reinterpret_cast<IDispatch*>(h); }

HRESULT DispIdOf(IDispatch* disp, const std::string& name, DISPID* id) {
  std::vector<wchar_t> w = Wide(name);
  LPOLESTR names[] = {w.data()};
  return disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

}  // namespace

std::int32_t Win32Os::CreateOleObject(const std::string& progId, Handle* object) {
  *object = kNoHandle;
  if (!comReady_) {
    // Once per process; balanced by the system at exit.
    comReady_ = SUCCEEDED(CoInitialize(nullptr));
  }
  CLSID clsid;
  std::vector<wchar_t> w = Wide(progId);
  HRESULT hr = CLSIDFromProgID(w.data(), &clsid);
  if (FAILED(hr)) return hr;
  IDispatch* disp = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&disp));
  if (FAILED(hr)) return hr;
  *object = reinterpret_cast<Handle>(disp);
  return S_OK;
}

std::int32_t Win32Os::OleSetProperty(Handle object, const std::string& name, bool value) {
  IDispatch* disp = Disp(object);
  DISPID id;
  HRESULT hr = DispIdOf(disp, name, &id);
  if (FAILED(hr)) return hr;
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_BOOL;
  arg.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&arg, &named, 1, 1};
  return disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                      nullptr, nullptr);
}

std::int32_t Win32Os::OleInvoke(Handle object, const std::string& method,
                                const std::string& argument) {
  IDispatch* disp = Disp(object);
  DISPID id;
  HRESULT hr = DispIdOf(disp, method, &id);
  if (FAILED(hr)) return hr;
  std::vector<wchar_t> w = Wide(argument);
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(w.data());
  DISPPARAMS params = {&arg, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                    nullptr);
  VariantClear(&result);
  VariantClear(&arg);
  return hr;
}

void Win32Os::OleRelease(Handle object) {
  if (object != kNoHandle) Disp(object)->Release();
}

std::string Win32Os::SysErrorMessage(std::int32_t code) {
  std::string message = win32::SystemMessage(static_cast<DWORD>(code));
  if (message.empty()) {
    char fallback[32];
    wsprintfA(fallback, "Error 0x%08lX", static_cast<unsigned long>(code));
    message = fallback;
  }
  return message;
}

std::uintptr_t Win32Os::ShellExecuteA(std::uintptr_t owner, const char* verb,
                                      const std::string& file, const char* parameters,
                                      const char* directory, int show) {
  return reinterpret_cast<std::uintptr_t>(::ShellExecuteA(
      reinterpret_cast<HWND>(owner), verb, file.c_str(), parameters, directory, show));
}

std::int32_t Win32Os::RegCreateKeyExA(HKey root, const std::string& subKey,
                                      std::uint32_t options, std::uint32_t access, HKey* result,
                                      std::uint32_t* disposition) {
  HKEY k = nullptr;
  DWORD got = 0;
  const LONG rc = ::RegCreateKeyExA(K(root), subKey.c_str(), 0, nullptr, options, access, nullptr,
                                    &k, &got);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<HKey>(k) : 0;
  if (disposition != nullptr) *disposition = rc == ERROR_SUCCESS ? got : 0;
  return rc;
}

std::int32_t Win32Os::RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
  return ::RegSetValueExA(K(key), name.c_str(), 0, type, data, size);
}

std::int32_t Win32Os::RegDeleteValueA(HKey key, const std::string& name) {
  return ::RegDeleteValueA(K(key), name.c_str());
}

std::uint32_t Win32Os::GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size) {
  return ::GetModuleFileNameA(reinterpret_cast<HMODULE>(module), buffer, size);
}

std::uint32_t Win32Os::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

bool Win32Os::RegisterHotKey(std::uintptr_t window, int id, std::uint32_t modifiers,
                             std::uint32_t key) {
  return ::RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, key) != FALSE;
}

bool Win32Os::UnregisterHotKey(std::uintptr_t window, int id) {
  return ::UnregisterHotKey(reinterpret_cast<HWND>(window), id) != FALSE;
}

namespace {

// The bitmaps CreateIconIndirect copies from; deleted on every path.
struct OwnedBitmap {
  HBITMAP h = nullptr;
  explicit OwnedBitmap(HBITMAP b) : h(b) {}
  ~OwnedBitmap() {
    if (h != nullptr) DeleteObject(h);
  }
  OwnedBitmap(const OwnedBitmap&) = delete;
  OwnedBitmap& operator=(const OwnedBitmap&) = delete;
};

}  // namespace

Handle Win32Os::CreateIconIndirect(const IconImage& image) {
  const int w = image.width;
  const int h = image.height;
  const auto pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (w <= 0 || h <= 0 || image.bgr.size() != pixels * 3 || image.mask.size() != pixels) {
    return kNoHandle;
  }
  // The colour image as a 24-bit section, rows padded to four bytes.
  BITMAPINFO info = win32::TopDownRgb24(w, h);
  void* bits = nullptr;
  OwnedBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (color.h == nullptr || bits == nullptr) return kNoHandle;
  // The system draws an icon as (screen AND mask) XOR colour: where the
  // mask marks a pixel transparent, the colour must be black there, or the
  // picture's ground would tint whatever lies beneath the icon.
  const int stride = win32::Rgb24Stride(w);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * stride;
    for (int x = 0; x < w; ++x) {
      const std::size_t pixel = static_cast<std::size_t>(y) * w + x;
      const bool transparent = image.mask[pixel] != 0;
      for (int c = 0; c < 3; ++c) {
        row[x * 3 + c] = transparent ? 0 : image.bgr[pixel * 3 + c];
      }
    }
  }
  // The mask as a device-dependent monochrome bitmap: rows padded to 16 bits,
  // a set bit is transparent.
  const int maskStride = ((w + 15) / 16) * 2;
  std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride) * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (image.mask[static_cast<std::size_t>(y) * w + x] != 0) {
        maskBits[static_cast<std::size_t>(y) * maskStride + x / 8] |=
            static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
    }
  }
  OwnedBitmap mask(CreateBitmap(w, h, 1, 1, maskBits.data()));
  if (mask.h == nullptr) return kNoHandle;
  ICONINFO ii = {};
  ii.fIcon = TRUE;
  ii.hbmMask = mask.h;
  ii.hbmColor = color.h;
  return FromHandle(::CreateIconIndirect(&ii));
}

bool Win32Os::DestroyIcon(Handle icon) {
  return ::DestroyIcon(reinterpret_cast<HICON>(icon)) != FALSE;
}

bool Win32Os::GetCursorPos(int* x, int* y) {
  POINT p = {};
  if (!::GetCursorPos(&p)) return false;
  *x = p.x;
  *y = p.y;
  return true;
}

bool Win32Os::Shell_NotifyIconA(std::uint32_t message, const NotifyIconData* data) {
  NOTIFYICONDATAA nid = {};
  nid.cbSize = data->cbSize;
  nid.hWnd = reinterpret_cast<HWND>(data->hWnd);
  nid.uID = data->uID;
  nid.uFlags = data->uFlags;
  nid.uCallbackMessage = data->uCallbackMessage;
  nid.hIcon = reinterpret_cast<HICON>(data->hIcon);
  static_assert(sizeof nid.szTip >= sizeof data->szTip, "tip room");
  std::copy_n(data->szTip, sizeof data->szTip, nid.szTip);
  return ::Shell_NotifyIconA(message, &nid) != FALSE;
}

}  // namespace platform
