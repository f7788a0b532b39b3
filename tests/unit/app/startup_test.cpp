#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app/frmmain.h"
#include "app/instance.h"
#include "program_fixture.h"
#include "sequence.h"
#include "settings/settings_record.h"

namespace app {
namespace {

using testing::ProgramTest;

constexpr const char* kEvent = "QuorvelEvent20070409";

TEST_F(ProgramTest, StartShowsTheMainWindowAndRunsEachStepOnceInOrder) {
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_TRUE(Form().Visible());
  EXPECT_EQ(Form().Caption(), "Quorvel");
  EXPECT_EQ(program->App().Title(), "Quorvel");
  EXPECT_EQ(Form().ClientWidth(), 770);
  EXPECT_EQ(Form().ClientHeight(), 560);
  EXPECT_EQ(Form().Left(), (1024 - 770) / 2);
  EXPECT_EQ(Form().Top(), (768 - 560) / 2);
  EXPECT_EQ(Form().StartupStepsRun(),
            (std::vector<std::string>{"StartupDone", "SetUpGraphs", "ClearHotKeyFlags",
                                      "LoadSettings", "SaveSettings", "ApplySettings",
                                      "FirstRefresh", "AutoOptimizeAtStart", "LevelCaption",
                                      "AddTrayIcon", "EnableHideTimer", "ShowUsagePage"}));
  EXPECT_TRUE(Form().StartupDone);
  EXPECT_TRUE(backend.Boxes().empty());
}

// The start as the system and the user see it: every call, and when the
// window first shows, its page, the level caption and the refresh timer.
TEST_F(ProgramTest, StartMakesItsCallsInOrder) {
  testing_support::Sequence run(os, backend, [this] {
    TForm_Zentor* f = program ? program->Form() : nullptr;
    if (f == nullptr) return testing_support::Sight{{"window", "none"}};
    return testing_support::Sight{
        {"window", f->Visible() ? "shown" : "made"},
        {"level", f->Label_OptimizeLavel.Caption()},
        {"refresh timer", f->Timer_GetProcessInfo.Enabled() ? "on" : "off"}};
  });
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_EQ(run.Text(), testing_support::Lines({
                            "GetVersionExA",  // the processor module's check
                            "OpenEventA(QuorvelEvent20070409)",  // the instance mark
                            "CreateEventA(QuorvelEvent20070409)",
                            "SetEvent",
                            "window: made",
                            "level: OptimizeLavel",
                            "refresh timer: off",
                            // the window's creation handler
                            "RegisterWindowMessageA(TaskbarCreated)",
                            "GetVersionExA x2",  // the family, then the memory lists' call
                            "OpenProcessToken",  // administrator?, then the debug privilege
                            "GetTokenInformation",
                            "CloseHandle",
                            "OpenProcessToken",
                            "LookupPrivilegeValueA(SeDebugPrivilege)",
                            "AdjustTokenPrivileges",
                            "CloseHandle",
                            "RegOpenKeyExA(HKLM\\Software\\Quorvel)",  // the settings key must exist
                            "RegCloseKey",
                            "GlobalMemoryStatusEx",  // the graphs set up
                            "RegCreateKeyExA(HKLM\\Software\\Quorvel)",  // settings loaded
                            "RegQueryValueExA(QuorvelSetInfo)",
                            "RegQueryValueExA(QuorvelMemoryLists)",
                            "RegisterHotKey(1331,5,65)",
                            "RegisterHotKey(1332,5,84)",
                            "RegisterHotKey(1333,5,77)",
                            "RegisterHotKey(1334,5,69)",
                            "RegCloseKey",
                            "RegCreateKeyExA(HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run)",
                            "RegQueryValueExA(Quorvel)",
                            "RegCloseKey",
                            "RegCreateKeyExA(HKLM\\Software\\Quorvel)",  // and saved again at once
                            "RegSetValueExA(QuorvelSetInfo)",
                            "RegSetValueExA(QuorvelMemoryLists)",
                            "UnregisterHotKey(1331)",
                            "UnregisterHotKey(1332)",
                            "UnregisterHotKey(1333)",
                            "UnregisterHotKey(1334)",
                            "RegisterHotKey(1331,5,65)",
                            "RegisterHotKey(1332,5,84)",
                            "RegisterHotKey(1333,5,77)",
                            "RegisterHotKey(1334,5,69)",
                            "RegCloseKey",
                            "RegCreateKeyExA(HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run)",
                            "RegDeleteValueA(Quorvel)",
                            "RegCloseKey",
                            "refresh timer: on",  // applied
                            "CreateToolhelp32Snapshot(2,0)",  // the first refresh
                            "Process32First",
                            "CloseHandle",
                            "GlobalMemoryStatusEx",
                            "NtQuerySystemInformation(0)",
                            "NtQuerySystemInformation(3)",
                            "NtQuerySystemInformation(2)",
                            "GlobalMemoryStatusEx x2",
                            "CreateIconIndirect",
                            "Shell_NotifyIconA(1)",  // no icon to change yet: fails quietly
                            "level: Level 1",
                            "GlobalMemoryStatusEx",  // the tray icon added afresh
                            "CreateIconIndirect",
                            "Shell_NotifyIconA(2)",
                            "Shell_NotifyIconA(0)",
                            "DestroyIcon",
                            "window: shown",
                        }));
}

TEST_F(ProgramTest, MemoryListBoxIsEnabledOnlyOnNtSixWithTheCall) {
  os.version.dwMajorVersion = 6;
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_TRUE(Form().CheckBox_MemoryLists.Enabled());
  EXPECT_EQ(Form().CheckBox_MemoryLists.Caption(),
            "Also empty the standby list (Windows Vista and later)");
  EXPECT_FALSE(Form().CheckBox_MemoryLists.Checked()) << "off by default";
}

TEST_F(ProgramTest, MemoryListBoxIsDisabledOnWindows98) {
  os.version.dwPlatformId = platform::kVerPlatformWin32Windows;
  os.version.dwMajorVersion = 4;
  os.version.dwMinorVersion = 10;
  os.tokensAvailable = false;
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_FALSE(Form().CheckBox_MemoryLists.Enabled());
}

TEST_F(ProgramTest, MemoryListBoxIsDisabledWhereNtdllLacksTheCall) {
  os.version.dwMajorVersion = 6;
  os.ntSetSystemInformationAvailable = false;
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_FALSE(Form().CheckBox_MemoryLists.Enabled());
}

TEST_F(ProgramTest, ShowingAgainRepeatsNoStartupStep) {
  StartProgram();
  backend.AdvanceBy(10);
  Form().HideForm();
  Form().ShowForm();
  Form().HideForm();
  Form().ShowForm();
  EXPECT_EQ(Form().StartupStepsRun().size(), 12u);
  EXPECT_FALSE(backend.TimerArmed(Form().Timer_HideMainWindows));
}

TEST_F(ProgramTest, CreationRegistersTaskbarMessageAndDetectsFamily) {
  program = std::make_unique<Program>(os, backend);
  ASSERT_TRUE(program->Start());
  EXPECT_EQ(Form().TaskbarCreatedMessage(), os.RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_GE(Form().TaskbarCreatedMessage(), 0xC000u);
  EXPECT_EQ(Form().Family(), monitor::PlatformFamily::WindowsNT);
  EXPECT_EQ(Form().TrayIconHandle.Get(), platform::kNoHandle);
  EXPECT_FALSE(Form().Minimized);
}

TEST_F(ProgramTest, HideTimerFiresOnceAndHidesOnlyWithMinimizeWhenStart) {
  StartProgram();
  EXPECT_TRUE(backend.TimerArmed(Form().Timer_HideMainWindows));
  backend.AdvanceBy(5);
  EXPECT_TRUE(Form().Visible());
  EXPECT_FALSE(Form().Timer_HideMainWindows.Enabled());

  EndProgram();
  os.ClearCalls();
  settings::TSetInfo stored = settings::DefaultSetInfo();
  stored.MinimizeStart = true;
  const settings::SetInfoBytes bytes = settings::EncodeSetInfo(stored);
  os.SetValue("HKLM\\Software\\Quorvel", "QuorvelSetInfo", platform::kRegBinary,
              {bytes.begin(), bytes.end()});
  program = std::make_unique<Program>(os, backend);
  ASSERT_TRUE(program->Start());
  program->Run();
  EXPECT_TRUE(Form().Visible()) << "the window shows briefly before the timer hides it";
  backend.AdvanceBy(1);
  EXPECT_FALSE(Form().Visible());
  EXPECT_FALSE(program->App().Terminated());
  EXPECT_TRUE(Form().StartupDone);
}

TEST_F(ProgramTest, ErrorInStartupStepKeepsWindowUp) {
  StartProgram();
  // A failing later step reports through the error box; the window is up.
  Form().StartupDone = false;
  Form().HideForm();
  Form().Timer_HideMainWindows.OnTimer = [] { throw gui::Error("boom"); };
  Form().ShowForm();
  backend.AdvanceBy(1);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "boom");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_TRUE(Form().Visible());
  EXPECT_FALSE(program->App().Terminated());
}

TEST_F(ProgramTest, RefusedControlWindowEndsTheStartWithTheReason) {
  // The system refuses the window of the twentieth control made.
  int made = 0;
  backend.WhileCreatingPeer = [&](gui::TControl&) {
    if (++made == 20) throw gui::Error("Windows could not create a window of the program.");
  };
  StartProgram();
  EXPECT_FALSE(started);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Windows could not create a window of the program.");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(program->Form(), nullptr) << "no half-made window is left to run";
  EXPECT_EQ(program->App().MainForm(), nullptr);
  EXPECT_TRUE(os.TrayIcons().empty());
  backend.WhileCreatingPeer = nullptr;
  EndProgram();
  for (const std::string& h : os.OpenHandles()) ADD_FAILURE() << h << " left open";
  EXPECT_FALSE(os.EventExists(kEvent));
}

// --- single instance --------------------------------------------------------

TEST(SingleInstance, RunningInstanceRefusesNewStartWithExitZero) {
  platform::SimOs os;
  os.AddKey("HKLM\\Software\\Quorvel");
  os.AddForeignEvent(kEvent, true);
  gui::HeadlessBackend backend;
  os.ClearCalls();
  EXPECT_EQ(QuorvelMain(os, backend), 0);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(os.CountCalls("CreateEventA"), 0u) << "a refused start does not mark";
  EXPECT_EQ(os.CountCalls("RegisterWindowMessageA"), 0u) << "no window was created";
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SingleInstance, ResetMarkDoesNotRefuse) {
  platform::SimOs os;
  os.AddKey("HKLM\\Software\\Quorvel");
  os.AddForeignEvent(kEvent, false);  // an instance on its way out
  EXPECT_FALSE(IsAnotherInstanceRunning(os));
  auto mark = MarkInstanceRunning(os);
  EXPECT_TRUE(mark);
  EXPECT_TRUE(os.EventSignalled(kEvent));
  EXPECT_TRUE(IsAnotherInstanceRunning(os));
}

TEST(SingleInstance, EventThatCannotBeMadeLeavesProgramUnmarked) {
  platform::SimOs os;
  os.Fail("CreateEventA", 5);
  auto mark = MarkInstanceRunning(os);
  EXPECT_FALSE(mark);
  EXPECT_FALSE(IsAnotherInstanceRunning(os));
  ClearInstanceMark(os);  // nothing to clear: must not fail
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST_F(ProgramTest, CloseClearsMarkAndLetsNextStartThrough) {
  StartProgram();
  EXPECT_TRUE(IsAnotherInstanceRunning(os)) << "a start now would be refused";
  Form().CheckBox_CloseMinimize.SetChecked(false);
  Form().Close();
  EXPECT_TRUE(program->App().Terminated());
  EXPECT_FALSE(os.EventSignalled(kEvent));
  EXPECT_FALSE(IsAnotherInstanceRunning(os));
  EndProgram();
  EXPECT_FALSE(os.EventExists(kEvent)) << "the event goes with the last handle";
  EXPECT_TRUE(os.OpenHandles().empty()) << ::testing::PrintToString(os.OpenHandles());

  StartProgram();
  EXPECT_TRUE(started);
  EXPECT_TRUE(Form().Visible());
}

TEST_F(ProgramTest, ExitClearsMarkAndQuitsEvenWithCloseToTray) {
  StartProgram();
  Form().CheckBox_CloseMinimize.SetChecked(true);
  Form().Exit1Click();
  EXPECT_TRUE(program->App().Terminated());
  EXPECT_TRUE(backend.QuitPosted());
  EXPECT_FALSE(os.EventSignalled(kEvent));
}

// Another program (the uninstaller) ends a running instance by sending the
// tray menu's Exit id as a window command: it must be Exit itself, not a close
// that close-to-tray would turn into hiding.
TEST_F(ProgramTest, ExitCommandFromOutsideEndsLikeTheTrayMenuItem) {
  StartProgram();
  Form().CheckBox_CloseMinimize.SetChecked(true);
  ASSERT_TRUE(os.EventSignalled(kEvent));
  Form().Command(ids::kMenuExit);
  EXPECT_TRUE(program->App().Terminated());
  EXPECT_TRUE(backend.QuitPosted());
  EXPECT_FALSE(os.EventSignalled(kEvent));
}

TEST_F(ProgramTest, CommandsThatAreNoMenuItemChangeNothing) {
  StartProgram();
  for (int id : {0, ids::kSpeedButton6, ids::kMenuExit + 1000}) {
    Form().Command(id);
    EXPECT_FALSE(program->App().Terminated()) << "command " << id;
    EXPECT_TRUE(os.EventSignalled(kEvent)) << "command " << id;
    EXPECT_TRUE(Form().Visible()) << "command " << id;
  }
}

// --- closing ------------------------------------------------------------------

struct CloseCase {
  const char* name;
  bool closeToTray;
  bool visible;
  bool minimized;
  bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseDecision : public ProgramTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseDecision, FollowsCloseToTrayVisibilityAndMinimized) {
  const CloseCase& c = GetParam();
  StartProgram();
  Form().CheckBox_CloseMinimize.SetChecked(c.closeToTray);
  if (!c.visible) Form().HideForm();
  if (c.minimized) program->App().Minimize();
  EXPECT_EQ(Form().Minimized, c.minimized);

  Form().Close();
  EXPECT_EQ(program->App().Terminated(), c.closes);
  EXPECT_EQ(os.EventSignalled(kEvent), !c.closes);
  if (!c.closes) {
    EXPECT_FALSE(Form().Visible()) << "close-to-tray hides the window";
  }
}

INSTANTIATE_TEST_SUITE_P(
    All, CloseDecision,
    ::testing::Values(CloseCase{"TrayOffCloses", false, true, false, true},
                      CloseCase{"TrayOnHides", true, true, false, false},
                      CloseCase{"TrayOnHiddenCloses", true, false, false, true},
                      CloseCase{"TrayOnMinimizedCloses", true, true, true, true},
                      CloseCase{"TrayOffMinimizedCloses", false, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, RestoreClearsMinimized) {
  StartProgram();
  program->App().Minimize();
  EXPECT_TRUE(Form().Minimized);
  program->App().Restore();
  EXPECT_FALSE(Form().Minimized);
}

}  // namespace
}  // namespace app
