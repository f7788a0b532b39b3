// Times how long a window program takes from its process being created to
// its first top-level window being visible, for two programs in turn:
//   start_probe RUNS LIMIT PROGRAM BASELINE
// Each run starts one fresh process, polls the top-level windows of its
// first thread about once a millisecond (of that thread alone: asking after
// every window on the desktop each time would load the system the program
// shares), and once one is visible ends the process with
// the tray menu's Exit command (as the uninstaller does), waiting until it
// is gone: the program refuses a second instance while the first lives.
// The two programs alternate, after one untimed start of each, so both see
// the same state of the host. Prints every time, both medians and
// PROGRAM/BASELINE; exits 1 when that ratio exceeds LIMIT, 2 when a start
// could not be timed.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "probe_timing.h"

using probe::Median;
using probe::NowMs;

namespace {

constexpr DWORD kAppearTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hwnd;
  return FALSE;
}

// Milliseconds from CreateProcess to the first visible top-level window,
// or a negative number when the start could not be timed.
double TimeOneStart(const std::string& program) {
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  const double start = NowMs();
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::printf("%s could not be started (error %lu)\n", program.c_str(), GetLastError());
    return -1;
  }
  CloseHandle(info.hThread);
  HWND found = nullptr;
  double shown = -1;
  while (NowMs() - start < kAppearTimeoutMs) {
    EnumThreadWindows(info.dwThreadId, FindVisible, reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) {
      shown = NowMs() - start;
      break;
    }
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;  // ended without a window
    Sleep(1);
  }
  if (found == nullptr) {
    std::printf("%s showed no window within %lu ms\n", program.c_str(), kAppearTimeoutMs);
  } else {
    PostMessageA(found, WM_COMMAND, app::ids::kMenuExit, 0);
  }
  if (WaitForSingleObject(info.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
    std::printf("%s did not end on Exit; terminated\n", program.c_str());
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, INFINITE);
    shown = -1;
  }
  CloseHandle(info.hProcess);
  return shown;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::printf("usage: start_probe RUNS LIMIT PROGRAM BASELINE\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  const double limit = std::atof(argv[2]);
  const std::string program = argv[3];
  const std::string baseline = argv[4];
  const std::string programName = BaseName(program);
  const std::string baselineName = BaseName(baseline);

  // The first start of each reads its files from disk and, for the program,
  // writes its settings for the first time.
  if (TimeOneStart(program) < 0 || TimeOneStart(baseline) < 0) return 2;
  std::vector<double> programMs, baselineMs;
  for (int r = 0; r < runs; ++r) {
    const double p = TimeOneStart(program);
    const double b = TimeOneStart(baseline);
    if (p < 0 || b < 0) return 2;
    programMs.push_back(p);
    baselineMs.push_back(b);
    std::printf("run %d: %s %6.1f ms   %s %6.1f ms\n", r + 1, programName.c_str(), p,
                baselineName.c_str(), b);
    std::fflush(stdout);
  }
  const double programMedian = Median(programMs);
  const double baselineMedian = Median(baselineMs);
  const double ratio = programMedian / baselineMedian;
  std::printf("median to first visible window, %d runs each: %s %.1f ms, %s %.1f ms\n", runs,
              programName.c_str(), programMedian, baselineName.c_str(), baselineMedian);
  std::printf("ratio %s/%s: %.2f (limit %.2f)\n", programName.c_str(), baselineName.c_str(), ratio,
              limit);
  if (ratio > limit) {
    std::printf("FAILED: the program takes more than %.2f times as long to show its window\n",
                limit);
    return 1;
  }
  return 0;
}
