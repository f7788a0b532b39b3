// The tray icon of the real program: in the notification area while the
// program runs, its menu on the right button, and Exit.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "harness.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

constexpr UINT kTrayCallback = 3001;

// Inside the virtual desktop the taskbar shows only while an icon sits in
// the notification area.
bool TaskbarShown() {
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  return bar != nullptr && IsWindowVisible(bar);
}

class TrayE2e : public RunningQuorvel {
 protected:
  // Opens the tray menu, moves down `downs` items (separators are skipped)
  // and chooses the item there.
  void ChooseFromMenu(int downs) {
    PostMessageA(main_, kTrayCallback, 1, WM_RBUTTONDOWN);
    ASSERT_NE(WaitForProcessWindow(quorvel_.Id(), "#32768", nullptr, Timeout(10000)), nullptr)
        << "the menu did not open";
    for (int i = 0; i < downs; ++i) PressKeys({}, VK_DOWN);
    PressKeys({}, VK_RETURN);
    ASSERT_TRUE(WaitUntil(
        [&] { return FindProcessWindow(quorvel_.Id(), "#32768", nullptr, true) == nullptr; },
        Timeout(10000)))
        << "the menu did not close";
  }
};

TEST_F(TrayE2e, IconIsThereWhileRunningAndTheMenuExitEndsTheProgram) {
  ASSERT_TRUE(WaitUntil(TaskbarShown, Timeout(10000))) << "no icon in the notification area";

  PostMessageA(main_, kTrayCallback, 1, WM_RBUTTONDOWN);
  HWND menu = WaitForProcessWindow(quorvel_.Id(), "#32768", nullptr, Timeout(10000));
  ASSERT_NE(menu, nullptr) << "the right button did not open the menu";
  HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
  const int count = items != nullptr ? GetMenuItemCount(items) : -1;
  // Where menus live in their own process, another cannot read them; the
  // keys below still prove the last item is Exit.
  if (count < 0) std::printf("[ NOTE     ] the menu's items cannot be read from here\n");
  if (count >= 0) {
    int commands = 0;
    for (int i = 0; i < count; ++i) {
      if (!(GetMenuState(items, i, MF_BYPOSITION) & MF_SEPARATOR)) ++commands;
    }
    EXPECT_EQ(count, 6);
    EXPECT_EQ(commands, 4);
    char last[64] = {};
    GetMenuStringA(items, count - 1, last, sizeof last, MF_BYPOSITION);
    EXPECT_STREQ(last, "Exit");
  }
  // Up from no selection lands on the last item: Exit.
  PressKeys({}, VK_UP);
  PressKeys({}, VK_RETURN);
  DWORD code = 1234;
  ASSERT_TRUE(quorvel_.WaitExit(Timeout(30000), &code)) << "Exit did not end the program";
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(WaitUntil([] { return !TaskbarShown(); }, Timeout(10000)))
      << "the icon stayed in the notification area";
}

TEST_F(TrayE2e, EachMenuCommandDoesItsWork) {
  constexpr int kRunAutoButton = 633;
  PostMessageA(main_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }, Timeout(10000)));
  ChooseFromMenu(1);  // Open Main Window
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, Timeout(10000)));

  ChooseFromMenu(2);  // Start auto optimize
  EXPECT_TRUE(WaitUntil(
      [&] { return SendMessageA(Control(kRunAutoButton), BM_GETCHECK, 0, 0) == BST_CHECKED; },
      Timeout(10000)))
      << "automatic optimization did not start";
  ChooseFromMenu(2);  // now Stop auto optimize
  EXPECT_TRUE(WaitUntil(
      [&] { return SendMessageA(Control(kRunAutoButton), BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
      Timeout(10000)));

  ChooseFromMenu(3);  // Overall Opimize: asks first
  HWND ask = WaitForBox(quorvel_.Id(), "Confirm", Timeout(10000));
  ASSERT_NE(ask, nullptr) << "the overall optimization did not ask";
  ASSERT_TRUE(PressBoxButton(ask, IDCANCEL));
  EXPECT_TRUE(WaitUntil(
      [&] { return FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true) == nullptr; },
      Timeout(10000)));
}

TEST_F(TrayE2e, DoubleClickShowsTheHiddenWindow) {
  PostMessageA(main_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }, Timeout(10000)));
  EXPECT_TRUE(TaskbarShown()) << "the icon stays while the window is hidden";
  PostMessageA(main_, kTrayCallback, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, Timeout(10000)));
}

TEST_F(TrayE2e, TaskbarCreatedIsAnsweredWithoutHarm) {
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  PostMessageA(main_, created, 0, 0);
  PostMessageA(main_, kTrayCallback, 1, 0x0201);  // a single click: nothing
  // The program answers a message sent after both, so both were handled.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Timeout(10000), &result), 0);
  EXPECT_TRUE(quorvel_.Running());
  // The icon is taken out and put back: the taskbar shows again after.
  EXPECT_TRUE(WaitUntil(TaskbarShown, Timeout(10000)));
  EXPECT_EQ(FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true), nullptr) << "no box";
}

BOOL CALLBACK FindShownTip(HWND h, LPARAM found) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpiA(cls, "tooltips_class32") != 0 || !IsWindowVisible(h)) return TRUE;
  *reinterpret_cast<std::string*>(found) = WindowText(h);
  return FALSE;
}

// The text of a tooltip shown now; "" when none is up.
std::string ShownTip() {
  std::string text;
  EnumWindows(FindShownTip, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Puts the pointer at a point and nudges it there, so the window under it
// sees the pointer arrive.
void HoverAt(POINT at) {
  SetCursorPos(at.x, at.y);
  INPUT move = {};
  move.type = INPUT_MOUSE;
  move.mi.dwFlags = MOUSEEVENTF_MOVE;
  for (LONG dx : {1, -1}) {
    move.mi.dx = dx;
    SendInput(1, &move, sizeof move);
  }
}

// The tip the shell shows over the icon carries the system's 64-bit
// figures: on a machine with more than a 32-bit report can count, the
// whole amounts.
TEST_F(TrayE2e, TipShowsTheSystemsWideFigures) {
  ASSERT_TRUE(WaitUntil(TaskbarShown, Timeout(10000))) << "no icon in the notification area";
  RECT bar = {};
  ASSERT_TRUE(GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar));
  // The program's icon is the only one, at the right end.
  const POINT icon = {bar.right - 8, (bar.top + bar.bottom) / 2};
  unsigned long long freeMb = 0, totalMb = 0;
  std::string tip;
  // The first tip is the program's name; a refresh replaces it.
  const bool read = WaitUntil(
      [&] {
        HoverAt(icon);
        if (!WaitUntil([&] { return !(tip = ShownTip()).empty(); }, Timeout(2000))) return false;
        char rest[32] = {};
        if (std::sscanf(tip.c_str(), "%llu MB free of %llu MB %31[a-z ]", &freeMb, &totalMb, rest) == 3 &&
            std::string(rest) == "physical memory") {
          return true;
        }
        // Away and back, so the tooltip is shown afresh with the new text.
        HoverAt({bar.left + 4, bar.top - 40});
        Sleep(200);
        return false;
      },
      Timeout(20000));
  HoverAt({bar.left + 4, bar.top - 40});
  ASSERT_TRUE(read) << "no tip with the memory figures; last: '" << tip << "'";
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  ASSERT_TRUE(GlobalMemoryStatusEx(&m));
  std::printf("[ NOTE     ] the tip reads '%s'\n", tip.c_str());
  EXPECT_EQ(totalMb, m.ullTotalPhys >> 20) << tip;
  // The host's memory moves between the refresh and this reading.
  EXPECT_NEAR(static_cast<double>(freeMb), static_cast<double>(m.ullAvailPhys >> 20), 256.0) << tip;
}

}  // namespace
}  // namespace e2e
