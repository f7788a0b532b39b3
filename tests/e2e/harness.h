#pragma once
// Drives the real Quorvel.exe from another process: starts it, finds its
// windows, sends it messages and reads results back. Every wait is on a
// condition with a time-out, never a fixed sleep.

#include <windows.h>

#include <functional>
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

}  // namespace e2e

namespace e2e {

// A child control anywhere below the window, by its control id.
HWND FindControl(HWND top, int controlId);

// The status bar's panels: child windows with ids bar id * 10 + index.
HWND StatusPanel(HWND top, int barId, int index);

// Ends every process of this name (the browser an automation call left).
int KillProcessesNamed(const char* exeName);

}  // namespace e2e
