#pragma once
// Drives the real Quorvel.exe from another process: starts it, finds its
// windows, sends it messages and reads results back. Every wait is on a
// condition with a time-out, never a fixed sleep.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// Time-outs stretch with QUORVEL_E2E_TIME_SCALE for slow hosts.
DWORD Timeout(DWORD ms);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

std::string QuorvelExePath();
// QuorvelSetup.exe, built next to the program.
std::string QuorvelSetupPath();

class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // arguments: the command line after the quoted program name, if any.
  bool Start(const std::string& exe, const std::string& arguments = "");
  // Created with its first thread suspended, so a test can change the new
  // process before any of its code runs; Resume lets it go.
  bool StartSuspended(const std::string& exe);
  bool Resume();
  HANDLE ProcessHandle() const { return info_.hProcess; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the end; false on time-out. exitCode gets the process's code.
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode);
  void Kill();

 private:
  PROCESS_INFORMATION info_ = {};
};

// A top-level window of the process with this class (null = any) and caption
// (null = any); only visible ones when visibleOnly.
HWND FindProcessWindow(DWORD pid, const char* className, const char* caption, bool visibleOnly);
HWND WaitForProcessWindow(DWORD pid, const char* className, const char* caption,
                          DWORD timeoutMs);

std::string WindowText(HWND hwnd);

// HKLM\Software\Quorvel, as an installer makes it.
bool CreateSettingsKey();
bool DeleteSettingsKey();

// Values under HKEY_LOCAL_MACHINE. Reading fills type and data; false when
// the value does not exist.
bool SetMachineValue(const char* key, const char* name, DWORD type,
                     const std::vector<unsigned char>& data);
bool GetMachineValue(const char* key, const char* name, DWORD* type,
                     std::vector<unsigned char>* data);
bool DeleteMachineValue(const char* key, const char* name);

constexpr char kSettingsKeyPath[] = "Software\\Quorvel";
constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// No stored settings and no start-up value: the next start is a first one.
void ForgetSettings();

// Asks the main window to close until the process ends: with
// close-to-tray on, the first request only hides the window.
bool CloseUntilExit(Process& process, HWND main, DWORD timeoutMs, DWORD* exitCode);

// A message box of the process with this caption, visible.
HWND WaitForBox(DWORD pid, const char* caption, DWORD timeoutMs);
// Its text (the static control 65535).
std::string BoxText(HWND box);
// Presses the box's button (IDOK, IDYES, ...) without waiting for it.
bool PressBoxButton(HWND box, int id);

// Real key presses through the system's input queue, as a user types
// them: the modifiers down, the key down and up, the modifiers up.
void PressKeys(std::initializer_list<WORD> modifiers, WORD key);

}  // namespace e2e

namespace e2e {

// A child control anywhere below the window, by its control id.
HWND FindControl(HWND top, int controlId);

// The status bar's panels: child windows with ids bar id * 10 + index.
HWND StatusPanel(HWND top, int barId, int index);

// Ends every process of this name (the browser an automation call left).
int KillProcessesNamed(const char* exeName);

// One region of another process's address space, as VirtualQueryEx gives it.
struct MemoryRegion {
  std::uintptr_t base = 0;
  std::uintptr_t size = 0;
  std::uintptr_t allocationBase = 0;
  DWORD state = 0;
  DWORD type = 0;
  std::uintptr_t End() const { return base + size; }
};
// The regions from `from` up to `to`, or up to the first address the system
// will not describe (the end of the process's space). Empty where another
// process's memory cannot be queried at all (Wine under an emulator).
std::vector<MemoryRegion> RegionsOf(HANDLE process, std::uintptr_t from, std::uintptr_t to);

}  // namespace e2e
