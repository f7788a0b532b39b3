#include "optimize/trim.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/program.h"
#include "app/program_fixture.h"
#include "optimize/machine.h"
#include "platform/sim/sim_os.h"
#include "process/process_list.h"

namespace optimize {
namespace {

using testing::AddMachine;
using testing::kFreedByTrim;
using testing::kMB;
using testing::kSelfPid;
using testing::kTrimmable;
using testing::Proc;

TEST(TrimWorkingSets, ReachesEveryProcessOpenedWithFullAccessAndNoOther) {
  platform::SimOs os;
  AddMachine(os);
  os.currentProcessId = kSelfPid;
  platform::SimProcess gone = Proc(1700, "gone.exe", 5 * kMB, kMB);
  gone.endsAfterSnapshot = true;  // listed, but ended before it could be opened
  os.AddProcess(gone);
  os.AddProcess(Proc(1800, "brief.exe", 5 * kMB, kMB));
  os.memory.ullAvailPhys = 100 * kMB;

  process::TProcessList list;
  list.SetOs(os);
  process::FillProcessList(os, list);
  os.RemoveProcess(1800);  // ended after it was opened
  std::vector<platform::Handle> handles;
  for (const process::TProcess& p : list) handles.push_back(p.Handle);
  os.ClearCalls();

  TrimWorkingSets(os, list);

  EXPECT_EQ(os.trimmedPids, kTrimmable);
  // Every element is tried in snapshot order, also those that cannot be
  // trimmed; nothing is opened or closed on the way.
  EXPECT_EQ(os.Calls(), (std::vector<std::string>{
                            "SetProcessWorkingSetSize(handle 0)", "SetProcessWorkingSetSize(4)",
                            "SetProcessWorkingSetSize(400)", "SetProcessWorkingSetSize(900)",
                            "SetProcessWorkingSetSize(1200)", "SetProcessWorkingSetSize(1500)",
                            "SetProcessWorkingSetSize(handle 0)",
                            "SetProcessWorkingSetSize(1800)"}));
  EXPECT_EQ(os.memory.ullAvailPhys, 100 * kMB + kFreedByTrim);
  std::vector<platform::Handle> after;
  for (const process::TProcess& p : list) after.push_back(p.Handle);
  EXPECT_EQ(after, handles) << "the list is left as it was";
  for (const platform::SimProcess& p : os.Processes()) {
    const bool trimmable = p.pid == 400 || p.pid == 900 || p.pid == kSelfPid;
    EXPECT_EQ(p.workingSet, trimmable ? p.minimumWorkingSet : p.peakWorkingSet) << p.exeName;
  }
  process::ReleaseProcessList(os, list);
  EXPECT_TRUE(os.OpenHandles().empty()) << ::testing::PrintToString(os.OpenHandles());
}

TEST(TrimWorkingSets, EmptyListCallsNothing) {
  platform::SimOs os;
  process::TProcessList list;
  TrimWorkingSets(os, list);
  EXPECT_TRUE(os.Calls().empty());
}

TEST(TrimAllProcesses, TrimsFromAFreshListAndClosesEveryHandle) {
  platform::SimOs os;
  AddMachine(os);
  os.memory.ullAvailPhys = 100 * kMB;
  TrimAllProcesses(os);
  TrimAllProcesses(os);
  EXPECT_EQ(os.trimmedPids, (std::vector<std::uint32_t>{400, 900, kSelfPid, 400, 900, kSelfPid}))
      << "each call takes a snapshot of its own";
  EXPECT_EQ(os.CountCalls("CreateToolhelp32Snapshot"), 2u);
  EXPECT_EQ(os.memory.ullAvailPhys, 100 * kMB + kFreedByTrim);
  EXPECT_TRUE(os.OpenHandles().empty()) << ::testing::PrintToString(os.OpenHandles());
}

// --- the self-trim ------------------------------------------------------------------

class SelfTrim : public app::testing::ProgramTest {
 protected:
  SelfTrim() {
    AddMachine(os);
    os.currentProcessId = kSelfPid;
  }
};

TEST_F(SelfTrim, RunsEverySecondFromWindowCreation) {
  program = std::make_unique<app::Program>(os, backend);
  ASSERT_TRUE(program->Start());
  EXPECT_TRUE(Form().Timer_self.Enabled());
  EXPECT_EQ(Form().Timer_self.Interval(), 1000u);
  // The window is not shown yet: the timer runs from its creation.
  backend.AdvanceBy(999);
  EXPECT_EQ(os.SelfTrims(), 0u);
  backend.AdvanceBy(1);
  EXPECT_EQ(os.SelfTrims(), 1u);
  EXPECT_EQ(os.Processes()[4].workingSet, 1 * kMB) << "the pseudo handle trims the program";
  program->Run();
  backend.AdvanceBy(4000);
  EXPECT_EQ(os.SelfTrims(), 5u);
  EXPECT_TRUE(testing::OpenBesidesInstanceMark(os).empty())
      << ::testing::PrintToString(os.OpenHandles());
}

TEST_F(SelfTrim, GoesOnWhileHiddenAndWithAutomaticOptimizationStopped) {
  StartProgram();
  ASSERT_TRUE(started);
  Form().SpinEdit_Time.SetText("1");
  Form().SpeedButton_RunAuto.Click();
  backend.AdvanceBy(2000);
  Form().SpeedButton_RunAuto.Click();
  ASSERT_FALSE(Form().Timer_Auto.Enabled());
  Form().HideForm();
  const std::size_t before = os.SelfTrims();
  backend.AdvanceBy(7000);
  EXPECT_EQ(os.SelfTrims(), before + 7);
  EXPECT_TRUE(Form().Timer_self.Enabled());
  EXPECT_EQ(Form().Timer_self.Interval(), 1000u);
}

TEST_F(SelfTrim, TrimsOnlyTheProgramItself) {
  StartProgram();
  ASSERT_TRUE(started);
  os.trimmedPids.clear();
  backend.AdvanceBy(3000);
  // Only the program itself: the self-trim goes through the pseudo handle,
  // never through a process list.
  EXPECT_EQ(os.trimmedPids, (std::vector<std::uint32_t>(3, kSelfPid)));
  EXPECT_EQ(os.CountCalls("SetProcessWorkingSetSize(self)"), os.SelfTrims());
}

}  // namespace
}  // namespace optimize
