// Times, on the real system, the calls a status refresh makes for each
// process: one tool-help snapshot walked to its end, then per process the
// open (full access, else query and read access), the path (the process-status
// call, else the image-name call), the memory counters and the close. The
// calls go through Win32Os, which finds them as the program does. Each pass
// is made twice: once as those bare calls, once as the program's own
// FillProcessList and ReleaseProcessList, alternating so both see the same
// state of the host.
//
// A fresh Wine prefix runs only a handful of processes, so the probe first
// starts some copies of itself that wait for it to end (their number is the
// second argument, 8 unless given; the first is the number of timed runs, 15
// unless given). It prints every run, the fastest and the median, where a
// pass's time goes, and last one line for scripts to read:
//   refresh_probe processes=N opened=N named=N ... syscalls_us_per_process=X
// where X is the fastest run's time of a whole pass divided by the processes
// it listed. Exits non-zero when there is too little to measure.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_os.h"
#include "process/process_list.h"
#include "probe_timing.h"

using probe::Median;

namespace {

constexpr int kDefaultRuns = 15;
constexpr int kDefaultSleepers = 8;
// Passes per timed run: a pass over a dozen processes takes a few
// milliseconds under Wine, and a run should be long enough that one slow
// call moves it little.
constexpr int kPassesPerRun = 10;
constexpr int kMinimumProcesses = 4;
constexpr DWORD kSleeperStartMs = 60000;  // emulated, a Wine process takes a second or more

// What one pass of the bare calls saw.
struct Seen {
  int processes = 0;
  int opened = 0;  // with either access
  int named = 0;   // a path from either call
  int counted = 0;  // memory counters read
};

// Where a pass's time goes, summed over passes; read only for the breakdown,
// so the timed runs carry no clock readings between their calls.
struct CallTimes {
  enum Call { kSnapshot, kOpen, kPath, kCounters, kClose, kCalls };
  LARGE_INTEGER last{};
  double seconds[kCalls] = {};
  long processes = 0;
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

// Adds the time since the last mark to `call`.
void Mark(CallTimes* times, CallTimes::Call call) {
  if (times == nullptr) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (call != CallTimes::kCalls) times->seconds[call] += Seconds(times->last, now);
  times->last = now;
}

Seen BareCalls(platform::Os& os, CallTimes* times = nullptr) {
  Seen seen;
  std::vector<std::uint32_t> pids;
  Mark(times, CallTimes::kCalls);
  const platform::Handle snapshot = os.CreateToolhelp32Snapshot(platform::kTh32csSnapProcess, 0);
  if (snapshot != platform::kNoHandle) {
    platform::ProcessEntry32 entry;
    entry.dwSize = sizeof entry;
    for (bool more = os.Process32First(snapshot, &entry); more;
         more = os.Process32Next(snapshot, &entry)) {
      pids.push_back(entry.th32ProcessID);
    }
    os.CloseHandle(snapshot);
  }
  seen.processes = static_cast<int>(pids.size());
  Mark(times, CallTimes::kSnapshot);
  char path[process::kProcessPathBufferSize];
  for (const std::uint32_t pid : pids) {
    platform::Handle h = os.OpenProcess(platform::kProcessAllAccess, false, pid);
    if (h == platform::kNoHandle) {
      h = os.OpenProcess(platform::kProcessQueryInformation | platform::kProcessVmRead, false,
                         pid);
    }
    Mark(times, CallTimes::kOpen);
    if (h == platform::kNoHandle) continue;
    ++seen.opened;
    path[0] = '\0';
    os.GetModuleFileNameExA(h, platform::kNoHandle, path, sizeof path);
    if (path[0] == '\0') {
      std::uint32_t size = sizeof path;
      if (!os.QueryFullProcessImageNameA(h, 0, path, &size)) path[0] = '\0';
    }
    if (path[0] != '\0') ++seen.named;
    Mark(times, CallTimes::kPath);
    platform::ProcessMemoryCounters counters;
    if (os.GetProcessMemoryInfo(h, &counters, sizeof counters)) ++seen.counted;
    Mark(times, CallTimes::kCounters);
    os.CloseHandle(h);
    Mark(times, CallTimes::kClose);
  }
  if (times != nullptr) times->processes += seen.processes;
  return seen;
}

int ProgramPass(platform::Os& os) {
  process::TProcessList list;
  process::FillProcessList(os, list);
  const int n = static_cast<int>(list.Count());
  process::ReleaseProcessList(os, list);
  return n;
}

// Microseconds per process of kPassesPerRun passes of `pass`, which returns
// the processes it went over.
template <typename Pass>
double MicrosecondsPerProcess(Pass pass) {
  LARGE_INTEGER start, end;
  long processes = 0;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kPassesPerRun; ++i) processes += pass();
  QueryPerformanceCounter(&end);
  return processes > 0 ? Seconds(start, end) * 1e6 / static_cast<double>(processes) : 0.0;
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

std::string SemaphoreName(DWORD parent) {
  return "quorvel-refresh-probe-" + std::to_string(parent);
}

// A copy started to be listed: it says it is running, then waits for the
// probe that started it to end.
int Sleeper(DWORD parent) {
  HANDLE started = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, SemaphoreName(parent).c_str());
  HANDLE probe = OpenProcess(SYNCHRONIZE, FALSE, parent);
  if (started != nullptr) {
    ReleaseSemaphore(started, 1, nullptr);
    CloseHandle(started);
  }
  if (probe == nullptr) {
    // Gone already, or not to be waited for: stay a while rather than forever.
    Sleep(120000);
    return 0;
  }
  WaitForSingleObject(probe, INFINITE);
  CloseHandle(probe);
  return 0;
}

struct Sleepers {
  std::vector<HANDLE> processes;
  ~Sleepers() {
    for (HANDLE h : processes) TerminateProcess(h, 0);
    for (HANDLE h : processes) {
      WaitForSingleObject(h, 5000);
      CloseHandle(h);
    }
  }
};

// Starts `count` sleepers and waits until each has said it runs. Returns the
// number running.
int StartSleepers(Sleepers& sleepers, int count) {
  if (count <= 0) return 0;
  const DWORD self = GetCurrentProcessId();
  HANDLE started = CreateSemaphoreA(nullptr, 0, count, SemaphoreName(self).c_str());
  if (started == nullptr) return 0;
  char exe[MAX_PATH];
  if (GetModuleFileNameA(nullptr, exe, sizeof exe) == 0) {
    CloseHandle(started);
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    std::string command = std::string("\"") + exe + "\" --sleeper " + std::to_string(self);
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // Detached and inheriting nothing: a sleeper holds neither the console
    // nor the file the output goes to.
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &si, &pi)) {
      std::printf("could not start a sleeper: error %lu\n", GetLastError());
      break;
    }
    CloseHandle(pi.hThread);
    sleepers.processes.push_back(pi.hProcess);
  }
  int running = 0;
  const DWORD deadline = GetTickCount() + kSleeperStartMs;
  while (running < static_cast<int>(sleepers.processes.size())) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) break;
    if (WaitForSingleObject(started, deadline - now) != WAIT_OBJECT_0) break;
    ++running;
  }
  CloseHandle(started);
  return running;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--sleeper") == 0) {
    return Sleeper(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
  const int wanted = argc > 2 ? std::max(0, std::atoi(argv[2])) : kDefaultSleepers;

  Sleepers sleepers;
  const int running = StartSleepers(sleepers, wanted);
  std::printf("sleepers started: %d of %d\n", running, wanted);

  platform::Win32Os os;
  // The first pass finds the entry points and loads the process-status
  // library; the program pays that once, not per refresh.
  const Seen seen = BareCalls(os);
  ProgramPass(os);
  std::printf("listed %d processes: %d opened, %d named, %d with memory counters\n",
              seen.processes, seen.opened, seen.named, seen.counted);
  if (seen.processes < kMinimumProcesses || seen.opened == 0) {
    std::printf("too few processes to measure\n");
    return 1;
  }

  std::vector<double> bare, program;
  for (int r = 0; r < runs; ++r) {
    bare.push_back(MicrosecondsPerProcess([&] { return BareCalls(os).processes; }));
    program.push_back(MicrosecondsPerProcess([&] { return ProgramPass(os); }));
    std::printf("run %2d: system calls %8.2f us per process, program's pass %8.2f us\n", r + 1,
                bare.back(), program.back());
  }
  std::printf("%d runs of %d passes: system calls fastest %.2f, median %.2f us per process; "
              "program's pass fastest %.2f, median %.2f\n",
              runs, kPassesPerRun, Fastest(bare), Median(bare), Fastest(program),
              Median(program));
  // Where the time goes, from passes of their own with the clock read
  // between the calls.
  CallTimes times;
  for (int i = 0; i < kPassesPerRun; ++i) BareCalls(os, &times);
  const auto share = [&](CallTimes::Call call) {
    return times.seconds[call] * 1e6 / static_cast<double>(std::max(1L, times.processes));
  };
  std::printf("per process, mean of %d passes: snapshot and walk %.2f us, open %.2f, path %.2f, "
              "memory counters %.2f, close %.2f\n",
              kPassesPerRun, share(CallTimes::kSnapshot), share(CallTimes::kOpen),
              share(CallTimes::kPath), share(CallTimes::kCounters), share(CallTimes::kClose));
  std::printf("refresh_probe processes=%d opened=%d named=%d counted=%d runs=%d "
              "syscalls_us_per_process=%.3f syscalls_us_per_process_median=%.3f "
              "program_us_per_process=%.3f\n",
              seen.processes, seen.opened, seen.named, seen.counted, runs, Fastest(bare),
              Median(bare), Fastest(program));
  return 0;
}
