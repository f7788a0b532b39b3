#include <gtest/gtest.h>

#include <algorithm>

#include "app/frmmain.h"
#include "monitor/memory_status.h"
#include "app/program_fixture.h"
#include "sequence.h"

namespace app {
namespace {

using testing::ProgramTest;

platform::SimProcess Proc(std::uint32_t pid, const std::string& name, std::uint32_t workingSet = 1 << 20) {
  platform::SimProcess p;
  p.pid = pid;
  p.parentPid = 4;
  p.exeName = name;
  p.path = "C:\\Programs\\" + name;
  p.workingSet = workingSet;
  p.peakWorkingSet = workingSet * 2;
  return p;
}

class StatusRefresh : public ProgramTest {
 protected:
  void SetUp() override {
    os.AddProcess(Proc(0, "[System Process]", 0));
    os.AddProcess(Proc(4, "System"));
    os.AddProcess(Proc(400, "winlogon.exe"));
    os.AddProcess(Proc(1200, "Quorvel.exe"));
    // A 1000 MB machine with 500.5 MB available.
    os.memory.ullTotalPhys = 1048576000u;
    os.memory.ullAvailPhys = 524812288u;
    os.processorCount = 1;
  }
  void Start() {
    StartProgram();
    ASSERT_TRUE(started);
  }
  // Advances the simulated processor clock by one second with the given
  // idle share, then lets the refresh timer fire once.
  void Tick(double idleShare) {
    os.AdvanceProcessorTime(2 * 10000000LL, static_cast<std::int64_t>(idleShare * 2 * 10000000LL));
    backend.AdvanceBy(2000);
  }
  // What is open beyond what the running program holds by design: its
  // instance mark, its hotkeys and the one icon the tray shows.
  std::vector<std::string> Open() {
    std::vector<std::string> open;
    int icons = 0;
    for (const std::string& h : os.OpenHandles()) {
      if (h.rfind("icon ", 0) == 0 && ++icons == 1) continue;
      if (h.find("QuorvelEvent") == std::string::npos && h.rfind("hotkey ", 0) != 0) {
        open.push_back(h);
      }
    }
    return open;
  }
};

TEST_F(StatusRefresh, StartUpSetsUpGraphsAndRefreshesOnce) {
  Start();
  EXPECT_EQ(Form().ListView_ProcessReport.Count(), 4);
  EXPECT_EQ(Form().StatusBar_State.Panel(0).text, "Process number:4");
  EXPECT_EQ(Form().StatusBar_State.Panel(2).text.substr(0, 19), "PM:512512K/1024000K");
  EXPECT_EQ(Form().Chart_PhyMem.AxisMax(), 1000.0);
  EXPECT_EQ(Form().Chart_CPUs.AxisMax(), 100.0);
  for (gui::TChart* c : {&Form().Chart_PhyMem, &Form().Chart_CPUs}) {
    for (int s = 0; s < c->SeriesCount(); ++s) EXPECT_EQ(c->Series(s).Count(), 50);
  }
  // The sampler's first reading has nothing to compare with.
  EXPECT_EQ(Form().CpuUsage, 0.0);
  EXPECT_EQ(Form().Chart_CPUs.Series(0).YValue(49), 0.0);
  EXPECT_EQ(Form().Chart_PhyMem.Series(0).YValue(49), 499.0);
  EXPECT_EQ(Form().Timer_GetProcessInfo.Interval(), 2000u);
  EXPECT_TRUE(Form().Timer_GetProcessInfo.Enabled());
  EXPECT_TRUE(Open().empty()) << ::testing::PrintToString(Open());
}

// Steps 1 to 12 as the system and the user see them. The calls pin the
// order down; the changes seen between two calls are listed in the order
// of the steps that make them.
TEST_F(StatusRefresh, RunsEveryStepInOrder) {
  Start();
  os.RemoveProcess(400);
  os.AddProcess(Proc(500, "notepad.exe"));
  os.memory.ullAvailPhys = 314572800u;  // 300 MB
  os.AdvanceProcessorTime(2 * 10000000LL, 10000000LL);
  testing_support::Sequence run(os, backend, [this] {
    TForm_Zentor& f = Form();
    return testing_support::Sight{
        {"report", f.ListView_ProcessReport.Cell(f.ListView_ProcessReport.Count() - 1, 0)},
        {"panel 0", f.StatusBar_State.Panel(0).text},
        {"panel 2", f.StatusBar_State.Panel(2).text.substr(0, 19)},
        {"memory graph", f.Chart_PhyMem.Summary()},
        {"Label_PMu", f.Label_PMu.Caption()},
        {"processor graph", f.Chart_CPUs.Summary()},
        {"Label_CPUusage", f.Label_CPUusage.Caption()},
        {"Gauge_Mem", std::to_string(f.Gauge_Mem.Progress())},
        {"Gauge_Cpu2", std::to_string(f.Gauge_Cpu2.Progress())},
        {"LFreeRAM", f.LFreeRAM.Caption()},
        {"Label_pmFree", f.Label_pmFree.Caption()}};
  });
  Form().Button_GetProcessInfo.Click();
  EXPECT_EQ(run.Text(), testing_support::Lines({
                            // 1: a fresh list
                            "CreateToolhelp32Snapshot(2,0)",
                            "Process32First",
                            "Process32Next x4",
                            "CloseHandle",
                            "OpenProcess(0,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(4,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(1200,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(500,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            // 2: the report and its count, 3: the snapshot and panel 2
                            "report: notepad.exe",
                            "GlobalMemoryStatusEx",
                            "panel 2: PM:307200K/1024000K",
                            // 4: every handle closed before anything else
                            "CloseHandle x4",
                            // 5: the memory graph and its labels
                            "memory graph: PM=700; VM=324",
                            "Label_PMu: 700 MB",
                            // 6: the processor reading
                            "NtQuerySystemInformation(0)",
                            "NtQuerySystemInformation(3)",
                            "NtQuerySystemInformation(2)",
                            // 7 to 11: the processor graph, then every figure
                            "processor graph: series=50",
                            "Label_CPUusage: 50%",
                            "Gauge_Mem: 700",
                            "Gauge_Cpu2: 50",
                            "LFreeRAM: 307200 KB",
                            "Label_pmFree: 300 MB",
                            // 12: the tray icon, last
                            "GlobalMemoryStatusEx",
                            "DestroyIcon",
                            "GlobalMemoryStatusEx",
                            "CreateIconIndirect",
                            "Shell_NotifyIconA(1)",
                        }));
}

TEST_F(StatusRefresh, EveryFigureComesFromOneSnapshotAndOneReading) {
  Start();
  Tick(0.75);  // 25 % busy: the sampler reads 26
  EXPECT_EQ(Form().CpuUsage, 26.0);
  const monitor::Figures f = monitor::ComputeFigures(os.memory, 26.0);
  EXPECT_EQ(Form().Gauge_Mem.MaxValue(), 1000);
  EXPECT_EQ(Form().Gauge_Mem.Progress(), 500);
  EXPECT_EQ(Form().Label_MemusageNum.Caption(), "499 MB/1000 MB");
  EXPECT_EQ(Form().Label_MemusageNum2.Caption(), "499 MB/1000 MB");
  EXPECT_EQ(Form().Label_pmUsage.Caption(), "500 MB");
  EXPECT_EQ(Form().Label_pmFree.Caption(), "500 MB");
  EXPECT_EQ(Form().Gauge_CPU.Progress(), 26);
  EXPECT_EQ(Form().Gauge_Cpu2.Progress(), 26);
  EXPECT_EQ(Form().Label_CPUusage.Caption(), "26%");
  EXPECT_EQ(Form().Gauge_VM.MaxValue(), f.gaugeVm.maximum);
  EXPECT_EQ(Form().Gauge_VM.Progress(), f.gaugeVm.progress);
  EXPECT_EQ(Form().Label_vmnum.Caption(), f.labelVmnum);
  EXPECT_EQ(Form().LTotalRAM.Caption(), "1024000 KB");
  EXPECT_EQ(Form().LFreeVirtual.Caption(), f.lFreeVirtual);
  EXPECT_EQ(Form().Label_vmUsage.Caption(), f.labelVmUsage);
  EXPECT_EQ(Form().Label_PMu.Caption(), "499 MB");
  EXPECT_EQ(Form().Chart_CPUs.Series(0).YValue(49), 26.0);
  EXPECT_EQ(Form().Gauge_Mem2.Progress(), Form().Gauge_Mem.Progress());
}

TEST_F(StatusRefresh, SeriesKeepFiftyPointsWithStepOneOverManyRefreshes) {
  Start();
  for (int i = 0; i < 120; ++i) Tick(0.5);
  for (gui::TChart* c : {&Form().Chart_PhyMem, &Form().Chart_CPUs}) {
    for (int s = 0; s < c->SeriesCount(); ++s) {
      const auto& series = c->Series(s);
      ASSERT_EQ(series.Count(), 50);
      for (int i = 1; i < 50; ++i) ASSERT_DOUBLE_EQ(series.XValue(i) - series.XValue(i - 1), 1.0);
    }
  }
  EXPECT_EQ(Form().Chart_CPUs.Series(0).YValue(49), 50.0);
  EXPECT_TRUE(Open().empty()) << "every refresh closes what it opened";
}

TEST_F(StatusRefresh, NestedRefreshInsideTheSamplersPumpKeepsTheGraphsWhole) {
  Start();
  Tick(0.5);
  // While the next reading pumps messages, another refresh is waiting.
  int nested = 0;
  backend.Post([&] {
    ++nested;
    Form().Button_GetProcessInfo.Click();
  });
  os.AdvanceProcessorTime(10000000LL, 5000000LL);
  Form().Button_GetProcessInfo.Click();
  EXPECT_EQ(nested, 1);
  for (gui::TChart* c : {&Form().Chart_PhyMem, &Form().Chart_CPUs}) {
    for (int s = 0; s < c->SeriesCount(); ++s) {
      const auto& series = c->Series(s);
      ASSERT_EQ(series.Count(), 50);
      for (int i = 1; i < 50; ++i) ASSERT_DOUBLE_EQ(series.XValue(i) - series.XValue(i - 1), 1.0);
    }
  }
  EXPECT_TRUE(Open().empty());
}

TEST_F(StatusRefresh, FloodOfQueuedRefreshesRunsOnceAfterTheOneInProgress) {
  Start();
  Tick(0.5);
  // Every reading pumps the queue; each queued click would otherwise start
  // a refresh one level deeper inside the one before.
  int depth = 0, deepest = 0;
  for (int i = 0; i < 1000; ++i) {
    backend.Post([&] {
      ++depth;
      deepest = std::max(deepest, depth);
      Form().Button_GetProcessInfo.Click();
      --depth;
    });
  }
  os.ClearCalls();
  os.AdvanceProcessorTime(10000000LL, 5000000LL);
  Form().Button_GetProcessInfo.Click();
  EXPECT_EQ(os.CountCalls("CreateToolhelp32Snapshot"), 2u)
      << "the one asked for, then one for all that came meanwhile";
  EXPECT_EQ(deepest, 1) << "queued refreshes nested inside one another";
  for (gui::TChart* c : {&Form().Chart_PhyMem, &Form().Chart_CPUs}) {
    for (int s = 0; s < c->SeriesCount(); ++s) ASSERT_EQ(c->Series(s).Count(), 50);
  }
  EXPECT_TRUE(Open().empty());
  // Refreshes run again as usual afterwards.
  os.ClearCalls();
  Tick(0.5);
  EXPECT_EQ(os.CountCalls("CreateToolhelp32Snapshot"), 1u);
}

TEST_F(StatusRefresh, ReportFollowsProcessesStartingAndEnding) {
  Start();
  Form().ListView_ProcessReport.SetSelected(3);  // Quorvel.exe
  os.RemoveProcess(400);
  os.AddProcess(Proc(2000, "notepad.exe"));
  Tick(0.5);
  const auto& list = Form().ListView_ProcessReport;
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Cell(0, 0), "[System Process]");
  EXPECT_EQ(list.Cell(0, 2), "16 K");
  EXPECT_EQ(list.Cell(1, 7), "-");
  EXPECT_EQ(list.Cell(2, 0), "Quorvel.exe");
  EXPECT_EQ(list.Cell(3, 0), "notepad.exe") << "a new process comes last";
  EXPECT_EQ(list.Selected(), 2) << "the selection stays with its process";
  EXPECT_EQ(Form().StatusBar_State.Panel(0).text, "Process number:4");
}

TEST_F(StatusRefresh, SwitchedOffRefreshStandsStill) {
  Start();
  Form().CheckBox_AutoProcessList.SetChecked(false);
  EXPECT_FALSE(Form().SpinEdit_ProcessListTime.Enabled());
  EXPECT_TRUE(Form().Timer_GetProcessInfo.Enabled()) << "the check box alone does not stop it";
  // Until the settings store applies the switch, turn the timer off as it will.
  Form().Timer_GetProcessInfo.SetEnabled(false);
  const std::string before = Form().StatusBar_State.Panel(2).text;
  os.memory.ullAvailPhys = 100u << 20;
  backend.AdvanceBy(10000);
  EXPECT_EQ(Form().StatusBar_State.Panel(2).text, before);
  Form().CheckBox_AutoProcessList.SetChecked(true);
  EXPECT_TRUE(Form().SpinEdit_ProcessListTime.Enabled());
}

TEST_F(StatusRefresh, MissingToolHelpEmptiesTheReport) {
  Start();
  os.toolhelpAvailable = false;
  Tick(0.5);
  EXPECT_EQ(Form().ListView_ProcessReport.Count(), 0);
  EXPECT_EQ(Form().StatusBar_State.Panel(0).text, "Process number:0");
  EXPECT_TRUE(Open().empty());
}

TEST_F(StatusRefresh, WindowsNinetyFiveReadsTheDynamicData) {
  os.version.dwPlatformId = platform::kVerPlatformWin32Windows;
  os.tokensAvailable = false;
  os.psapiAvailable = false;
  os.AddKey("HKDD\\PerfStats\\StatData");
  const std::uint32_t load = 42;
  os.SetValue("HKDD\\PerfStats\\StatData", "KERNEL\\CPUUsage", platform::kRegBinary,
              std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&load),
                                        reinterpret_cast<const std::uint8_t*>(&load) + 4));
  Start();
  EXPECT_EQ(Form().CpuUsage, 42.0);
  EXPECT_EQ(Form().Gauge_CPU.Progress(), 42);
  EXPECT_EQ(Form().ListView_ProcessReport.Cell(3, 7), "") << "no process-status interface: no path";
  EXPECT_TRUE(Open().empty());
}

}  // namespace
}  // namespace app
