#include "optimize/overall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/program_fixture.h"
#include "optimize/machine.h"
#include "optimize/tweak.h"
#include "sequence.h"

namespace optimize {
namespace {

using testing::AddMachine;
using testing::kMB;
using testing::kSelfPid;
using testing::kTrimmable;
using testing::OpenBesidesInstanceMark;

constexpr const char* kConfirmation =
    "This function could free a lot of physical memory space,but take sometime to complete. "
    "\rConfirm to proceed?";
constexpr const char* kLowMemory = "Unable to tweak RAM, please increase system virtual memory.";

bool IsReport(const gui::ShownBox& box) {
  return box.text.rfind("Available physical memory before optimizing:", 0) == 0;
}

// Counts the showings and hidings of a control.
class VisibilityCounter : public gui::Peer {
 public:
  explicit VisibilityCounter(int& changes) : changes_(changes) {}
  void Changed(gui::Change what) override {
    if (what == gui::Change::Visible) ++changes_;
  }

 private:
  int& changes_;
};

class OverallOptimization : public app::testing::ProgramTest {
 protected:
  OverallOptimization() {
    AddMachine(os);
    os.currentProcessId = kSelfPid;
    // Small enough that every level's tweak is quick.
    os.memory.ullTotalPhys = 4 * kMB;
    os.memory.ullAvailPhys = 1 * kMB;
    TweakBusy = false;
  }
  ~OverallOptimization() override { TweakBusy = false; }
  void SetUp() override {
    StartProgram();
    ASSERT_TRUE(started);
    backend.ClearBoxes();
    os.ClearCalls();
    os.trimmedPids.clear();
  }

  // Scripts the available memory: `before` until the tweak commits, a
  // third figure while it holds memory, `after` once processes are trimmed.
  void ScriptAvailable(std::uint64_t before, std::uint64_t after) {
    os.onCall = [this, before, after](const std::string& call) {
      if (call.rfind("VirtualAlloc(", 0) == 0) tweaked_ = true;
      if (call.rfind("SetProcessWorkingSetSize(", 0) == 0 && call != "SetProcessWorkingSetSize(self)") {
        trimmed_ = true;
      }
      if (call.rfind("GlobalMemoryStatus", 0) == 0) {
        os.memory.ullAvailPhys = trimmed_ ? after : tweaked_ ? 3 * kMB : before;
      }
    };
  }

  std::vector<std::string> Commits() const {
    std::vector<std::string> commits;
    for (const std::string& c : os.Calls()) {
      if (c.rfind("VirtualAlloc(", 0) == 0) commits.push_back(c);
    }
    return commits;
  }
  std::size_t IndexOf(const std::string& prefix, bool last = false) const {
    const std::vector<std::string>& calls = os.Calls();
    std::size_t found = calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].rfind(prefix, 0) == 0) {
        found = i;
        if (!last) break;
      }
    }
    return found;
  }

 private:
  bool tweaked_ = false;
  bool trimmed_ = false;
};

TEST_F(OverallOptimization, AsksYesOrCancelThenReportsInAPlainBox) {
  Form().SpeedButton_StartFull.Click();
  ASSERT_EQ(backend.Boxes().size(), 2u);
  const gui::ShownBox& confirm = backend.Boxes()[0];
  EXPECT_EQ(confirm.text, kConfirmation);
  EXPECT_EQ(confirm.text.find('\n'), std::string::npos) << "a carriage return alone";
  EXPECT_EQ(confirm.caption, "Confirm");
  EXPECT_EQ(confirm.style, gui::mb::kIconQuestion | gui::mb::kYesCancel);
  const gui::ShownBox& report = backend.Boxes()[1];
  EXPECT_TRUE(IsReport(report)) << report.text;
  EXPECT_EQ(report.caption, "Quorvel");
  EXPECT_EQ(report.style, gui::mb::kOk) << "no icon, one OK";
}

// --- the memory lists -----------------------------------------------------------------

class OverallOnVista : public OverallOptimization {
 protected:
  OverallOnVista() { os.version.dwMajorVersion = 6; }
  std::string ReportText() const {
    for (const gui::ShownBox& box : backend.Boxes()) {
      if (IsReport(box)) return box.text;
    }
    return "(no report)";
  }
  // The report's lines after the Part's three.
  std::string ExtraLines() const {
    const std::string text = ReportText();
    std::size_t at = 0;
    for (int line = 0; line < 3 && at != std::string::npos; ++line) {
      at = text.find("\r\n", at == 0 ? 0 : at + 2);
    }
    return at == std::string::npos ? "" : text.substr(at + 2);
  }
};

TEST_F(OverallOnVista, ListsAreEmptiedAfterTheTrimAndBeforeTheSecondSnapshot) {
  ASSERT_TRUE(Form().CheckBox_MemoryLists.Enabled());
  Form().CheckBox_MemoryLists.SetChecked(true);
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(ExtraLines(), "Standby list: emptied");
  EXPECT_EQ(os.memoryListCommands, (std::vector<std::uint32_t>{3, 4}));
  const std::size_t lastTrim = IndexOf("SetProcessWorkingSetSize(", true);
  const std::size_t flush = IndexOf("NtSetSystemInformation(80,3)");
  const std::size_t purge = IndexOf("NtSetSystemInformation(80,4)");
  const std::size_t lastSnapshot = IndexOf("GlobalMemoryStatus", true);
  EXPECT_LT(lastTrim, IndexOf("LookupPrivilegeValueA(SeProfileSingleProcessPrivilege)"));
  EXPECT_LT(flush, purge);
  EXPECT_LT(purge, lastSnapshot);
  EXPECT_TRUE(OpenBesidesInstanceMark(os).empty()) << ::testing::PrintToString(os.OpenHandles());
}

TEST_F(OverallOnVista, EachFailureHasItsLine) {
  Form().CheckBox_MemoryLists.SetChecked(true);
  os.userHoldsProfilePrivilege = false;
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(ExtraLines(), "Standby list: not emptied (administrator rights needed)");

  os.userHoldsProfilePrivilege = true;
  os.memoryListStatus[4] = platform::kStatusAccessDenied;
  backend.ClearBoxes();
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(ExtraLines(), "Standby list: not emptied (Error 5)");
}

TEST_F(OverallOnVista, WithTheOptionOffTheReportIsTheThreeLinesAndNoListIsTouched) {
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton_StartFull.Click();
  const std::string report = ReportText();
  EXPECT_TRUE(IsReport(backend.Boxes().back())) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << report;
  EXPECT_EQ(report.find("Standby"), std::string::npos) << report;
  EXPECT_EQ(os.CountCalls("NtSetSystemInformation(80,3)"), 0u);
  EXPECT_EQ(os.CountCalls("LookupPrivilegeValueA(SeProfileSingleProcessPrivilege)"), 0u);
}

TEST_F(OverallOptimization, ATickedBoxTheSystemCannotServeRunsNoStep) {
  ASSERT_FALSE(Form().CheckBox_MemoryLists.Enabled()) << "NT 5.1 has no memory lists to empty";
  Form().CheckBox_MemoryLists.SetChecked(true);  // as a stored value would leave it
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton_StartFull.Click();
  ASSERT_EQ(backend.Boxes().size(), 2u);
  const std::string& report = backend.Boxes()[1].text;
  EXPECT_TRUE(IsReport(backend.Boxes()[1])) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << report;
  EXPECT_EQ(report.find("Standby"), std::string::npos) << report;
  EXPECT_EQ(os.CountCalls("NtSetSystemInformation(80,3)"), 0u);
}

struct ReportCase {
  const char* name;
  std::uint32_t before;
  std::uint32_t after;
  const char* before_mb;
  const char* after_mb;
  const char* released_mb;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

std::string Report(const ReportCase& c) {
  return std::string("Available physical memory before optimizing:") + c.before_mb +
         " MB\r\nAvailable physical memory after optimizing:" + c.after_mb +
         " MB\r\nReleased physical memory after optimizing:" + c.released_mb + " MB";
}

const ReportCase kReportCases[] = {
    {"MoreAfter", 211763776, 610271232, "201", "582", "380"},
    {"LessAfter", 610271232, 211763776, "582", "201", "-380"},
    {"TwelveMegabytesLess", 100 * kMB, 88 * kMB, "100", "88", "-12"},
    {"TwelveAndAHalfMegabytesLess", 100 * kMB, 88 * kMB - kMB / 2, "100", "87", "-12"},
    {"OneByteLess", 100 * kMB, 100 * kMB - 1, "100", "99", "0"},
    {"OneByteMore", 100 * kMB - 1, 100 * kMB, "99", "100", "0"},
    {"Unchanged", 5 * kMB, 5 * kMB, "5", "5", "0"},
    {"NothingToEverything", 0, 0xFFFFFFFFu, "0", "4095", "4095"},
    {"EverythingToNothing", 0xFFFFFFFFu, 0, "4095", "0", "-4095"},
};

class ReportText : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportText, ShowsTruncatedMegabytesAndTheSignedDifferenceOfTheBytes) {
  EXPECT_EQ(OverallReportText(GetParam().before, GetParam().after), Report(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Figures, ReportText, ::testing::ValuesIn(kReportCases),
                         [](const ::testing::TestParamInfo<ReportCase>& info) {
                           return info.param.name;
                         });

class OverallReport : public OverallOptimization,
                      public ::testing::WithParamInterface<ReportCase> {};

TEST_P(OverallReport, ComparesTheMemoryBeforeTheTweakWithTheMemoryAfterTheTrim) {
  ScriptAvailable(GetParam().before, GetParam().after);
  Form().SpeedButton_StartFull.Click();
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[1].text, Report(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Figures, OverallReport,
                         ::testing::Values(kReportCases[0], kReportCases[1], kReportCases[3]),
                         [](const ::testing::TestParamInfo<ReportCase>& info) {
                           return info.param.name;
                         });

// 24 GB at level 2, in a 32-bit address space: each pass holds what the
// space leaves, no low-memory box comes up, and the report's figures past
// 4 GB are not wrapped.
TEST_F(OverallOptimization, LevelTwoOnALargeMachineReportsWithoutALowMemoryBox) {
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  os.memory.ullTotalPhys = 24105 * kMiB;
  os.memory.ullAvailVirtual = optimize::kAddressSpaceReserve + 2 * kMiB;
  os.commitLimit = 24105 * kMiB;
  os.memoryStatusClamp = 0x7FFFFFFFu;
  ScriptAvailable(20000 * kMiB + 5, 23000 * kMiB);
  Form().TrackBar_OverallOption.SetPosition(2);
  Form().SpeedButton_StartFull.Click();
  ASSERT_EQ(backend.Boxes().size(), 2u) << backend.Boxes().back().text;
  EXPECT_EQ(backend.Boxes()[1].text,
            "Available physical memory before optimizing:20000 MB\r\n"
            "Available physical memory after optimizing:23000 MB\r\n"
            "Released physical memory after optimizing:2999 MB");
  EXPECT_EQ(Commits(), std::vector<std::string>(2, "VirtualAlloc(2097152,0x1000,0x4)"));
  EXPECT_EQ(os.PeakHeldBytes(), 2 * kMiB);
  EXPECT_EQ(os.CommittedBlocks(), 0u);
}

class DeclinedConfirmation : public OverallOptimization,
                             public ::testing::WithParamInterface<int> {};

TEST_P(DeclinedConfirmation, ChangesNothing) {
  int labelChanges = 0;
  Form().Label_overalloptimizing.AttachPeer(std::make_unique<VisibilityCounter>(labelChanges));
  const bool autoOn = Form().Timer_Auto.Enabled();
  const bool refreshOn = Form().Timer_GetProcessInfo.Enabled();
  const std::size_t repaints = backend.Repainted().size();
  backend.ScriptAnswer(GetParam());

  Form().SpeedButton_StartFull.Click();

  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].caption, "Confirm");
  EXPECT_EQ(labelChanges, 0);
  EXPECT_FALSE(Form().Label_overalloptimizing.Visible());
  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, "");
  EXPECT_EQ(backend.Repainted().size(), repaints);
  EXPECT_TRUE(os.Calls().empty()) << "no snapshot, no tweak, no trim: "
                                  << ::testing::PrintToString(os.Calls());
  EXPECT_FALSE(Form().Gauge_OvarallOptimize.Visible());
  EXPECT_EQ(Form().Timer_Auto.Enabled(), autoOn);
  EXPECT_EQ(Form().Timer_GetProcessInfo.Enabled(), refreshOn);
}

INSTANTIATE_TEST_SUITE_P(Answers, DeclinedConfirmation,
                         ::testing::Values(gui::mrCancel, gui::mrNone),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == gui::mrCancel ? "Cancel" : "ClosedWithoutAnswer";
                         });

TEST_F(OverallOptimization, ShowsItsStateAndRepaintsBeforeTheTweakAndTrimsAfterIt) {
  const int formId = Form().ControlId();
  const std::size_t repaintsBefore = backend.Repainted().size();
  bool seen = false;
  std::string statusAtCommit;
  bool labelAtCommit = false;
  std::string gaugeAtCommit;
  std::size_t formRepaintsAtCommit = 0;
  os.onCall = [&](const std::string& call) {
    if (seen || call.rfind("VirtualAlloc(", 0) != 0) return;
    seen = true;
    statusAtCommit = Form().StatusBar_State.Panel(1).text;
    labelAtCommit = Form().Label_overalloptimizing.Visible();
    const gui::TGauge& g = Form().Gauge_OvarallOptimize;
    gaugeAtCommit = (g.Visible() ? "shown " : "hidden ") + std::to_string(g.MinValue()) + ".." +
                    std::to_string(g.MaxValue()) + " @" + std::to_string(g.Progress());
    formRepaintsAtCommit = static_cast<std::size_t>(
        std::count(backend.Repainted().begin() + static_cast<long>(repaintsBefore),
                   backend.Repainted().end(), formId));
  };
  Form().SpeedButton_StartFull.Click();

  ASSERT_TRUE(seen);
  EXPECT_EQ(statusAtCommit, "memory tweaking... ");
  EXPECT_TRUE(labelAtCommit);
  EXPECT_EQ(gaugeAtCommit, "shown 0..5 @0") << "the window's gauge shows the level-1 blocks";
  EXPECT_GE(formRepaintsAtCommit, 1u) << "the window is repainted before the tweak holds the loop";
  EXPECT_EQ(Form().Label_overalloptimizing.Caption(), "Memory overall optimizing...");

  // Snapshot, tweak, trim, snapshot, in that order.
  const std::size_t firstCommit = IndexOf("VirtualAlloc(");
  const std::size_t lastRelease = IndexOf("VirtualFree", true);
  const std::size_t snapshot = IndexOf("CreateToolhelp32Snapshot");
  const std::size_t firstTrim = IndexOf("SetProcessWorkingSetSize(");
  const std::size_t lastMemoryStatus = IndexOf("GlobalMemoryStatus", true);
  EXPECT_EQ(IndexOf("GlobalMemoryStatus"), 0u);
  EXPECT_LT(firstCommit, lastRelease);
  EXPECT_LT(lastRelease, snapshot);
  EXPECT_LT(snapshot, firstTrim);
  EXPECT_LT(firstTrim, lastMemoryStatus);
  EXPECT_LT(lastMemoryStatus, os.Calls().size());

  EXPECT_EQ(Form().StatusBar_State.Panel(1).text, "memory tweaking... ") << "left in place";
  EXPECT_FALSE(Form().Label_overalloptimizing.Visible());
  EXPECT_FALSE(Form().Gauge_OvarallOptimize.Visible());
  EXPECT_EQ(os.trimmedPids, kTrimmable) << "the program itself is trimmed like any other";
  EXPECT_TRUE(OpenBesidesInstanceMark(os).empty()) << ::testing::PrintToString(os.OpenHandles());
}

// Steps 1 to 11 as the system and the user see them: each call, each box,
// and each change of the caption, the second status panel, the window's
// repaints, the gauge and the two timers (which end as they began).
TEST_F(OverallOptimization, RunsEveryStepInOrder) {
  os.memory.ullTotalPhys = 2 * kMB;  // three blocks
  Form().Timer_Auto.SetEnabled(true);
  backend.ScriptAnswer(gui::mrYes);
  testing_support::Sequence run(os, backend, [this] {
    const gui::TGauge& g = Form().Gauge_OvarallOptimize;
    return testing_support::Sight{
        {"caption", Form().Label_overalloptimizing.Visible() ? "shown" : "hidden"},
        {"status", Form().StatusBar_State.Panel(1).text},
        {"window repainted",
         std::to_string(std::count(backend.Repainted().begin(), backend.Repainted().end(),
                                   Form().ControlId()))},
        {"gauge", g.Visible() ? "0.." + std::to_string(g.MaxValue()) : "hidden"},
        {"timers", std::string(Form().Timer_Auto.Enabled() ? "auto" : "-") + "/" +
                       (Form().Timer_GetProcessInfo.Enabled() ? "refresh" : "-")}};
  });
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(run.Text(), testing_support::Lines({
                            "box: This function could free a lot of physical memory space,but "
                            "take sometime to complete. ",
                            "caption: shown",
                            "GlobalMemoryStatusEx",  // before the work
                            "status: memory tweaking... ",
                            "window repainted: 1",
                            "GlobalMemoryStatusEx",  // the tweak's own
                            "gauge: 0..3",
                            "VirtualAlloc(1048576,0x1000,0x204) x3",
                            "VirtualFree x3",
                            "gauge: hidden",
                            // Step 7: a fresh list, every process trimmed, the list released.
                            "CreateToolhelp32Snapshot(2,0)",
                            "Process32First",
                            "Process32Next x6",
                            "CloseHandle",
                            "OpenProcess(0,0x1F0FFF)",
                            "OpenProcess(0,0x410)",
                            "OpenProcess(4,0x1F0FFF)",
                            "OpenProcess(4,0x410)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(400,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(900,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(1200,0x1F0FFF)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "OpenProcess(1500,0x1F0FFF)",
                            "OpenProcess(1500,0x410)",
                            "GetModuleFileNameExA",
                            "GetProcessMemoryInfo",
                            "SetProcessWorkingSetSize(handle 0)",
                            "SetProcessWorkingSetSize(4)",
                            "SetProcessWorkingSetSize(400)",
                            "SetProcessWorkingSetSize(900)",
                            "SetProcessWorkingSetSize(1200)",
                            "SetProcessWorkingSetSize(1500)",
                            "CloseHandle x5",
                            "GlobalMemoryStatusEx",  // after the work
                            "box: Available physical memory before optimizing:1 MB",
                            "caption: hidden",
                        }));
}

struct LevelCase {
  int position;
  const char* name;
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }

class OverallLevel : public OverallOptimization, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(OverallLevel, TrackBarNamesTheLevelAndTheNextRunTweaksAtIt) {
  const int position = GetParam().position;
  Form().TrackBar_OverallOption.SetPosition(position == 1 ? 2 : 1);
  Form().TrackBar_OverallOption.SetPosition(position);
  EXPECT_EQ(Form().Label_OptimizeLavel.Caption(), GetParam().name);
  EXPECT_TRUE(os.Calls().empty()) << "moving the track bar only names the level";

  Form().SpeedButton_StartFull.Click();
  const std::vector<std::string> expected =
      position == 1 ? std::vector<std::string>(5, "VirtualAlloc(1048576,0x1000,0x204)")
                    : std::vector<std::string>(static_cast<std::size_t>(position),
                                               "VirtualAlloc(4194304,0x1000,0x4)");
  EXPECT_EQ(Commits(), expected);
  EXPECT_EQ(os.CommittedBlocks(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Positions, OverallLevel,
                         ::testing::Values(LevelCase{1, "Level 1"}, LevelCase{2, "Level 2"},
                                           LevelCase{3, "Medium"}, LevelCase{4, "Level 4"},
                                           LevelCase{5, "Level 5"}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) {
                           return "Position" + std::to_string(info.param.position);
                         });

TEST_F(OverallOptimization, LevelCaptionReadsLevelOneAfterStartAndStaysForUnnamedPositions) {
  EXPECT_EQ(Form().Label_OptimizeLavel.Caption(), "Level 1");
  EXPECT_EQ(Form().TrackBar_OverallOption.Position(), 1);
  Form().TrackBar_OverallOption.SetRange(0, 9);
  Form().TrackBar_OverallOption.SetPosition(3);
  ASSERT_EQ(Form().Label_OptimizeLavel.Caption(), "Medium");
  for (int position : {0, 6, 9}) {
    Form().TrackBar_OverallOption.SetPosition(position);
    EXPECT_EQ(Form().Label_OptimizeLavel.Caption(), "Medium") << "position " << position;
  }
}

class LevelName : public ::testing::TestWithParam<int> {};

TEST_P(LevelName, OutsideOneToFiveThereIsNone) { EXPECT_FALSE(OptimizeLevelName(GetParam())); }

INSTANTIATE_TEST_SUITE_P(Positions, LevelName, ::testing::Values(0, 6, -1, 100),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param < 0 ? "Minus" + std::to_string(-info.param)
                                                 : "Position" + std::to_string(info.param);
                         });

struct TimerCase {
  const char* name;
  bool autoOn;
  bool refreshOn;
};

void PrintTo(const TimerCase& c, std::ostream* os) { *os << c.name; }

class OverallTimers : public OverallOptimization, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(OverallTimers, AreLeftAloneByTheRunAndSetBackAfterTheReport) {
  Form().SpinEdit_Time.SetText("1");
  if (GetParam().autoOn) Form().SpeedButton_RunAuto.Click();
  Form().Timer_GetProcessInfo.SetEnabled(GetParam().refreshOn);
  bool autoInBox = !GetParam().autoOn;
  bool refreshInBox = !GetParam().refreshOn;
  backend.WhileBoxOpen = [&](const gui::ShownBox& box) {
    if (!IsReport(box)) return;
    autoInBox = Form().Timer_Auto.Enabled();
    refreshInBox = Form().Timer_GetProcessInfo.Enabled();
    // Handlers that run while the report is open switch both.
    Form().SpeedButton_RunAuto.Click();
    Form().Timer_GetProcessInfo.SetEnabled(!Form().Timer_GetProcessInfo.Enabled());
  };
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(autoInBox, GetParam().autoOn);
  EXPECT_EQ(refreshInBox, GetParam().refreshOn);
  EXPECT_EQ(Form().Timer_Auto.Enabled(), GetParam().autoOn);
  EXPECT_EQ(Form().Timer_GetProcessInfo.Enabled(), GetParam().refreshOn);
}

INSTANTIATE_TEST_SUITE_P(States, OverallTimers,
                         ::testing::Values(TimerCase{"BothOff", false, false},
                                           TimerCase{"AutoOnly", true, false},
                                           TimerCase{"RefreshOnly", false, true},
                                           TimerCase{"BothOn", true, true}),
                         [](const ::testing::TestParamInfo<TimerCase>& info) {
                           return info.param.name;
                         });

TEST_F(OverallOptimization, TweakThatCannotCommitStillEndsInTrimAndReport) {
  Form().TrackBar_OverallOption.SetPosition(5);
  os.commitLimit = 4 * kMB - 1;
  Form().SpeedButton_StartFull.Click();
  std::vector<std::string> texts;
  for (const gui::ShownBox& box : backend.Boxes()) {
    texts.push_back(IsReport(box) ? "report" : box.text);
  }
  std::vector<std::string> expected{kConfirmation};
  expected.insert(expected.end(), 5, kLowMemory);
  expected.push_back("report");
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(os.trimmedPids, kTrimmable);
  EXPECT_FALSE(Form().Gauge_OvarallOptimize.Visible());
  EXPECT_FALSE(Form().Label_overalloptimizing.Visible());
  EXPECT_EQ(os.CommittedBlocks(), 0u);
}

TEST_F(OverallOptimization, FromTheTrayWhileHiddenAsksAndReportsAlike) {
  Form().HideForm();
  Form().OverallOpimize1.Click();
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[0].text, kConfirmation);
  EXPECT_TRUE(IsReport(backend.Boxes()[1]));
  EXPECT_EQ(os.trimmedPids, kTrimmable);
}

// --- re-entrancy ----------------------------------------------------------------------

TEST_F(OverallOptimization, NothingQueuedIsHandledUntilTheReportIsUp) {
  int handled = 0;
  os.onCall = [&](const std::string& call) {
    if (call.rfind("VirtualAlloc(", 0) == 0 || call.rfind("SetProcessWorkingSetSize(", 0) == 0) {
      backend.Post([&] { ++handled; });
    }
  };
  int handledWhenReportShown = -1;
  backend.WhileBoxOpen = [&](const gui::ShownBox& box) {
    if (IsReport(box)) handledWhenReportShown = handled;
  };
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(handledWhenReportShown, 0) << "the tweak and the trim ran without the message loop";
  backend.AdvanceBy(0);
  EXPECT_GT(handled, 0);
}

TEST_F(OverallOptimization, TimersTickWhileTheReportIsOpen) {
  Form().Timer_GetProcessInfo.SetEnabled(false);
  Form().SpinEdit_Time.SetText("1");
  // Every tick trims, whatever the memory: the stop condition is off.
  Form().CheckBox_bstopauto.SetChecked(false);
  Form().SpeedButton_RunAuto.Click();
  std::size_t selfTrims = 0;
  std::size_t autoTrims = 0;
  std::string status;
  backend.WhileBoxOpen = [&](const gui::ShownBox& box) {
    if (!IsReport(box)) return;
    const std::size_t self = os.SelfTrims();
    const std::size_t snapshots = os.CountCalls("CreateToolhelp32Snapshot");
    backend.AdvanceBy(3000);
    selfTrims = os.SelfTrims() - self;
    autoTrims = os.CountCalls("CreateToolhelp32Snapshot") - snapshots;
    status = Form().StatusBar_State.Panel(1).text;
  };
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(selfTrims, 3u);
  EXPECT_EQ(autoTrims, 3u);
  EXPECT_EQ(status, "Auto optimizing...");
}

TEST_F(OverallOptimization, LowMemoryBoxLetsTimersRunAndASecondTweakThereDoesNothing) {
  os.RefuseCommitNumber(3);
  bool nested = false;
  std::size_t selfTrims = 0;
  std::size_t commitsInside = 1;
  backend.WhileBoxOpen = [&](const gui::ShownBox& box) {
    if (nested || box.text != kLowMemory) return;
    nested = true;
    const std::size_t self = os.SelfTrims();
    backend.AdvanceBy(2000);
    selfTrims = os.SelfTrims() - self;
    const std::size_t commits = os.CommitsMade();
    Form().OverallOpimize1.Click();  // from the tray, while the first still holds memory
    commitsInside = os.CommitsMade() - commits;
  };
  Form().SpeedButton_StartFull.Click();
  EXPECT_EQ(selfTrims, 2u);
  EXPECT_EQ(commitsInside, 0u);
  std::vector<std::string> texts;
  for (const gui::ShownBox& box : backend.Boxes()) texts.push_back(IsReport(box) ? "report" : box.text);
  // A box is listed once it is answered: the inner run's boxes come first.
  EXPECT_EQ(texts, (std::vector<std::string>{kConfirmation, kConfirmation, "report", kLowMemory,
                                              "report"}));
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_FALSE(TweakBusy);
  EXPECT_TRUE(OpenBesidesInstanceMark(os).empty()) << ::testing::PrintToString(os.OpenHandles());
}

}  // namespace
}  // namespace optimize
