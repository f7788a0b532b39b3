// Messages any program on the desktop can send the main window: window
// handles that name windows that are not the program's controls, pointers
// into another process, random identifiers and coordinates. The program
// must take them all and go on as before.

#include "harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

class HostileE2e : public RunningQuorvel {
 protected:
  // The program still runs, answers, shows no box, and refreshes.
  void ExpectUnharmed() {
    ASSERT_TRUE(quorvel_.Running()) << "the program died";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Timeout(10000), &answer),
              0)
        << "the program does not answer";
    EXPECT_EQ(FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true), nullptr)
        << "a box came up";
    const std::string before = WindowText(StatusPanel(main_, ids::kStatusBarState, 0));
    EXPECT_EQ(before.rfind("Process number:", 0), 0u) << "status: " << before;
  }
  std::string ReportText() {
    static char table[65536];
    table[0] = '\0';
    SendMessageTimeoutA(Control(ids::kListViewProcessReport), WM_GETTEXT, sizeof table,
                        reinterpret_cast<LPARAM>(table), SMTO_ABORTIFHUNG, Timeout(5000), nullptr);
    return table;
  }
  HWND TimerWindow() { return FindProcessWindow(quorvel_.Id(), "QuorvelTimers", nullptr, false); }
};

TEST_F(HostileE2e, ControlMessagesNamingForeignWindowsAreIgnored) {
  HWND timers = TimerWindow();
  ASSERT_NE(timers, nullptr) << "the timer window was not found";
  // A window of this test program and the desktop: real windows, not ours.
  HWND foreign[] = {timers, GetDesktopWindow(), FindWindowA("Shell_TrayWnd", nullptr),
                    reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12345678))};
  HWND targets[] = {main_, Control(ids::kGroupBoxOverallOptimize), Control(ids::kPanel1)};
  for (HWND target : targets) {
    ASSERT_NE(target, nullptr);
    for (HWND other : foreign) {
      const LPARAM l = reinterpret_cast<LPARAM>(other);
      for (UINT msg : {WM_COMMAND, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
        SendMessageTimeoutA(target, msg, MAKEWPARAM(1, BN_CLICKED), l, SMTO_ABORTIFHUNG,
                            Timeout(5000), nullptr);
        PostMessageA(target, msg, MAKEWPARAM(1, BN_CLICKED), l);
      }
    }
    // A notification whose record lies in another process, or nowhere.
    for (LPARAM l : {LPARAM{0}, LPARAM{16}, static_cast<LPARAM>(0x7FFE0000), static_cast<LPARAM>(0x12345678)}) {
      SendMessageTimeoutA(target, WM_NOTIFY, 1, l, SMTO_ABORTIFHUNG, Timeout(5000), nullptr);
      PostMessageA(target, WM_NOTIFY, 1, l);
    }
  }
  // A timer message naming a callback that does not exist.
  PostMessageA(timers, WM_TIMER, 2, 0x12345678);
  PostMessageA(main_, WM_TIMER, 2, 0x12345678);
  ExpectUnharmed();
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// Close requests for the program's controls and its timer window, and
// quits posted to its windows and its thread: the system would destroy the
// controls and end every timer, and the quit would end the program without
// taking its icon out of the tray.
TEST_F(HostileE2e, CloseAndQuitFromOutsideDestroyNothingAndEndNothing) {
  HWND timers = TimerWindow();
  ASSERT_NE(timers, nullptr);
  std::vector<HWND> windows;
  EnumChildWindows(main_, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  ASSERT_GT(windows.size(), 50u) << "the controls were not found";
  windows.push_back(timers);
  for (HWND w : windows) PostMessageA(w, WM_CLOSE, 0, 0);
  for (HWND w : windows) {
    SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, Timeout(5000), nullptr);
  }
  PostMessageA(main_, WM_QUIT, 0, 0);
  PostMessageA(timers, WM_QUIT, 0, 0);
  PostThreadMessageA(GetWindowThreadProcessId(main_, nullptr), WM_QUIT, 0, 0);
  ExpectUnharmed();
  std::size_t gone = 0;
  for (HWND w : windows) gone += IsWindow(w) ? 0 : 1;
  EXPECT_EQ(gone, 0u) << "windows destroyed from outside";
  // The timers still run: a program started now shows in the report.
  Process extra;
  char system[MAX_PATH];
  GetWindowsDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(extra.Start(std::string(system) + "\\notepad.exe"));
  EXPECT_TRUE(WaitUntil([&] { return ReportText().find("notepad.exe") != std::string::npos; },
                        Timeout(30000)))
      << "the refresh stopped";
  extra.Kill();
  EXPECT_TRUE(quorvel_.Running()) << "a quit from outside ended the program";
}

TEST_F(HostileE2e, ThousandsOfRandomMessagesLeaveTheProgramRunning) {
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  HWND title = Control(ids::kImage1);
  HWND timers = TimerWindow();
  ASSERT_NE(title, nullptr);
  std::mt19937 random(20261208);
  auto any = [&] { return static_cast<std::uint32_t>(random()); };
  RECT start;
  GetWindowRect(main_, &start);
  for (int i = 0; i < 4000; ++i) {
    const std::uint32_t w = any(), l = any();
    switch (i % 8) {
      case 0:
        // Hotkey ids of the program and random ones, random keys.
        PostMessageA(main_, WM_HOTKEY, (i / 8) % 2 ? 1331 + w % 4 : w, l);
        break;
      case 1: {
        // The tray callback with random mouse messages, except the two
        // that open the menu and show the window, which wait for a user.
        LPARAM mouse = l;
        if (mouse == WM_RBUTTONDOWN || mouse == WM_LBUTTONDBLCLK) mouse = WM_MOUSEMOVE;
        PostMessageA(main_, 3001, w, mouse);
        break;
      }
      case 2:
        // Each one re-adds the tray icon through the shell, which takes its
        // time: a tenth of these slots is plenty.
        if (w % 10 == 0) {
          PostMessageA(main_, taskbarCreated, w, l);
        } else {
          PostMessageA(main_, WM_KEYDOWN, w, l);
        }
        break;
      case 3: PostMessageA(main_, WM_COMMAND, w, l); break;
      case 4: PostMessageA(i % 16 == 4 ? main_ : timers, WM_TIMER, w, 0); break;
      case 5: {
        // Moves with the left button held, at the ends of the coordinate range.
        const short x = static_cast<short>((w & 1) ? 32767 : -32768);
        const short y = static_cast<short>((w & 2) ? 32767 : -32768);
        PostMessageA(title, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        break;
      }
      case 6:
        PostMessageA(title, (w & 1) ? WM_LBUTTONDOWN : WM_RBUTTONUP, MK_LBUTTON,
                     MAKELPARAM(static_cast<short>(l), static_cast<short>(l >> 16)));
        break;
      case 7:
        PostMessageA(Control(ids::kStatusBarState), WM_MOUSEMOVE, MK_LBUTTON, l);
        break;
    }
    // Let the program keep up so the queue never fills.
    if (i % 200 == 199) {
      SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Timeout(30000), nullptr);
    }
  }
  ExpectUnharmed();
  RECT r;
  GetWindowRect(main_, &r);
  EXPECT_GE(r.left, -32768);
  EXPECT_LE(r.left, 32767);
  EXPECT_GE(r.top, -32768);
  EXPECT_LE(r.top, 32767);
  // Refreshes still come: a program started now shows in the report.
  Process extra;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_TRUE(extra.Start(std::string(windows) + "\\notepad.exe"));
  EXPECT_TRUE(WaitUntil([&] { return ReportText().find("notepad.exe") != std::string::npos; },
                        Timeout(30000)))
      << "the report stopped following the processes";
  extra.Kill();
}

}  // namespace
}  // namespace e2e
