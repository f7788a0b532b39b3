// Times the real program's overall optimization against the same memory
// work done plainly, in one prefix and one run:
//   overall_probe RUNS LIMIT PROGRAM LEVEL
// PROGRAM is started once and left running, with the page of the overall
// optimization shown. Each run clicks its start button, answers Yes, and
// times from the answer to the report box; the gauge's showing and hiding,
// watched from here, split that time into the run-up, the tweak with its
// gauge, and the trimming with the report. The plain work, done by this probe between the program's runs: at level 1,
// 1024 blocks of 1 MB, non-cached, each written and then all released; at
// the higher levels that many passes over what the program's passes hold,
// zeroed and written page by page. Prints each run, the medians, each
// phase's share and plain/overall; exits 1 when that ratio is below LIMIT,
// 2 when a run could not be timed.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "probe_timing.h"

using probe::Median;
using probe::NowMs;

namespace {

namespace ids = app::ids;

constexpr DWORD kWaitMs = 240000;

struct Find {
  DWORD pid;
  const char* className;
  const char* caption;
  int id;
  HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lParam) {
  auto* f = reinterpret_cast<Find*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != f->pid || !IsWindowVisible(hwnd)) return TRUE;
  char text[256] = {};
  GetClassNameA(hwnd, text, sizeof text);
  if (lstrcmpA(text, f->className) != 0) return TRUE;
  GetWindowTextA(hwnd, text, sizeof text);
  if (f->caption != nullptr && lstrcmpA(text, f->caption) != 0) return TRUE;
  f->found = hwnd;
  return FALSE;
}

HWND TopWindow(DWORD pid, const char* className, const char* caption) {
  Find f{pid, className, caption, 0, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lParam) {
  auto* f = reinterpret_cast<Find*>(lParam);
  if (GetDlgCtrlID(hwnd) != f->id) return TRUE;
  f->found = hwnd;
  return FALSE;
}

HWND Control(HWND top, int id) {
  Find f{0, nullptr, nullptr, id, nullptr};
  EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

// The program's report box, by class and caption, found without asking
// after every window on the desktop.
HWND FindReport(DWORD pid) {
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, "#32770", "Quorvel")) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == pid && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
  const double start = NowMs();
  while (!condition()) {
    if (NowMs() - start > timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

struct Phases {
  double runUp = 0;  // the answer to the gauge's showing
  double tweak = 0;  // the gauge shown
  double rest = 0;   // the gauge hidden to the report
  double Total() const { return runUp + tweak + rest; }
};

// One overall optimization of the running program; false when it could not
// be timed.
bool TimeOverall(DWORD pid, HWND main, Phases& phases) {
  PostMessageA(Control(main, ids::kSpeedButtonStartFull), BM_CLICK, 0, 0);
  HWND confirm = nullptr;
  if (!WaitFor([&] { return (confirm = TopWindow(pid, "#32770", "Confirm")) != nullptr; }, 30000)) {
    std::printf("no confirmation\n");
    return false;
  }
  HWND gauge = Control(main, ids::kGaugeOvarallOptimize);
  const double answered = NowMs();
  PostMessageA(GetDlgItem(confirm, IDYES), BM_CLICK, 0, 0);
  double shown = -1, hidden = -1;
  bool wasVisible = false;
  HWND report = nullptr;
  const bool done = WaitFor(
      [&] {
        const bool visible = (GetWindowLongA(gauge, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible && shown < 0) shown = NowMs();
        // The passes of the higher levels each show and hide it: the tweak
        // ends when it is last hidden.
        if (visible) wasVisible = true;
        if (!visible && wasVisible) {
          hidden = NowMs();
          wasVisible = false;
        }
        // While the gauge shows, its style is all this asks of the system:
        // a probe that asked after every window each time would load the
        // server the program paints through.
        if (visible) return false;
        report = FindReport(pid);
        return report != nullptr;
      },
      kWaitMs);
  const double reported = NowMs();
  if (!done) {
    std::printf("no report\n");
    return false;
  }
  // A gauge too quick to be seen counts as no tweak time.
  if (shown < 0) shown = hidden = reported;
  if (hidden < 0) hidden = reported;
  phases.runUp = shown - answered;
  phases.tweak = hidden - shown;
  phases.rest = reported - hidden;
  PostMessageA(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
  return WaitFor([&] { return !IsWindow(report); }, 30000);
}

inline void KeepWrites(void* memory) { asm volatile("" : : "r"(memory) : "memory"); }

// Level 1 done plainly: the blocks the program takes, each written at once,
// then all given back.
bool PlainLevelOne(std::uint64_t totalPhys) {
  const std::uint64_t count = std::min<std::uint64_t>(totalPhys / 1048576 + 1, 1024);
  std::vector<void*> blocks;
  for (std::uint64_t i = 0; i < count; ++i) {
    void* b = VirtualAlloc(nullptr, 1048576, MEM_COMMIT, PAGE_READWRITE | PAGE_NOCACHE);
    if (b == nullptr) break;
    std::memset(b, 0, 1048576);
    KeepWrites(b);
    blocks.push_back(b);
  }
  for (void* b : blocks) VirtualFree(b, 0, MEM_RELEASE);
  return blocks.size() == count;
}

// One whole-memory pass done plainly: as much as the address space holds
// less 64 MB, in halving blocks where it is fragmented, zeroed, then written
// page by page, then given back.
bool PlainPass(std::uint64_t totalPhys) {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  const std::uint64_t reserve = std::uint64_t{64} << 20;
  const std::uint64_t size =
      std::min(totalPhys, m.ullAvailVirtual > reserve ? m.ullAvailVirtual - reserve : 0);
  std::vector<std::pair<std::uint8_t*, std::uint64_t>> blocks;
  std::uint64_t held = 0, block = size;
  while (held < size && block >= 1048576) {
    const std::uint64_t want = std::min(block, size - held);
    void* b = VirtualAlloc(nullptr, static_cast<SIZE_T>(want), MEM_COMMIT, PAGE_READWRITE);
    if (b != nullptr) {
      blocks.emplace_back(static_cast<std::uint8_t*>(b), want);
      held += want;
    } else {
      block = want / 2 / 4096 * 4096;
    }
  }
  for (auto& [b, n] : blocks) {
    std::memset(b, 0, static_cast<size_t>(n));
    KeepWrites(b);
  }
  for (auto& [b, n] : blocks) {
    for (std::uint64_t at = 0; at + 4096 <= n; at += 4096) {
      std::memset(b + at, 0xFF, 4096);
      KeepWrites(b);
    }
  }
  for (auto& [b, n] : blocks) VirtualFree(b, 0, MEM_RELEASE);
  return held > 0;
}

double TimePlain(int level) {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  const double start = NowMs();
  bool ok = true;
  if (level == 1) {
    ok = PlainLevelOne(m.ullTotalPhys);
  } else {
    for (int pass = 0; pass < level; ++pass) ok = PlainPass(m.ullTotalPhys) && ok;
  }
  return ok ? NowMs() - start : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::printf("usage: overall_probe RUNS LIMIT PROGRAM LEVEL\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  const double limit = std::atof(argv[2]);
  const std::string program = argv[3];
  const int level = std::atoi(argv[4]);
  if (level < 1 || level > 5) return 2;

  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::printf("%s could not be started (error %lu)\n", program.c_str(), GetLastError());
    return 2;
  }
  CloseHandle(info.hThread);
  HWND main = nullptr;
  int rc = 0;
  if (!WaitFor([&] {
        main = TopWindow(info.dwProcessId, "TForm_Zentor", "Quorvel");
        HWND page = main != nullptr ? Control(main, ids::kPageUsageGroup) : nullptr;
        return page != nullptr && IsWindowVisible(page);
      },
               60000)) {
    std::printf("the program's window did not come up\n");
    rc = 2;
  }
  if (rc == 0) {
    // The user starts it from the page it stands on, so the gauge is seen
    // and its repaints are real ones.
    SendMessageA(Control(main, ids::kSpeedButtonFull), BM_CLICK, 0, 0);
    HWND page = Control(main, ids::kPageProcesses);
    if (!WaitFor([&] { return page != nullptr && IsWindowVisible(page); }, 10000)) {
      std::printf("the optimization page did not come up\n");
      rc = 2;
    }
  }
  if (rc == 0) {
    // The arrow keys move the track bar as a user would, and it tells the
    // program.
    HWND bar = Control(main, ids::kTrackBarOverallOption);
    for (int step = 1; step < level; ++step) {
      SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
      SendMessageA(bar, WM_KEYUP, VK_RIGHT, 0);
    }
    char caption[64] = {};
    SendMessageA(Control(main, ids::kLabelOptimizeLavel), WM_GETTEXT, sizeof caption,
                 reinterpret_cast<LPARAM>(caption));
    std::printf("the program is set to %s\n", caption);
    // A first run of each maps the memory for the first time.
    Phases warm;
    if (!TimeOverall(info.dwProcessId, main, warm) || TimePlain(level) < 0) rc = 2;
  }
  std::vector<double> overall, plain, runUp, tweak, rest;
  for (int r = 0; r < runs && rc == 0; ++r) {
    Phases p;
    if (!TimeOverall(info.dwProcessId, main, p)) {
      rc = 2;
      break;
    }
    const double q = TimePlain(level);
    if (q < 0) {
      std::printf("the plain work could not hold its memory\n");
      rc = 2;
      break;
    }
    overall.push_back(p.Total());
    runUp.push_back(p.runUp);
    tweak.push_back(p.tweak);
    rest.push_back(p.rest);
    plain.push_back(q);
    std::printf("run %d: overall %7.1f ms (run-up %6.1f, tweak with gauge %7.1f, trim and report "
                "%6.1f)   plain %7.1f ms\n",
                r + 1, p.Total(), p.runUp, p.tweak, p.rest, q);
    std::fflush(stdout);
  }
  PostMessageA(main, WM_COMMAND, ids::kMenuExit, 0);
  if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  if (rc != 0) return rc;

  const double o = Median(overall), q = Median(plain);
  const double shareBase = Median(runUp) + Median(tweak) + Median(rest);
  std::printf("level %d, median of %d runs: overall %.1f ms, plain %.1f ms\n", level, runs, o, q);
  std::printf("shares of the overall optimization: run-up %.0f%%, tweak with gauge %.0f%%, "
              "trim and report %.0f%%\n",
              100 * Median(runUp) / shareBase, 100 * Median(tweak) / shareBase,
              100 * Median(rest) / shareBase);
  const double ratio = q / o;
  std::printf("ratio plain/overall: %.2f (limit %.2f)\n", ratio, limit);
  if (ratio < limit) {
    std::printf("FAILED: the overall optimization costs more than %.2f times its memory work\n",
                1 / limit);
    return 1;
  }
  return 0;
}
