#include "harness.h"

#include <cstdlib>
#include <vector>

namespace e2e {

DWORD Timeout(DWORD ms) {
  const char* scale = std::getenv("QUORVEL_E2E_TIME_SCALE");
  const double factor = scale != nullptr ? std::atof(scale) : 1.0;
  return static_cast<DWORD>(ms * (factor > 0 ? factor : 1.0));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(20);
  }
}

std::string QuorvelExePath() {
  if (const char* exe = std::getenv("QUORVEL_EXE")) return exe;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "Quorvel.exe";
}

std::string QuorvelSetupPath() {
  std::string dir = QuorvelExePath();
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "QuorvelSetup.exe";
}

Process::~Process() {
  Kill();
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
}

bool Process::Start(const std::string& exe, const std::string& arguments) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &info_) != FALSE;
}

bool Process::StartSuspended(const std::string& exe) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string commandLine = "\"" + exe + "\"";
  return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &si, &info_) != FALSE;
}

bool Process::Resume() {
  return info_.hThread != nullptr && ResumeThread(info_.hThread) != static_cast<DWORD>(-1);
}

bool Process::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (info_.hProcess == nullptr) return false;
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode != nullptr) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 10000);
  }
}

namespace {
struct FindRequest {
  DWORD pid;
  const char* className;
  const char* caption;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
  auto* req = reinterpret_cast<FindRequest*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != req->pid) return TRUE;
  if (req->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (req->className != nullptr && lstrcmpA(cls, req->className) != 0) return TRUE;
  if (req->caption != nullptr && WindowText(hwnd) != req->caption) return TRUE;
  req->found = hwnd;
  return FALSE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const char* className, const char* caption, bool visibleOnly) {
  FindRequest req{pid, className, caption, visibleOnly, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&req));
  return req.found;
}

HWND WaitForProcessWindow(DWORD pid, const char* className, const char* caption,
                          DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(pid, className, caption, true)) != nullptr; },
            timeoutMs);
  return found;
}

std::string WindowText(HWND hwnd) {
  char text[1024] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

bool CreateSettingsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quorvel", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool SetMachineValue(const char* key, const char* name, DWORD type,
                     const std::vector<unsigned char>& data) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG rc = RegSetValueExA(k, name, 0, type, data.empty() ? nullptr : data.data(),
                                 static_cast<DWORD>(data.size()));
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

bool GetMachineValue(const char* key, const char* name, DWORD* type,
                     std::vector<unsigned char>* data) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(k, name, nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    data->assign(size, 0);
    rc = RegQueryValueExA(k, name, nullptr, type, size > 0 ? data->data() : nullptr, &size);
    data->resize(size);
  }
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

bool DeleteMachineValue(const char* key, const char* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return true;
  const LONG rc = RegDeleteValueA(k, name);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

void ForgetSettings() {
  DeleteMachineValue(kSettingsKeyPath, "QuorvelSetInfo");
  DeleteMachineValue(kSettingsKeyPath, "QuorvelMemoryLists");
  DeleteMachineValue(kRunKeyPath, "Quorvel");
}

bool CloseUntilExit(Process& process, HWND main, DWORD timeoutMs, DWORD* exitCode) {
  for (int attempt = 0; attempt < 2 && process.Running(); ++attempt) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !process.Running() || !IsWindowVisible(main); }, timeoutMs);
  }
  return process.WaitExit(timeoutMs, exitCode);
}

HWND WaitForBox(DWORD pid, const char* caption, DWORD timeoutMs) {
  return WaitForProcessWindow(pid, "#32770", caption, timeoutMs);
}

std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

bool PressBoxButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

void PressKeys(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (auto it = modifiers.end(); it != modifiers.begin();) add(*--it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool DeleteSettingsKey() {
  const LONG rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Quorvel");
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace e2e

#include <commctrl.h>
#include <tlhelp32.h>

namespace e2e {

namespace {
struct ControlSearch {
  int id;
  HWND found;
};
BOOL CALLBACK FindControlProc(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ControlSearch*>(lParam);
  if (GetDlgCtrlID(hwnd) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindControl(HWND top, int controlId) {
  ControlSearch search{controlId, nullptr};
  EnumChildWindows(top, FindControlProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND StatusPanel(HWND top, int barId, int index) { return FindControl(top, barId * 10 + index); }

int KillProcessesNamed(const char* exeName) {
  int killed = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) != 0) continue;
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (p == nullptr) continue;
    TerminateProcess(p, 0);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
    ++killed;
  }
  CloseHandle(snapshot);
  return killed;
}

std::vector<MemoryRegion> RegionsOf(HANDLE process, std::uintptr_t from, std::uintptr_t to) {
  std::vector<MemoryRegion> regions;
  std::uintptr_t at = from;
  while (at < to) {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQueryEx(process, reinterpret_cast<void*>(at), &info, sizeof info) == 0) break;
    MemoryRegion r;
    r.base = reinterpret_cast<std::uintptr_t>(info.BaseAddress);
    r.size = info.RegionSize;
    r.allocationBase = reinterpret_cast<std::uintptr_t>(info.AllocationBase);
    r.state = info.State;
    r.type = info.Type;
    if (r.size == 0) break;
    regions.push_back(r);
    // A region reaching the top of a 32-bit space ends at 0.
    if (r.End() <= r.base) break;
    at = r.End();
  }
  return regions;
}

}  // namespace e2e
