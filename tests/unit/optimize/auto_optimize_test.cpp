#include "optimize/auto_optimize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/program.h"
#include "app/program_fixture.h"
#include "optimize/machine.h"
#include "optimize/tweak.h"
#include "settings/settings_record.h"

namespace optimize {
namespace {

using testing::AddMachine;
using testing::kMB;
using testing::OpenBesidesInstanceMark;
using testing::Proc;

constexpr const char* kRunning = "Auto optimizing...";
constexpr const char* kRunningLong = "Auto optimizing......";
constexpr const char* kTweaking = "Auto optimizing(Tweak memory)";

class AutoOptimization : public app::testing::ProgramTest {
 protected:
  AutoOptimization() {
    AddMachine(os);
    // Working sets already at their minimum: trimming leaves the memory
    // figures alone, so the share of available memory stays as set.
    for (platform::SimProcess p : os.Processes()) {
      p.workingSet = p.minimumWorkingSet;
      os.AddProcess(p);
    }
    // The self-trim counts without touching the table, so the trimmed
    // processes are those of the ticks alone.
    os.currentProcessId = 99999;
    os.memory.ullTotalPhys = 4 * kMB;
    os.memory.ullAvailPhys = 1 * kMB;
    AutoTickPhase = false;  // as at program start
    TweakBusy = false;
  }
  ~AutoOptimization() override { TweakBusy = false; }
  void SetUp() override {
    StartProgram();
    ASSERT_TRUE(started);
    // Only the automatic optimization opens processes in these tests.
    Form().Timer_GetProcessInfo.SetEnabled(false);
    Form().SpinEdit_Time.SetText("1");
    os.ClearCalls();
    backend.ClearBoxes();
  }

  void Toggle() { Form().SpeedButton_RunAuto.Click(); }
  // One interval: one tick.
  void Tick() { backend.AdvanceBy(Form().Timer_Auto.Interval()); }
  // Ticks that did the work (took a snapshot and trimmed).
  std::size_t Trims() const { return os.CountCalls("CreateToolhelp32Snapshot"); }
  std::size_t ClipboardCalls() const {
    return os.CountCalls("OpenClipboard") + os.CountCalls("EmptyClipboard") +
           os.CountCalls("CloseClipboard");
  }
  void SetShare(std::uint32_t available, std::uint32_t total) {
    os.memory.ullTotalPhys = total;
    os.memory.ullAvailPhys = available;
  }
};

// --- start and stop ---------------------------------------------------------------------

enum class Toggler { UsageButton, OptimizationPageButton, TrayMenuItem };

class AutoToggle : public AutoOptimization, public ::testing::WithParamInterface<Toggler> {
 protected:
  void ToggleThrough() {
    switch (GetParam()) {
      case Toggler::UsageButton: Form().SpeedButton_RunAuto.Click(); break;
      case Toggler::OptimizationPageButton: Form().SpeedButton_RunAuto2.Click(); break;
      case Toggler::TrayMenuItem: Form().pm_StartautoOptimize.Click(); break;
    }
  }
};

TEST_P(AutoToggle, StartPressesBothButtonsAndTrimsOneIntervalLater) {
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Start auto optimize");
  Form().SpinEdit_Time.SetText("3");
  const std::size_t repaints = backend.Repainted().size();
  ToggleThrough();
  EXPECT_TRUE(Form().SpeedButton_RunAuto.Down());
  EXPECT_TRUE(Form().SpeedButton_RunAuto2.Down());
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Stop auto optimize");
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, kRunning);
  EXPECT_EQ(Form().Label_AutoOptimize.Caption(), kRunning);
  EXPECT_FALSE(Form().Label_AutoOptimize.Visible()) << "the label is never shown";
  EXPECT_GT(backend.Repainted().size(), repaints);
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_EQ(Form().Timer_Auto.Interval(), 3000u);
  EXPECT_EQ(Trims(), 0u) << "starting trims nothing by itself";
  EXPECT_EQ(os.CountCalls("VirtualAlloc"), 0u);

  backend.AdvanceBy(2999);
  EXPECT_EQ(Trims(), 0u);
  backend.AdvanceBy(1);
  EXPECT_EQ(Trims(), 1u);
  EXPECT_EQ(os.trimmedPids, testing::kTrimmable);

  ToggleThrough();
  EXPECT_FALSE(Form().SpeedButton_RunAuto.Down());
  EXPECT_FALSE(Form().SpeedButton_RunAuto2.Down());
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Start auto optimize");
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, "");
  EXPECT_EQ(Form().Label_AutoOptimize.Caption(), "");
  EXPECT_FALSE(Form().Timer_Auto.Enabled());
  backend.AdvanceBy(10000);
  EXPECT_EQ(Trims(), 1u);
  EXPECT_TRUE(backend.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Controls, AutoToggle,
                         ::testing::Values(Toggler::UsageButton, Toggler::OptimizationPageButton,
                                           Toggler::TrayMenuItem),
                         [](const ::testing::TestParamInfo<Toggler>& info) {
                           switch (info.param) {
                             case Toggler::UsageButton: return "UsageButton";
                             case Toggler::OptimizationPageButton: return "OptimizationPageButton";
                             case Toggler::TrayMenuItem: return "TrayMenuItem";
                           }
                           return "";
                         });

TEST_F(AutoOptimization, TwoQuickTogglesLeaveItStoppedWithBothTextsEmpty) {
  Toggle();
  Toggle();
  EXPECT_FALSE(Form().SpeedButton_RunAuto.Down());
  EXPECT_FALSE(Form().SpeedButton_RunAuto2.Down());
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Start auto optimize");
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, "");
  EXPECT_EQ(Form().Label_AutoOptimize.Caption(), "");
  EXPECT_FALSE(Form().Timer_Auto.Enabled());
  backend.AdvanceBy(5000);
  EXPECT_EQ(Trims(), 0u);
}

TEST_F(AutoOptimization, IntervalChangedWhileRunningWaitsForTheNextStart) {
  Form().SpinEdit_Time.SetText("2");
  Toggle();
  Form().SpinEdit_Time.SetText("5");
  EXPECT_EQ(Form().Timer_Auto.Interval(), 2000u);
  backend.AdvanceBy(6000);
  EXPECT_EQ(Trims(), 3u);
  Toggle();
  Toggle();
  EXPECT_EQ(Form().Timer_Auto.Interval(), 5000u);
  backend.AdvanceBy(10000);
  EXPECT_EQ(Trims(), 5u);
}

TEST_F(AutoOptimization, HiddenLabelAlternatesAcrossStopsWhileThePanelStaysPut) {
  Toggle();
  std::vector<std::string> labels;
  std::vector<std::string> panels;
  for (int i = 0; i < 3; ++i) {
    Tick();
    labels.push_back(Form().Label_AutoOptimize.Caption());
    panels.push_back(Form().StatusBar_State.Panel(1).text);
  }
  Toggle();
  Toggle();  // the phase is never reset
  Tick();
  labels.push_back(Form().Label_AutoOptimize.Caption());
  panels.push_back(Form().StatusBar_State.Panel(1).text);
  EXPECT_EQ(labels, (std::vector<std::string>{kRunning, kRunningLong, kRunning, kRunningLong}));
  EXPECT_EQ(panels, std::vector<std::string>(4, kRunning));
}

// --- the stop condition -------------------------------------------------------------------

struct StopCase {
  const char* name;
  bool stopTicked;
  const char* percent;
  std::uint32_t available;
  std::uint32_t total;
  bool works;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class AutoStopCondition : public AutoOptimization,
                          public ::testing::WithParamInterface<StopCase> {};

TEST_P(AutoStopCondition, WorksOnlyWhileLessThanTheShareIsAvailable) {
  const StopCase& c = GetParam();
  Form().CheckBox_bstopauto.SetChecked(c.stopTicked);
  Form().SpinEdit_bstopauto.SetText(c.percent);
  Form().CheckBox_EmptyClipboard.SetChecked(true);
  os.clipboardFormats = {"CF_TEXT"};
  SetShare(c.available, c.total);
  Toggle();
  const std::size_t repaintsBefore = backend.Repainted().size();
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_EQ(Trims(), c.works ? 3u : 0u);
  EXPECT_EQ(std::count(backend.Repainted().begin() + static_cast<long>(repaintsBefore),
                       backend.Repainted().end(), Form().ControlId()),
            c.works ? 3 : 0)
      << "a tick that works repaints at the end; a skipped tick ends before";
  EXPECT_EQ(ClipboardCalls(), c.works ? 9u : 0u) << "the clipboard is part of the work";
  EXPECT_TRUE(Form().Timer_Auto.Enabled()) << "a skipped tick keeps the timer running";
  EXPECT_TRUE(backend.TimerArmed(Form().Timer_Auto));
  EXPECT_TRUE(Form().SpeedButton_RunAuto.Down());
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, kRunning);
  EXPECT_EQ(Form().Label_AutoOptimize.Caption(), kRunning) << "three ticks: three dots";
  EXPECT_TRUE(backend.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shares, AutoStopCondition,
    ::testing::Values(
        StopCase{"SeventyOfSeventy", true, "70", 70 * kMB, 100 * kMB, false},
        StopCase{"SeventyFiveOfSeventy", true, "70", 75 * kMB, 100 * kMB, false},
        StopCase{"OneByteUnderSeventy", true, "70", 70 * kMB - 1, 100 * kMB, true},
        StopCase{"ExactlyThirtyOfRoundTotal", true, "30", 30000000, 100000000, false},
        StopCase{"AllOfAHundred", true, "100", 100 * kMB, 100 * kMB, false},
        StopCase{"NearlyAllOfAHundred", true, "100", 100 * kMB - 1, 100 * kMB, true},
        StopCase{"UntickedWithPlenty", false, "70", 100 * kMB, 100 * kMB, true},
        StopCase{"UntickedWithLittle", false, "70", 1 * kMB, 100 * kMB, true},
        StopCase{"NotANumberCountsAsOnePercent", true, "abc", 1 * kMB, 100 * kMB, false},
        StopCase{"NotANumberBelowOnePercent", true, "abc", kMB / 2, 100 * kMB, true},
        StopCase{"AboveRangeCountsAsAHundred", true, "250", 100 * kMB, 100 * kMB, false},
        StopCase{"BelowRangeCountsAsOnePercent", true, "-20", kMB / 2, 100 * kMB, true}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

// 24 GB with 97.4 % available, whose narrow report reads all of its 2 GB
// free: the ticks compare the wide figures.
TEST_F(AutoOptimization, StopConditionReadsTheFiguresOfALargeMachineAsTheyAre) {
  os.memory.ullTotalPhys = 24105ull * kMB + 123456;
  os.memory.ullAvailPhys = 23482ull * kMB + 600000;
  os.memoryStatusClamp = 0x7FFFFFFFu;
  Form().CheckBox_bstopauto.SetChecked(true);
  Form().SpinEdit_bstopauto.SetText("98");
  Toggle();
  Tick();
  EXPECT_EQ(Trims(), 1u) << "97.4 % is below 98 %";
  Form().SpinEdit_bstopauto.SetText("97");
  Tick();
  EXPECT_EQ(Trims(), 1u) << "97.4 % is at least 97 %";
}

TEST_F(AutoOptimization, TickReadsTheStopOptionsAfresh) {
  SetShare(75 * kMB, 100 * kMB);
  Form().CheckBox_bstopauto.SetChecked(true);
  Form().SpinEdit_bstopauto.SetText("70");
  Toggle();
  Tick();
  EXPECT_EQ(Trims(), 0u);
  Form().SpinEdit_bstopauto.SetText("80");
  Tick();
  EXPECT_EQ(Trims(), 1u);
  Form().SpinEdit_bstopauto.SetText("70");
  Tick();
  EXPECT_EQ(Trims(), 1u);
  Form().CheckBox_bstopauto.SetChecked(false);
  Tick();
  EXPECT_EQ(Trims(), 2u);
}

TEST_F(AutoOptimization, StopOptionEnablesItsPercentage) {
  Form().CheckBox_bstopauto.SetChecked(true);
  EXPECT_TRUE(Form().SpinEdit_bstopauto.Enabled());
  Form().CheckBox_bstopauto.Click();
  EXPECT_FALSE(Form().CheckBox_bstopauto.Checked());
  EXPECT_FALSE(Form().SpinEdit_bstopauto.Enabled());
}

// --- the interval field ------------------------------------------------------------------

struct IntervalCase {
  const char* name;
  const char* text;
  unsigned interval;
};

void PrintTo(const IntervalCase& c, std::ostream* os) { *os << c.name; }

class AutoInterval : public AutoOptimization, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(AutoInterval, IsWhatTheFieldWouldShow) {
  Form().SpinEdit_Time.SetText(GetParam().text);
  Toggle();
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_EQ(Form().Timer_Auto.Interval(), GetParam().interval);
  EXPECT_EQ(Form().SpinEdit_Time.Text(), GetParam().text) << "reading does not rewrite the field";
}

INSTANTIATE_TEST_SUITE_P(Texts, AutoInterval,
                         ::testing::Values(IntervalCase{"Lowest", "1", 1000},
                                           IntervalCase{"Highest", "59", 59000},
                                           IntervalCase{"Empty", "", 1000},
                                           IntervalCase{"Word", "abc", 1000},
                                           IntervalCase{"Fraction", "2.5", 1000},
                                           IntervalCase{"Zero", "0", 1000},
                                           IntervalCase{"Negative", "-7", 1000},
                                           IntervalCase{"AboveRange", "75", 59000},
                                           IntervalCase{"Huge", "99999999999999999999", 59000}),
                         [](const ::testing::TestParamInfo<IntervalCase>& info) {
                           return info.param.name;
                         });

// --- the tweak at start ---------------------------------------------------------------

TEST_F(AutoOptimization, TweakAtStartRunsEveryPassBeforeTheTimerStarts) {
  Form().CheckBox_AfterMemTrim.SetChecked(true);
  Form().TrackBar_OverallOption.SetPosition(5);
  const int formId = Form().ControlId();
  const std::size_t repaintsBefore = backend.Repainted().size();
  std::vector<std::string> duringTweak;
  std::size_t formRepaints = 0;
  os.onCall = [&](const std::string& call) {
    if (call.rfind("VirtualAlloc(", 0) != 0) return;
    duringTweak.push_back(Form().StatusBar_State.Panel(1).text + "|" +
                          Form().Label_AutoOptimize.Caption() + "|" +
                          (Form().Timer_Auto.Enabled() ? "on" : "off") + "|" +
                          (Form().Gauge_OvarallOptimize.Visible() ? "gauge" : "no gauge"));
    formRepaints = static_cast<std::size_t>(
        std::count(backend.Repainted().begin() + static_cast<long>(repaintsBefore),
                   backend.Repainted().end(), formId));
  };
  Toggle();
  EXPECT_EQ(duringTweak,
            std::vector<std::string>(5, std::string(kTweaking) + "|" + kTweaking + "|off|gauge"));
  EXPECT_GE(formRepaints, 2u) << "repainted with each of the two texts";
  EXPECT_EQ(os.CountCalls("VirtualAlloc(4194304,0x1000,0x4)"), 5u);
  EXPECT_EQ(os.CountCalls("VirtualFree"), 5u);
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_FALSE(Form().Gauge_OvarallOptimize.Visible());
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, kTweaking) << "until the first tick";
  EXPECT_EQ(Trims(), 0u);
  Tick();
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, kRunning);
  EXPECT_EQ(Trims(), 1u);
  EXPECT_EQ(os.CountCalls("VirtualAlloc"), 5u) << "a tick never tweaks";
}

TEST_F(AutoOptimization, TweakAtStartThatCannotCommitStillStarts) {
  Form().CheckBox_AfterMemTrim.SetChecked(true);
  Form().TrackBar_OverallOption.SetPosition(2);
  os.commitLimit = 0;
  Toggle();
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[0].text, kLowMemoryMessage);
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_TRUE(Form().SpeedButton_RunAuto.Down());
}

TEST_F(AutoOptimization, UntickedTweakOptionTakesNoMemoryAtStart) {
  Form().TrackBar_OverallOption.SetPosition(5);
  Toggle();
  EXPECT_EQ(os.CountCalls("VirtualAlloc"), 0u);
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, kRunning);
}

// --- the clipboard ---------------------------------------------------------------------

TEST_F(AutoOptimization, TickEmptiesTheClipboardOnlyWhenTicked) {
  os.clipboardFormats = {"CF_TEXT", "CF_LOCALE"};
  Toggle();
  Tick();
  EXPECT_EQ(os.clipboardFormats.size(), 2u);
  EXPECT_EQ(ClipboardCalls(), 0u);
  Form().CheckBox_EmptyClipboard.SetChecked(true);
  os.ClearCalls();
  Tick();
  EXPECT_TRUE(os.clipboardFormats.empty());
  EXPECT_FALSE(os.ClipboardOpen());
  std::vector<std::string> order;
  for (const std::string& c : os.Calls()) {
    if (c.find("Clipboard") != std::string::npos || c.rfind("CreateToolhelp32Snapshot", 0) == 0) {
      order.push_back(c.substr(0, c.find('(')));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"OpenClipboard", "EmptyClipboard", "CloseClipboard",
                                             "CreateToolhelp32Snapshot"}));
}

TEST_F(AutoOptimization, TickWithTheClipboardHeldElsewhereStillTrimsQuietly) {
  Form().CheckBox_EmptyClipboard.SetChecked(true);
  os.clipboardFormats = {"CF_TEXT"};
  os.clipboardHeldElsewhere = true;
  Toggle();
  Tick();
  EXPECT_EQ(os.clipboardFormats.size(), 1u);
  EXPECT_EQ(Trims(), 1u);
  EXPECT_TRUE(backend.Boxes().empty());
}

class CleanClipboardButton : public AutoOptimization, public ::testing::WithParamInterface<bool> {};

TEST_P(CleanClipboardButton, ReportsCleanedWhetherOrNotTheClipboardOpened) {
  const bool heldElsewhere = GetParam();
  os.clipboardFormats = {"CF_TEXT"};
  os.clipboardHeldElsewhere = heldElsewhere;
  Form().Button_EmptyClipboard.Click();
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Clipboard has been cleaned!");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(backend.Boxes()[0].style, gui::mb::kOk);
  EXPECT_EQ(os.clipboardFormats.empty(), !heldElsewhere);
  EXPECT_FALSE(os.ClipboardOpen());
  EXPECT_EQ(os.CountCalls("OpenClipboard"), 1u);
  EXPECT_EQ(os.CountCalls("EmptyClipboard"), 1u);
  EXPECT_EQ(os.CountCalls("CloseClipboard"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Clipboard, CleanClipboardButton, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "HeldByAnotherProgram" : "Free";
                         });

// --- start-up ----------------------------------------------------------------------

TEST_F(AutoOptimization, AutoOptimizeWhenStartBeginsItBeforeTheLevelIsNamed) {
  EndProgram();
  // The start-up loads the stored settings over the page: the options are
  // stored, as a save would have left them.
  settings::TSetInfo stored = settings::DefaultSetInfo();
  stored.AutoOptimizeAtStart = true;
  stored.AfterMemTrim = true;
  const settings::SetInfoBytes bytes = settings::EncodeSetInfo(stored);
  os.SetValue("HKLM\\Software\\Quorvel", "QuorvelSetInfo", platform::kRegBinary,
              {bytes.begin(), bytes.end()});
  program = std::make_unique<app::Program>(os, backend);
  ASSERT_TRUE(program->Start());
  std::string captionAtTweak;
  os.onCall = [&](const std::string& call) {
    if (captionAtTweak.empty() && call.rfind("VirtualAlloc(", 0) == 0) {
      captionAtTweak = Form().Label_OptimizeLavel.Caption();
    }
  };
  program->Run();
  EXPECT_EQ(captionAtTweak, "OptimizeLavel");
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_TRUE(Form().SpeedButton_RunAuto.Down());
  EXPECT_TRUE(Form().SpeedButton_RunAuto2.Down());
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Stop auto optimize");
  EXPECT_EQ(Form().Label_OptimizeLavel.Caption(), "Level 1");
}

// --- handles -----------------------------------------------------------------------------

TEST_F(AutoOptimization, TenThousandTicksWithProcessesComingAndGoingLeaveNothingOpen) {
  os.logCalls = false;
  Form().CheckBox_EmptyClipboard.SetChecked(true);
  Form().CheckBox_bstopauto.SetChecked(true);
  Form().SpinEdit_bstopauto.SetText("50");
  std::uint32_t nextPid = 5000;
  std::size_t ticks = 0;
  std::size_t worked = 0;
  os.onCall = [&](const std::string& call) {
    if (call == "CreateToolhelp32Snapshot(2,0)") ++worked;
    // Now and then a process ends between being opened and being trimmed.
    const std::string trim = "SetProcessWorkingSetSize(";
    if (ticks % 7 == 3 && call.rfind(trim, 0) == 0 && call.size() > trim.size() &&
        std::isdigit(static_cast<unsigned char>(call[trim.size()]))) {
      const auto pid = static_cast<std::uint32_t>(std::stoul(call.substr(trim.size())));
      if (pid >= 5000) os.RemoveProcess(pid);
    }
  };
  Toggle();
  for (ticks = 0; ticks < 10000; ++ticks) {
    // A few processes start, an old one ends, and some end as they are listed.
    platform::SimProcess p = Proc(nextPid++, "job.exe", 2 * kMB, kMB);
    p.refuseFullAccess = ticks % 5 == 0;
    p.refuseAllAccess = ticks % 11 == 0;
    p.endsAfterSnapshot = ticks % 13 == 0;
    os.AddProcess(p);
    if (os.Processes().size() > 16) os.RemoveProcess(os.Processes()[6].pid);
    // Every third tick has memory to spare and skips its work.
    os.memory.ullAvailPhys = ticks % 3 == 0 ? 3 * kMB : 1 * kMB;
    os.clipboardHeldElsewhere = ticks % 17 == 0;
    Tick();
    if (ticks % 1000 == 999) {
      ASSERT_TRUE(OpenBesidesInstanceMark(os).empty())
          << "after tick " << ticks + 1 << ": " << ::testing::PrintToString(OpenBesidesInstanceMark(os));
    }
  }
  EXPECT_EQ(worked, 10000u - 3334u) << "the work of the ticks with memory to spare is skipped";
  EXPECT_TRUE(backend.Boxes().empty());
  Toggle();
  EXPECT_TRUE(OpenBesidesInstanceMark(os).empty());
}

}  // namespace
}  // namespace optimize
