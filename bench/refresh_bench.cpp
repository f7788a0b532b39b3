// Cost of one status refresh as the process count grows. The refresh must
// stay linear in the number of processes: the report matches rows through a
// map, never by scanning the table once per process. The 500-process run is
// the baseline; the 2000-process run must cost about four times as much.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "app/program.h"
#include "gui/headless/headless_backend.h"
#include "platform/sim/sim_os.h"

namespace {

struct Machine {
  explicit Machine(int processes) {
    os.logCalls = false;
    os.AddKey("HKLM\\Software\\Quorvel");
    for (int i = 0; i < processes; ++i) Start(static_cast<std::uint32_t>(i));
    program = std::make_unique<app::Program>(os, backend);
    program->Start();
    program->Run();
  }

  // One process ends and another like it starts between refreshes, as on a
  // live machine, so every refresh deletes and appends a row too. The oldest
  // ends, so the count stays what the run is named after however many
  // refreshes it takes.
  void Churn() {
    os.RemoveProcess(live.front());
    live.pop_front();
    Start(next++);
  }

  void Start(std::uint32_t n) {
    platform::SimProcess p;
    p.pid = 8 + 4 * n;
    p.parentPid = 4;
    p.exeName = "process" + std::to_string(n) + ".exe";
    p.path = "C:\\Program Files\\Vendor\\process" + std::to_string(n) + ".exe";
    p.workingSet = 1u << 20;
    p.peakWorkingSet = 2u << 20;
    p.pageFaults = 1000u + n;
    os.AddProcess(p);
    live.push_back(p.pid);
    next = std::max(next, n + 1);
  }

  platform::SimOs os;
  gui::HeadlessBackend backend;
  std::unique_ptr<app::Program> program;
  std::deque<std::uint32_t> live;  // identifiers, oldest first
  std::uint32_t next = 0;
};

void BM_Refresh(benchmark::State& state) {
  const int processes = static_cast<int>(state.range(0));
  Machine machine(processes);
  auto& form = *machine.program->Form();
  for (auto _ : state) {
    state.PauseTiming();
    machine.Churn();
    state.ResumeTiming();
    form.Button_GetProcessInfo.Click();
  }
  state.counters["per_process"] = benchmark::Counter(
      static_cast<double>(processes), benchmark::Counter::kIsIterationInvariantRate |
                                          benchmark::Counter::kInvert);
}
BENCHMARK(BM_Refresh)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) times_[run.run_name.args] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& arg) const {
    auto it = times_.find(arg);
    return it == times_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double base = reporter.Time("500");
  const double large = reporter.Time("2000");
  if (base <= 0 || large <= 0) return 0;  // filtered out: nothing to compare
  const double ratio = large / base;
  std::printf("refresh cost, 2000 processes against 500: %.2f (linear: 4)\n", ratio);
  // Quadratic matching would give 16; leave room for noise on a busy host.
  if (ratio > 8.0) {
    std::printf("the refresh no longer scales linearly\n");
    return 1;
  }
  return 0;
}
