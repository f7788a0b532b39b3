// The timing Os the refresh benchmark splits its figures with: what it
// reports is only as good as its forwarding and its sums.

#include "timed_os.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_os.h"
#include "process/process_list.h"

namespace bench {
namespace {

platform::SimProcess Proc(std::uint32_t pid, const std::string& exe, const std::string& path) {
  platform::SimProcess p;
  p.pid = pid;
  p.exeName = exe;
  p.path = path;
  p.workingSet = pid << 12;
  p.peakWorkingSet = pid << 13;
  p.pageFaults = pid;
  return p;
}

struct Row {
  std::uint32_t pid;
  std::string name, path;
  std::uint32_t workingSet;
  bool operator==(const Row& o) const {
    return pid == o.pid && name == o.name && path == o.path && workingSet == o.workingSet;
  }
};

std::vector<Row> Fill(platform::Os& os) {
  process::TProcessList list;
  process::FillProcessList(os, list);
  std::vector<Row> rows;
  for (const process::TProcess& p : list) {
    rows.push_back({p.ProcessID, p.Name, p.Path, p.WorkingSetSize});
  }
  process::ReleaseProcessList(os, list);
  return rows;
}

TEST(TimedOs, PassesEveryCallOnAndCountsIt) {
  platform::SimOs os;
  os.AddProcess(Proc(8, "a.exe", "C:\\a.exe"));
  os.AddProcess(Proc(12, "b.exe", "C:\\dir\\b.exe"));
  platform::SimProcess locked = Proc(16, "c.exe", "C:\\c.exe");
  locked.refuseFullAccess = true;  // the second, narrower open
  os.AddProcess(locked);
  const std::vector<Row> direct = Fill(os);
  const std::size_t directCalls = os.Calls().size();
  ASSERT_EQ(direct.size(), 3u);
  os.ClearCalls();

  TimedOs timed(os);
  EXPECT_EQ(Fill(timed), direct);
  EXPECT_EQ(os.Calls().size(), directCalls) << "the same calls reach the system";
  EXPECT_EQ(timed.Calls(), directCalls) << "and each is counted once";
  EXPECT_TRUE(os.OpenHandles().empty());
  // Answers that are not logged come through as well.
  os.FailOnce("CloseHandle", 1, platform::kErrorAccessDenied);
  EXPECT_FALSE(timed.CloseHandle(0x100));
  EXPECT_EQ(timed.GetLastError(), platform::kErrorAccessDenied);
  EXPECT_EQ(timed.GetCurrentProcess(), platform::SimOs::kCurrentProcessPseudo);
  EXPECT_EQ(timed.Calls(), directCalls + 3);
}

TEST(TimedOs, AddsUpTheTimeInsideTheCallsOnly) {
  platform::SimOs os;
  const auto pause = std::chrono::milliseconds(20);
  os.onCall = [&](const std::string& call) {
    if (call == "GlobalMemoryStatus") std::this_thread::sleep_for(pause);
  };
  TimedOs timed(os);
  platform::MemoryStatus m;
  const auto start = TimedOs::Clock::now();
  timed.GlobalMemoryStatus(&m);
  timed.GlobalMemoryStatus(&m);
  std::this_thread::sleep_for(pause);  // between calls: not the system's
  const auto whole = TimedOs::Clock::now() - start;
  EXPECT_GE(timed.InsideCalls(), 2 * pause);
  EXPECT_LE(timed.InsideCalls(), whole - pause)
      << "time between the calls was counted as inside them";
  EXPECT_EQ(timed.Calls(), 2u);
  timed.Reset();
  EXPECT_EQ(timed.InsideCalls(), TimedOs::Clock::duration::zero());
  EXPECT_EQ(timed.Calls(), 0u);
}

TEST(TimedOs, CalibrationFindsWhatTheClockCosts) {
  platform::SimOs os;
  os.logCalls = false;
  const TimedOs::Overhead o = TimedOs::Calibrate(os, 20000, 3);
  EXPECT_GE(o.inside, 0.0);
  EXPECT_GE(o.outside, 0.0);
  // Two clock readings per call can never be free, nor take a millisecond.
  EXPECT_GT(o.inside + o.outside, 0.0);
  EXPECT_LT(o.inside + o.outside, 1e6);
}

}  // namespace
}  // namespace bench
