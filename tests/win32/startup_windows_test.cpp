// The windows of a form made while it is still hidden: each made once, in
// its place and its stacking order, and nothing moved, raised or laid out
// again before the form first shows.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/controls.h"
#include "gui/win32/win32_backend.h"

namespace {

class QuietBackend : public gui::Win32Backend {
 public:
  QuietBackend() : Win32Backend(GetModuleHandleA(nullptr)) {}
  int ShowMessageBox(const std::string& text, const std::string&, unsigned) override {
    ADD_FAILURE() << "box: " << text;
    return gui::mrOk;
  }
};

HWND Window(gui::Win32Backend& backend, const gui::TControl& c) {
  return reinterpret_cast<HWND>(backend.NativeHandle(c));
}

// The control ids of a window's children, top of the stack first.
std::vector<int> Stack(HWND parent) {
  std::vector<int> ids;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ids.push_back(GetDlgCtrlID(c));
  }
  return ids;
}

// Counts the moves, resizes, raises and showings the system tells windows of
// this thread about: each SetWindowPos, MoveWindow and ShowWindow sends one.
int positionChanges = 0;
LRESULT CALLBACK CountPositionChanges(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_WINDOWPOSCHANGING) {
    ++positionChanges;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PositionChangeCounter {
 public:
  PositionChangeCounter()
      : hook_(SetWindowsHookExA(WH_CALLWNDPROC, CountPositionChanges, nullptr, GetCurrentThreadId())) {
    positionChanges = 0;
  }
  ~PositionChangeCounter() { UnhookWindowsHookEx(hook_); }
  PositionChangeCounter(const PositionChangeCounter&) = delete;
  PositionChangeCounter& operator=(const PositionChangeCounter&) = delete;
  bool Hooked() const { return hook_ != nullptr; }
  int Count() const { return positionChanges; }
  void Reset() { positionChanges = 0; }

 private:
  HHOOK hook_;
};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// What making a hidden top-level window and one visible child in it costs
// in position changes on this system, with nothing done to either
// afterwards: the yardstick for a form's windows.
struct PlainCost {
  int topLevel = 0;
  int child = 0;
};

PlainCost PositionChangesOfPlainWindows() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QuorvelPlainWindow";
  RegisterClassA(&wc);
  PlainCost cost;
  PositionChangeCounter counter;
  EXPECT_TRUE(counter.Hooked());
  HWND top = CreateWindowExA(WS_EX_APPWINDOW, wc.lpszClassName, "", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                             10, 10, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  cost.topLevel = counter.Count();
  counter.Reset();
  HWND child = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 5, 5,
                               50, 20, top, reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
  cost.child = counter.Count();
  EXPECT_NE(child, nullptr);
  // The yardstick itself must see a move: otherwise the count below could
  // not tell one.
  counter.Reset();
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(counter.Count(), 1) << "a raise went uncounted";
  DestroyWindow(top);
  return cost;
}

TEST(StartupWindows, PicturesAndLabelsLieOverTheirSiblingsWithoutBeingRaised) {
  const PlainCost plain = PositionChangesOfPlainWindows();
  QuietBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  form.SetBounds(40, 40, 400, 300);
  gui::TPanel ground(&form, 2);
  ground.SetBounds(0, 0, 400, 300);
  gui::TImage picture(&ground, 10);
  picture.SetBounds(0, 0, 400, 100);
  gui::TLabel caption(&ground, 11);
  caption.SetBounds(10, 10, 100, 14);
  gui::TPanel box(&ground, 12);
  box.SetBounds(0, 120, 200, 100);
  gui::TEdit edit(&ground, 13);
  edit.SetBounds(10, 230, 100, 20);
  gui::TPanel key(&ground, 14);
  key.SetBounds(20, 20, 8, 8);
  gui::TGauge gauge(&ground, 15);
  gauge.SetBounds(0, 260, 300, 18);
  gui::TLabel overKey(&ground, 16);
  overKey.SetBounds(30, 20, 60, 13);
  key.BringToFront();
  overKey.BringToFront();

  PositionChangeCounter counter;
  ASSERT_TRUE(counter.Hooked());
  form.CreatePeers();
  // Labels, pictures and gauges over their earlier siblings, the last on
  // top, and with them the controls brought to front in the order they
  // were; panels and standard controls beneath, in the order they were made.
  EXPECT_EQ(Stack(Window(backend, ground)), (std::vector<int>{16, 14, 15, 11, 10, 12, 13}));
  // Every window was made where it ends up, the form's frame included:
  // no more position changes than making the windows takes.
  const int children = 8;
  EXPECT_LE(counter.Count(), plain.topLevel + children * plain.child)
      << "windows were moved, raised or shown again after they were made";
  RECT client = {0, 0, 0, 0};
  GetClientRect(Window(backend, form), &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 300);
  POINT origin = {0, 0};
  ClientToScreen(Window(backend, form), &origin);
  EXPECT_EQ(origin.x, 40);
  EXPECT_EQ(origin.y, 40);
}

TEST(StartupWindows, AControlAddedLaterStillLiesOverItsSiblings) {
  QuietBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  form.SetBounds(0, 0, 300, 200);
  gui::TPanel ground(&form, 2);
  ground.SetBounds(0, 0, 300, 200);
  gui::TLabel first(&ground, 10);
  gui::TPanel box(&ground, 11);
  form.CreatePeers();
  ASSERT_EQ(Stack(Window(backend, ground)), (std::vector<int>{10, 11}));
  gui::TLabel late(&ground, 12);
  gui::TPanel lateBox(&ground, 13);
  form.CreatePeers();
  EXPECT_EQ(Stack(Window(backend, ground)), (std::vector<int>{12, 10, 11, 13}));
}

TEST(StartupWindows, AStatusBarsPanelsAreMadeInTheirPlaces) {
  QuietBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  form.SetBounds(0, 0, 400, 100);
  gui::TStatusBar bar(&form, 7);
  bar.SetBounds(0, 80, 400, 20);
  bar.AddPanel(100, gui::TAlignment::taCenter);
  bar.AddPanel(150, gui::TAlignment::taCenter);
  bar.AddPanel(50, gui::TAlignment::taLeftJustify);
  form.CreatePeers();
  const auto place = [&](int index) {
    HWND panel = GetDlgItem(Window(backend, bar), 70 + index);
    RECT r = {-1, -1, -1, -1};
    if (panel != nullptr) {
      GetWindowRect(panel, &r);
      MapWindowPoints(nullptr, Window(backend, bar), reinterpret_cast<POINT*>(&r), 2);
    }
    return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(place(0), (std::vector<LONG>{0, 0, 100, 20}));
  EXPECT_EQ(place(1), (std::vector<LONG>{100, 0, 250, 20}));
  EXPECT_EQ(place(2), (std::vector<LONG>{250, 0, 400, 20}));
  // A change that leaves the panels where they are moves none of them.
  PositionChangeCounter counter;
  ASSERT_TRUE(counter.Hooked());
  bar.SetColor(gui::colors::kSilver);
  bar.SetColor(gui::colors::kBlue);
  EXPECT_EQ(counter.Count(), 0) << "panels were moved to where they were";
}

// Rows filled while the form is hidden are laid out once it shows: the
// list's scroll bar covers every row then.
TEST(StartupWindows, AListFilledOffScreenIsLaidOutWhenItShows) {
  QuietBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  form.SetBounds(0, 0, 300, 200);
  gui::TListView list(&form, 2);
  list.SetBounds(0, 0, 300, 120);
  list.AddColumn({"Name", gui::TAlignment::taLeftJustify, 200});
  form.CreatePeers();
  for (int i = 0; i < 60; ++i) list.AddRow({"row " + std::to_string(i)});
  HWND hwnd = Window(backend, list);
  ASSERT_EQ(SendMessageA(hwnd, LVM_GETITEMCOUNT, 0, 0), 60);
  form.ShowForm();
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  ASSERT_TRUE(GetScrollInfo(hwnd, SB_VERT, &si)) << "the list shows no scroll bar for 60 rows";
  EXPECT_GE(si.nMax - si.nMin + 1, 60) << "the scroll range leaves rows out";
  EXPECT_TRUE(IsWindowVisible(hwnd));
  // Rows added on screen appear as they come, as before.
  list.AddRow({"late"});
  EXPECT_EQ(SendMessageA(hwnd, LVM_GETITEMCOUNT, 0, 0), 61);
  form.HideForm();
}

}  // namespace
