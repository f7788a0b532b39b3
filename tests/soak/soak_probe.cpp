// A long run of the real program: refreshing every second, optimizing
// automatically every second (no stop condition, the tweak at its start,
// the clipboard emptied each time), while small programs start and end
// around it. Once a minute it samples what the program holds; at the end it
// prints the first, last and largest of each figure and fails when one has
// grown past a small allowance since the first minute.
//
//   soak_probe MINUTES      (QUORVEL_EXE names the program; the settings key
//                            must exist)
//   soak_probe --child      the small program: lives a moment, then ends

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"

namespace {

// The stored settings record: automatic optimization at start, every
// second, without the stop condition, with the tweak and the clipboard;
// the refresh every second; the hotkeys as the defaults have them.
std::vector<unsigned char> SoakRecord() {
  std::vector<unsigned char> r(92, 0);
  auto put = [&r](int offset, int size, std::uint32_t value) {
    for (int i = 0; i < size; ++i) r[offset + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  put(0, 1, 1);    // AutoEmptyClipboard
  put(4, 4, 1);    // AutoTime, seconds
  put(8, 1, 0);    // bStopAuto
  put(12, 4, 70);  // StopAutoPercent
  put(16, 1, 1);   // AfterMemTrim
  put(17, 1, 1);   // AutoProcessList
  put(20, 4, 1);   // ProcessListTime, seconds
  put(24, 1, 1);   // AutoOptimizeAtStart
  put(25, 1, 1);   // CloseMinimize
  put(26, 1, 0);   // MinimizeStart
  const char keys[] = {'A', 'T', 'M', 'E'};
  for (int slot = 0; slot < 4; ++slot) {
    const int base = 28 + 16 * slot;
    put(base, 1, 1);
    put(base + 4, 4, 1331 + slot);
    put(base + 8, 4, MOD_ALT | MOD_SHIFT);
    put(base + 12, 4, static_cast<unsigned char>(keys[slot]));
  }
  return r;
}

// The process's entries in the system's handle table: a count for systems
// whose per-process count reads nothing.
long HandlesInSystemTable(DWORD pid) {
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<unsigned char> buffer(1 << 16);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      ULONG entries = 0;
      std::memcpy(&entries, buffer.data(), sizeof entries);
      const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG));
      const std::size_t room = (buffer.size() - sizeof(ULONG)) / sizeof(Entry);
      long mine = 0;
      for (ULONG i = 0; i < entries && i < room; ++i) {
        if (entry[i].ownerPid == pid) ++mine;
      }
      return mine;
    }
    if (status != static_cast<LONG>(0xC0000004)) return -1;  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  return -1;
}

struct Sample {
  double minute = 0;
  long workingSetKb = -1;
  long privateKb = -1;
  long handles = -1;
  long gdiObjects = -1;
  long userObjects = -1;
};

// Figures a system does not give read as -1 (the call is missing or fails)
// or 0 (a running program always holds handles and objects): both are said
// to be so rather than judged.
Sample Take(HANDLE process, double minute) {
  Sample s;
  s.minute = minute;
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(process, &pmc, sizeof pmc)) {
    s.workingSetKb = static_cast<long>(pmc.WorkingSetSize / 1024);
    s.privateKb = static_cast<long>(pmc.PagefileUsage / 1024);
  }
  using HandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
  auto handleCount = reinterpret_cast<HandleCountFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount")));
  DWORD count = 0;
  if (handleCount != nullptr && handleCount(process, &count)) s.handles = static_cast<long>(count);
  if (s.handles <= 0) s.handles = HandlesInSystemTable(GetProcessId(process));
  using GuiResourcesFn = DWORD(WINAPI*)(HANDLE, DWORD);
  auto guiResources = reinterpret_cast<GuiResourcesFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetGuiResources")));
  if (guiResources != nullptr) {
    s.gdiObjects = static_cast<long>(guiResources(process, 0));   // GR_GDIOBJECTS
    s.userObjects = static_cast<long>(guiResources(process, 1));  // GR_USEROBJECTS
  }
  return s;
}

HWND MainWindowOf(DWORD pid) {
  for (HWND w = FindWindowA("TForm_Zentor", nullptr); w != nullptr;
       w = FindWindowExA(nullptr, w, "TForm_Zentor", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

BOOL CALLBACK FindPanel(HWND child, LPARAM found) {
  if (GetDlgCtrlID(child) != app::ids::kStatusBarState * 10 + 1) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// Status panel 1, where automatic optimization writes its state.
std::string AutoState(DWORD pid) {
  HWND window = MainWindowOf(pid);
  if (window == nullptr) return "";
  HWND panel = nullptr;
  EnumChildWindows(window, FindPanel, reinterpret_cast<LPARAM>(&panel));
  char text[256] = {};
  if (panel != nullptr) {
    SendMessageTimeoutA(panel, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 10000, nullptr);
  }
  return text;
}

bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string line = commandLine;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &info) != FALSE;
}

struct Figure {
  const char* name;
  long Sample::*field;
  long allowance;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--child") {
    Sleep(1500);
    return 0;
  }
  const double minutes = argc > 1 ? std::atof(argv[1]) : 2.0;
  // Growth is measured between samples a minute apart: two at least.
  if (minutes < 2.0) {
    std::printf("soak: run at least two minutes\n");
    return 2;
  }
  const char* exe = std::getenv("QUORVEL_EXE");
  if (exe == nullptr) {
    std::printf("soak: QUORVEL_EXE is not set\n");
    return 2;
  }

  HKEY key = nullptr;
  const std::vector<unsigned char> record = SoakRecord();
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quorvel", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS ||
      RegSetValueExA(key, "QuorvelSetInfo", 0, REG_BINARY, record.data(),
                     static_cast<DWORD>(record.size())) != ERROR_SUCCESS) {
    std::printf("soak: cannot store the settings record\n");
    return 2;
  }
  RegCloseKey(key);

  PROCESS_INFORMATION quorvel = {};
  if (!StartProcess(std::string("\"") + exe + "\"", quorvel)) {
    std::printf("soak: cannot start %s\n", exe);
    return 2;
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string child = std::string("\"") + self + "\" --child";

  std::vector<Sample> samples;
  const DWORD start = GetTickCount();
  const auto wanted = static_cast<std::size_t>(minutes);
  DWORD nextSample = 60000;
  DWORD nextChild = 0;
  std::vector<PROCESS_INFORMATION> children;
  bool died = false;
  bool notRunning = false;
  for (;;) {
    const DWORD now = GetTickCount() - start;
    if (WaitForSingleObject(quorvel.hProcess, 0) == WAIT_OBJECT_0) {
      died = true;
      break;
    }
    if (now >= nextChild) {
      PROCESS_INFORMATION info = {};
      if (StartProcess(child, info)) children.push_back(info);
      nextChild = now + 3000;
    }
    for (auto it = children.begin(); it != children.end();) {
      if (WaitForSingleObject(it->hProcess, 0) == WAIT_OBJECT_0) {
        CloseHandle(it->hProcess);
        CloseHandle(it->hThread);
        it = children.erase(it);
      } else {
        ++it;
      }
    }
    if (now >= nextSample) {
      const Sample s = Take(quorvel.hProcess, now / 60000.0);
      samples.push_back(s);
      const std::string state = AutoState(quorvel.dwProcessId);
      std::printf(
          "minute %5.1f: working set %ld KB, private %ld KB, handles %ld, GDI objects %ld, "
          "USER objects %ld; status \"%s\"\n",
          s.minute, s.workingSetKb, s.privateKb, s.handles, s.gdiObjects, s.userObjects,
          state.c_str());
      std::fflush(stdout);
      // A run that is not optimizing proves nothing about optimizing.
      if (state.rfind("Auto optimizing", 0) != 0) {
        std::printf("soak: automatic optimization is not running\n");
        notRunning = true;
      }
      nextSample += 60000;
    }
    if (samples.size() >= wanted) break;
    Sleep(200);
  }
  for (PROCESS_INFORMATION& c : children) {
    WaitForSingleObject(c.hProcess, 5000);
    CloseHandle(c.hProcess);
    CloseHandle(c.hThread);
  }

  int status = notRunning ? 1 : 0;
  if (died) {
    DWORD code = 0;
    GetExitCodeProcess(quorvel.hProcess, &code);
    std::printf("soak: the program ended on its own after %.1f minutes (exit code %lu)\n",
                (GetTickCount() - start) / 60000.0, code);
    status = 1;
  }
  // Growth is judged from the first minute's sample on: start-up (the tweak
  // at start, the first refreshes) has settled by then.
  const Figure figures[] = {{"working set (KB)", &Sample::workingSetKb, 4096},
                            {"private (KB)", &Sample::privateKb, 4096},
                            {"handles", &Sample::handles, 16},
                            {"GDI objects", &Sample::gdiObjects, 8},
                            {"USER objects", &Sample::userObjects, 8}};
  if (samples.size() >= 2) {
    for (const Figure& f : figures) {
      long largest = samples.front().*f.field;
      for (const Sample& s : samples) largest = std::max(largest, s.*f.field);
      const long first = samples.front().*f.field;
      const long last = samples.back().*f.field;
      if (largest <= 0) {
        std::printf("%-17s not given by this system\n", f.name);
        continue;
      }
      const bool grew = largest > first + f.allowance;
      std::printf("%-17s first %ld, last %ld, largest %ld (allowance %ld)%s\n", f.name, first, last,
                  largest, f.allowance, grew ? "  GREW" : "");
      if (grew) status = 1;
    }
  } else if (!died) {
    std::printf("soak: fewer than two samples\n");
    status = 1;
  }

  if (!died) {
    // Ended as the tray menu's Exit ends it.
    HWND window = MainWindowOf(quorvel.dwProcessId);
    if (window != nullptr) PostMessageA(window, WM_COMMAND, app::ids::kMenuExit, 0);
    DWORD code = 1234;
    if (WaitForSingleObject(quorvel.hProcess, 30000) != WAIT_OBJECT_0) {
      std::printf("soak: the program did not end on Exit\n");
      TerminateProcess(quorvel.hProcess, 99);
      status = 1;
    } else if (GetExitCodeProcess(quorvel.hProcess, &code) && code != 0) {
      std::printf("soak: exit code %lu\n", code);
      status = 1;
    }
  }
  CloseHandle(quorvel.hProcess);
  CloseHandle(quorvel.hThread);
  std::printf(status == 0 ? "soak: nothing grew\n" : "soak: FAILED\n");
  return status;
}
