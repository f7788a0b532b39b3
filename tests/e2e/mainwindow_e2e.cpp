// The main window of the real program: navigation through the real message
// path, the status bar layout, every control found by its id and read back,
// and a link whose browser may or may not exist.

#include "harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "app/control_ids.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

class MainWindowE2e : public RunningQuorvel {
 protected:
  bool Shown(int id) {
    HWND h = Control(id);
    return h != nullptr && IsWindowVisible(h);
  }
  LRESULT Checked(int id) { return SendMessageA(Control(id), BM_GETCHECK, 0, 0); }
};

TEST_F(MainWindowE2e, NavigationButtonsShowTheirPages) {
  struct Step {
    int button;
    int page;
    int held;  // navigation button held down afterwards
  };
  const Step steps[] = {
      {ids::kSpeedButtonFull, ids::kPageProcesses, ids::kSpeedButtonFull},
      {ids::kSpeedButtonSet, ids::kPageSettings, ids::kSpeedButtonSet},
      {ids::kSpeedButton3, ids::kPageAbout, ids::kSpeedButtonSet},
      {ids::kSpeedButtonUsageGraph, ids::kPageUsageGroup, ids::kSpeedButtonUsageGraph},
  };
  const int pages[] = {ids::kPageUsageGroup, ids::kPageProcesses, ids::kPageSettings,
                       ids::kPageAbout, ids::kPageOverallOpimize};
  const int nav[] = {ids::kSpeedButtonUsageGraph, ids::kSpeedButtonFull, ids::kSpeedButtonSet};

  ASSERT_TRUE(WaitUntil([&] { return Shown(ids::kPageUsageGroup); }, Timeout(10000)));
  EXPECT_EQ(Checked(ids::kSpeedButtonUsageGraph), BST_CHECKED);
  for (const Step& step : steps) {
    HWND button = Control(step.button);
    ASSERT_NE(button, nullptr) << "button " << step.button;
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Shown(step.page); }, Timeout(5000)))
        << "page " << step.page << " after button " << step.button;
    for (int page : pages) {
      if (page != step.page) {
        EXPECT_FALSE(Shown(page)) << "page " << page << " also shows";
      }
    }
    for (int b : nav) {
      EXPECT_EQ(Checked(b), b == step.held ? BST_CHECKED : BST_UNCHECKED)
          << "button " << b << " after clicking " << step.button;
    }
  }
}

TEST_F(MainWindowE2e, StatusBarHasThreePanels) {
  HWND bar = Control(ids::kStatusBarState);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 0, 0), 3);
  RECT r;
  GetClientRect(bar, &r);
  EXPECT_EQ(r.right, 770);
  EXPECT_EQ(r.bottom, 20);
  const int widths[] = {143, 150, 770 - 143 - 150};
  int left = 0;
  for (int i = 0; i < 3; ++i) {
    HWND panel = StatusPanel(main_, ids::kStatusBarState, i);
    ASSERT_NE(panel, nullptr) << "panel " << i;
    RECT pr;
    GetWindowRect(panel, &pr);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&pr), 2);
    EXPECT_EQ(pr.left, left) << "panel " << i;
    EXPECT_EQ(pr.right - pr.left, widths[i]) << "panel " << i;
    EXPECT_EQ(pr.bottom - pr.top, 20);
    left = pr.right;
  }
}

TEST_F(MainWindowE2e, EveryControlCanBeFoundAndReadBack) {
  struct Expect {
    int id;
    const char* text;
  };
  const Expect texts[] = {
      {ids::kSpeedButtonUsageGraph, "System Overview"},
      {ids::kSpeedButtonFull, "Optimization"},
      {ids::kSpeedButtonSet, "Settings"},
      {ids::kSpeedButton3, "About"},
      {ids::kSpeedButton2, "Help"},
      {ids::kSpeedButton5, "Minimize"},
      {ids::kSpeedButton6, "Close"},
      {ids::kPageUsageGroup + ids::kTitleTextOffset, "System Overview"},
      {ids::kPageProcesses + ids::kTitleTextOffset, "Optimization"},
      {ids::kPageSettings + ids::kTitleTextOffset, "Settings"},
      {ids::kPageAbout + ids::kTitleTextOffset, "About"},
      {ids::kLabelSupportOs, "Support OS:Windows 95/98/ME/NT4/XP/2000/2003/Vista"},
      {ids::kLabelFunction, "Function: Clean and optimize memory "},
      {ids::kLabelEmail, "E-mail:"},
      {ids::kLabel31, "support@quorvel.example.com"},
      {ids::kLabel32, "http://www.quorvel.example.com/"},
      {ids::kButtonGetProcessInfo, "GetProcessList"},
      {ids::kCheckBoxCloseMinimize, "Minimize to tray when close window "},
      {ids::kCheckBoxMinimizeStart, "Minimize when start"},
      {ids::kCheckBoxAuto, "Auto optimize when start"},
  };
  for (const Expect& e : texts) {
    HWND h = Control(e.id);
    ASSERT_NE(h, nullptr) << "no control with id " << e.id;
    EXPECT_EQ(WindowText(h), e.text) << "control " << e.id;
  }
  const int present[] = {ids::kPanel1, ids::kImage1, ids::kImageEx2, ids::kImageEx3,
                         ids::kImageIcon, ids::kImageIconBak, ids::kPanel3, ids::kPanel4,
                         ids::kImage2, ids::kLabelAutoOptimize, ids::kNotebook1,
                         ids::kPageOverallOpimize, ids::kLabelVersion, ids::kLabelReleaseDate};
  for (int id : present) EXPECT_NE(Control(id), nullptr) << "no control with id " << id;
  // Never visible: the refresh command, the tray drawing surfaces, the
  // hidden running-state label.
  for (int id : {ids::kButtonGetProcessInfo, ids::kImageIcon, ids::kImageIconBak,
                 ids::kLabelAutoOptimize}) {
    EXPECT_FALSE(IsWindowVisible(Control(id))) << "control " << id << " shows";
  }
  RECT title;
  GetClientRect(Control(ids::kImage1), &title);
  EXPECT_EQ(title.right, 770);
  EXPECT_EQ(title.bottom, 106);
}

TEST_F(MainWindowE2e, DraggingTheTitleMovesTheWindow) {
  HWND title = Control(ids::kImage1);
  ASSERT_NE(title, nullptr);
  RECT before;
  GetWindowRect(main_, &before);
  PostMessageA(title, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 50));
  PostMessageA(title, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 40));
  PostMessageA(title, WM_LBUTTONUP, 0, MAKELPARAM(130, 40));
  RECT after = before;
  EXPECT_TRUE(WaitUntil(
      [&] {
        GetWindowRect(main_, &after);
        return after.left != before.left;
      },
      Timeout(5000)));
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, -10);
  // A move without the left button held leaves the window where it is.
  PostMessageA(title, WM_MOUSEMOVE, 0, MAKELPARAM(300, 90));
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Timeout(5000), &answer);
  RECT still;
  GetWindowRect(main_, &still);
  EXPECT_EQ(still.left, after.left);
  EXPECT_EQ(still.top, after.top);
}

TEST_F(MainWindowE2e, RefreshSwitchEnablesItsIntervalField) {
  SendMessageA(Control(ids::kSpeedButtonSet), BM_CLICK, 0, 0);
  HWND box = Control(ids::kCheckBoxAutoProcessList);
  HWND interval = Control(ids::kSpinEditProcessListTime);
  ASSERT_TRUE(box && interval);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(WindowText(interval), "2") << "the default settings, not the form's 1";
  EXPECT_TRUE(IsWindowEnabled(interval));
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(interval)) << "the interval follows the switch";
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(interval));
  // Typed text stays as typed: the field's value is its text.
  SendMessageA(interval, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("7x"));
  EXPECT_EQ(WindowText(interval), "7x");
}

TEST_F(MainWindowE2e, WebLinkIsHandledWithoutACrash) {
  SendMessageA(Control(ids::kSpeedButton3), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return Shown(ids::kPageAbout); }, Timeout(5000)));
  HWND link = Control(ids::kLabel32);
  ASSERT_NE(link, nullptr);
  PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));

  // Either the browser's automation object exists and a browser process
  // starts, or its absence reaches the error box; the program goes on.
  HWND box = nullptr;
  bool browser = false;
  WaitUntil(
      [&] {
        box = FindProcessWindow(quorvel_.Id(), "#32770", "Quorvel", true);
        if (box == nullptr) browser = KillProcessesNamed("iexplore.exe") > 0;
        return box != nullptr || browser;
      },
      Timeout(30000));
  std::printf("the link %s\n", box != nullptr ? "reported an error" : "started a browser");
  if (box != nullptr) {
    EXPECT_FALSE(WindowText(GetDlgItem(box, 0xFFFF)).empty()) << "the error box names the error";
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  } else {
    EXPECT_TRUE(browser) << "neither a browser nor an error box appeared";
  }
  EXPECT_TRUE(quorvel_.Running());
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Timeout(10000), &answer),
            0)
      << "the window no longer answers";
  KillProcessesNamed("iexplore.exe");
}

}  // namespace
}  // namespace e2e
