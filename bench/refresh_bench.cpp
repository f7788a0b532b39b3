// Cost of one status refresh as the process count grows, and where it goes.
//
// The refresh must stay linear in the number of processes: the report
// matches rows through a map, never by scanning the table once per process.
// The 500-process run is the baseline; the 2000-process run must cost about
// four times as much.
//
// The same refreshes run a second time with every system call timed, which
// splits each into the program's own work (the list, the report, the
// figures, the graphs, the tray picture) and the time inside Os. The
// simulated system answers in a fraction of a microsecond where a real one
// takes tens, so the own part is what the program adds to the system's
// cost; scripts/bench-refresh sets it against that cost measured under Wine.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "app/program.h"
#include "gui/headless/headless_backend.h"
#include "platform/sim/sim_os.h"
#include "timed_os.h"

namespace {

using Clock = bench::TimedOs::Clock;

double Nanoseconds(Clock::duration d) { return std::chrono::duration<double, std::nano>(d).count(); }

struct Machine {
  // `timed`: the program makes its calls through the timing Os.
  Machine(int processes, bool timed) {
    os.logCalls = false;
    os.AddKey("HKLM\\Software\\Quorvel");
    for (int i = 0; i < processes; ++i) Start(static_cast<std::uint32_t>(i));
    program = std::make_unique<app::Program>(timed ? static_cast<platform::Os&>(timing)
                                                   : static_cast<platform::Os&>(os),
                                             backend);
    program->Start();
    program->Run();
  }

  // One process ends and another like it starts between refreshes, as on a
  // live machine, so every refresh deletes and appends a row too. The oldest
  // ends, so the count stays what the run is named after however many
  // refreshes it takes. Straight on the simulated machine: none of it is the
  // program's.
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
  bench::TimedOs timing{os};
  gui::HeadlessBackend backend;
  std::unique_ptr<app::Program> program;
  std::deque<std::uint32_t> live;  // identifiers, oldest first
  std::uint32_t next = 0;
};

void BM_Refresh(benchmark::State& state) {
  const int processes = static_cast<int>(state.range(0));
  Machine machine(processes, false);
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

// What the two clock readings of a timed call add, measured once per run.
const bench::TimedOs::Overhead& ClockOverhead() {
  static const bench::TimedOs::Overhead overhead = [] {
    platform::SimOs os;
    os.logCalls = false;
    return bench::TimedOs::Calibrate(os);
  }();
  return overhead;
}

void BM_RefreshSplit(benchmark::State& state) {
  const int processes = static_cast<int>(state.range(0));
  const bench::TimedOs::Overhead overhead = ClockOverhead();
  Machine machine(processes, true);
  auto& form = *machine.program->Form();
  machine.timing.Reset();
  Clock::duration whole = Clock::duration::zero();
  for (auto _ : state) {
    state.PauseTiming();
    machine.Churn();
    state.ResumeTiming();
    const Clock::time_point start = Clock::now();
    form.Button_GetProcessInfo.Click();
    whole += Clock::now() - start;
  }
  const double perProcess = static_cast<double>(state.iterations()) * processes;
  const double calls = static_cast<double>(machine.timing.Calls());
  const double inside = Nanoseconds(machine.timing.InsideCalls());
  const double os = inside - calls * overhead.inside;
  const double own = Nanoseconds(whole) - inside - calls * overhead.outside;
  // Seconds per process and refresh, which the table shows as "346.2n".
  state.counters["own"] = own / perProcess * 1e-9;
  state.counters["in_os"] = os / perProcess * 1e-9;
  state.counters["os_calls"] = calls / perProcess;
}
BENCHMARK(BM_RefreshSplit)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // In colour on a terminal only: the scripts keep the output in a log.
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  struct Figures {
    double time = 0;  // per refresh, in the benchmark's unit
    std::map<std::string, double> counters;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      Figures& f = figures_[run.run_name.function_name + "/" + run.run_name.args];
      f.time = run.GetAdjustedRealTime();
      for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const Figures* Find(const std::string& name) const {
    auto it = figures_.find(name);
    return it == figures_.end() ? nullptr : &it->second;
  }

 private:
  std::map<std::string, Figures> figures_;
};

// The split of each timed run, and how far the timing moved the whole: the
// split's own work plus its time in Os, set against the untimed refresh.
void PrintSplit(const RatioReporter& reporter) {
  const bench::TimedOs::Overhead& overhead = ClockOverhead();
  bool header = false;
  for (const char* arg : {"100", "500", "2000"}) {
    const RatioReporter::Figures* split = reporter.Find(std::string("BM_RefreshSplit/") + arg);
    if (split == nullptr) continue;
    if (!header) {
      std::printf("clock cost per timed call: %.1f ns inside the call, %.1f ns outside\n",
                  overhead.inside, overhead.outside);
      header = true;
    }
    const double own = split->counters.at("own") * 1e6;
    const double os = split->counters.at("in_os") * 1e6;
    std::printf("refresh_split processes=%s own_us_per_process=%.4f os_us_per_process=%.4f "
                "os_calls_per_process=%.2f",
                arg, own, os, split->counters.at("os_calls"));
    const RatioReporter::Figures* plain = reporter.Find(std::string("BM_Refresh/") + arg);
    if (plain != nullptr && plain->counters.count("per_process") != 0) {
      std::printf(" timed_vs_untimed=%.2f", (own + os) / (plain->counters.at("per_process") * 1e6));
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintSplit(reporter);
  const RatioReporter::Figures* base = reporter.Find("BM_Refresh/500");
  const RatioReporter::Figures* large = reporter.Find("BM_Refresh/2000");
  if (base == nullptr || large == nullptr || base->time <= 0) return 0;  // filtered out
  const double ratio = large->time / base->time;
  std::printf("refresh cost, 2000 processes against 500: %.2f (linear: 4)\n", ratio);
  // Quadratic matching would give 16; leave room for noise on a busy host.
  if (ratio > 8.0) {
    std::printf("the refresh no longer scales linearly\n");
    return 1;
  }
  return 0;
}
