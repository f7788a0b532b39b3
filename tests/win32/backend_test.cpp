// The Win32 runtime where the system itself answers: paints that fail
// half-way, windows the system refuses to make, timers it will not start.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/controls.h"
#include "gui/win32/peers.h"
#include "gui/win32/win32_backend.h"

namespace {

// Records the boxes the runtime would show, so no test waits on one.
class RecordingBackend : public gui::Win32Backend {
 public:
  RecordingBackend() : Win32Backend(GetModuleHandleA(nullptr)) {}
  int ShowMessageBox(const std::string& text, const std::string&, unsigned) override {
    boxes.push_back(text);
    return gui::mrOk;
  }
  std::vector<std::string> boxes;
};

int paintsThatThrew = 0;

LRESULT CALLBACK ThrowingPaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    try {
      gui::win32::PaintBuffered(hwnd, [](HDC, const RECT&) {
        throw std::runtime_error("the drawing failed");
      });
    } catch (const std::runtime_error&) {
      ++paintsThatThrew;
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(PaintBuffered, ADrawingThatThrowsStillEndsItsPaint) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ThrowingPaintProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QuorvelThrowingPaint";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80,
                              nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  HDC before = GetDC(hwnd);
  ReleaseDC(hwnd, before);
  paintsThatThrew = 0;
  for (int i = 0; i < 5; ++i) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  EXPECT_EQ(paintsThatThrew, 5);
  // A paint that was never ended keeps the window's device context taken,
  // and the next request for one gets a fresh context instead.
  HDC after = GetDC(hwnd);
  ReleaseDC(hwnd, after);
  EXPECT_EQ(after, before) << "a failed paint kept its device context";
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "the window still asks to be painted";
  DestroyWindow(hwnd);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(WindowCreation, AWindowTheSystemRefusesRaisesTheReason) {
  RecordingBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  gui::TPanel panel(&form, 2);
  gui::TButton button(&panel, 3);
  EXPECT_EQ(backend.NativeHandle(form), 0u) << "a window before its form is complete";
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::string raised;
  try {
    form.CreatePeers();
  } catch (const gui::Error& e) {
    raised = e.what();
  }
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(raised.rfind("Windows could not create a window of the program", 0), 0u)
      << "raised: '" << raised << "'";
  EXPECT_EQ(backend.NativeHandle(form), 0u);

  // Once the system allows them, the next pass makes every window, each
  // inside its parent's.
  ASSERT_NO_THROW(form.CreatePeers());
  EXPECT_NE(backend.NativeHandle(form), 0u);
  EXPECT_NE(backend.NativeHandle(panel), 0u);
  EXPECT_NE(backend.NativeHandle(button), 0u);
  EXPECT_EQ(GetParent(reinterpret_cast<HWND>(backend.NativeHandle(button))),
            reinterpret_cast<HWND>(backend.NativeHandle(panel)))
      << "made parent first, inside its parent";

  // A standard control the system refuses names itself as one.
  gui::TButton late(&form, 4);
  hook = SetWindowsHookExA(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::string raisedForButton;
  try {
    form.CreatePeers();
  } catch (const gui::Error& e) {
    raisedForButton = e.what();
  }
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(raisedForButton.rfind("Windows could not create a control of the program", 0), 0u)
      << "raised: '" << raisedForButton << "'";
  ASSERT_NO_THROW(form.CreatePeers());
  EXPECT_NE(backend.NativeHandle(late), 0u);
}

// A window takes all its control held when it was made: a disabled,
// checked check box with its text and a read-only edit.
TEST(WindowCreation, AWindowMadeFromAFinishedControlShowsItsWholeState) {
  RecordingBackend backend;
  gui::TApplication app(backend);
  gui::TForm form(app, 1);
  form.SetBounds(0, 0, 300, 200);
  gui::TCheckBox box(&form, 2);
  box.SetBounds(10, 10, 120, 20);
  box.SetCaption("Tick");
  box.SetChecked(true);
  box.SetEnabled(false);
  gui::TTrackBar bar(&form, 3);
  bar.SetBounds(10, 40, 200, 30);
  bar.SetRange(1, 5);
  bar.SetPosition(4);
  form.CreatePeers();
  HWND check = reinterpret_cast<HWND>(backend.NativeHandle(box));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(check));
  char text[16] = {};
  GetWindowTextA(check, text, sizeof text);
  EXPECT_STREQ(text, "Tick");
  RECT r;
  GetWindowRect(check, &r);
  EXPECT_EQ(r.right - r.left, 120);
  HWND track = reinterpret_cast<HWND>(backend.NativeHandle(bar));
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(SendMessageA(track, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(SendMessageA(track, TBM_GETRANGEMAX, 0, 0), 5);
  EXPECT_EQ(SendMessageA(track, TBM_GETPOS, 0, 0), 4);
}

// Counts the paints the system sends to one window of this thread while it
// lives.
HWND countedWindow = nullptr;
int paintsCounted = 0;
LRESULT CALLBACK CountPaints(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_PAINT && message->hwnd == countedWindow) {
    ++paintsCounted;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PaintCounter {
 public:
  explicit PaintCounter(HWND window)
      : hook_(SetWindowsHookExA(WH_CALLWNDPROC, CountPaints, nullptr, GetCurrentThreadId())) {
    countedWindow = window;
    paintsCounted = 0;
  }
  ~PaintCounter() {
    UnhookWindowsHookEx(hook_);
    countedWindow = nullptr;
  }
  PaintCounter(const PaintCounter&) = delete;
  PaintCounter& operator=(const PaintCounter&) = delete;
  bool Hooked() const { return hook_ != nullptr; }
  int Paints() const { return paintsCounted; }

 private:
  HHOOK hook_;
};

gui::TColor PixelOf(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

// A form on the screen, painted whole, for the controls a test adds before
// Show().
struct ShownForm {
  ShownForm() { form.SetBounds(0, 0, 320, 120); }
  void Show() {
    form.CreatePeers();
    form.Show();
    app.ProcessMessages();
  }
  HWND Window(const gui::TControl& c) { return reinterpret_cast<HWND>(backend.NativeHandle(c)); }
  RecordingBackend backend;
  gui::TApplication app{backend};
  gui::TForm form{app, 1};
};

// A long operation drives the gauge without letting messages through: what
// it shows must reach the screen by paints made at once: its ends at once,
// and the steps between at most once an interval. `withCaption` lays a
// see-through caption over the bar, as the program does: the caption's
// paints then show the bar, and the bar's own window need not paint.
void CheckGaugeRun(bool withCaption) {
  ShownForm rig;
  gui::TGauge gauge(&rig.form, 2);
  gauge.SetBounds(10, 10, 200, 14);
  gauge.SetColors(gui::colors::kLime, gui::colors::kSilver);
  gauge.SetShowText(false);
  gui::TLabel caption(&rig.form, 3);
  caption.SetBounds(10, 10, 200, 14);
  caption.SetCaption("working...");
  caption.SetVisible(withCaption);
  rig.Show();
  HWND bar = rig.Window(gauge);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(IsWindowVisible(bar));
  HWND seen = withCaption ? rig.Window(caption) : bar;  // the window on top of the bar

  PaintCounter counter(seen);
  ASSERT_TRUE(counter.Hooked());
  gauge.SetMaxValue(1000);
  const DWORD start = GetTickCount();
  for (int i = 1; i <= 1000; ++i) gauge.SetProgress(i);  // a hundred changes of percentage
  const DWORD elapsed = GetTickCount() - start;
  const int runPaints = counter.Paints();
  // The finish is on the screen before any message is let through. The
  // caption's text lies in the middle; its ends show the bar.
  EXPECT_EQ(PixelOf(seen, 196, 7), gui::colors::kLime);

  // A step well after the last paint shows at once too.
  gauge.SetProgress(0);
  EXPECT_EQ(PixelOf(seen, 20, 7), gui::colors::kSilver);
  Sleep(gui::kGaugePaintIntervalMs + 10);
  gauge.SetProgress(600);
  EXPECT_EQ(PixelOf(seen, 20, 7), gui::colors::kLime);

  EXPECT_GE(runPaints, 1);
  // One paint an interval, plus the start's and the finish's.
  EXPECT_LE(runPaints, static_cast<int>(elapsed / gui::kGaugePaintIntervalMs) + 2)
      << "over " << elapsed << " ms";
}

TEST(GaugePaints, ARunShowsItsEndsAtOnceAndBetweenThemPaintsAtMostOnceAnInterval) {
  CheckGaugeRun(false);
}

TEST(GaugePaints, UnderACaptionTheCaptionsPaintsShowTheRun) { CheckGaugeRun(true); }

// Under a caption that covers it whole the bar's own window paints nothing
// on the screen: it is not painted at once, only the caption is.
TEST(GaugePaints, ABarCoveredByACaptionIsNotPaintedItself) {
  ShownForm rig;
  gui::TGauge gauge(&rig.form, 2);
  gauge.SetBounds(10, 10, 200, 14);
  gui::TLabel caption(&rig.form, 3);
  caption.SetBounds(10, 10, 200, 14);
  rig.Show();
  PaintCounter counter(rig.Window(gauge));
  ASSERT_TRUE(counter.Hooked());
  gauge.SetMaxValue(100);
  gauge.SetProgress(100);
  EXPECT_EQ(counter.Paints(), 0);
}

// A handler that holds the message loop repaints the form to show what it
// just changed: that must reach the screen, and only that is painted again.
TEST(FormRepaint, PaintsWhatChangedAtOnceAndNothingElse) {
  ShownForm rig;
  gui::TLabel changed(&rig.form, 2);
  changed.SetBounds(10, 10, 200, 20);
  changed.SetCaption("before");
  gui::TLabel untouched(&rig.form, 3);
  untouched.SetBounds(10, 50, 200, 20);
  untouched.SetCaption("the same");
  rig.Show();
  ASSERT_NE(rig.Window(changed), nullptr);
  ASSERT_NE(rig.Window(untouched), nullptr);
  {
    PaintCounter counter(rig.Window(changed));
    ASSERT_TRUE(counter.Hooked());
    changed.SetCaption("after");
    rig.form.Repaint();
    EXPECT_EQ(counter.Paints(), 1) << "the changed caption was not painted at once";
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(rig.Window(changed), &pending, FALSE));
  }
  PaintCounter counter(rig.Window(untouched));
  ASSERT_TRUE(counter.Hooked());
  rig.form.Repaint();
  EXPECT_EQ(counter.Paints(), 0) << "a control nothing changed was painted again";
}

TEST(Timers, ATimerTheSystemWillNotStartIsReported) {
  RecordingBackend backend;
  gui::TApplication app(backend);
  gui::TTimer working(app, 1);
  working.SetInterval(1000);
  working.SetEnabled(true);
  EXPECT_TRUE(backend.boxes.empty());
  // Without the window that owns the program's timers, the system starts
  // none; the program must say so rather than never refresh again.
  gui::TTimer refused(app, 2);
  refused.SetEnabled(false);
  refused.SetInterval(500);
  HWND timers = FindWindowA("QuorvelTimers", nullptr);
  ASSERT_NE(timers, nullptr);
  ASSERT_EQ(GetWindowThreadProcessId(timers, nullptr), GetCurrentThreadId());
  DestroyWindow(timers);
  refused.SetEnabled(true);
  ASSERT_EQ(backend.boxes.size(), 1u);
  EXPECT_EQ(backend.boxes[0].rfind("Windows could not start a timer of the program", 0), 0u)
      << backend.boxes[0];
}

TEST(Timers, ACloseRequestLeavesTheTimerWindowAndItsTimers) {
  RecordingBackend backend;
  gui::TApplication app(backend);
  HWND timers = FindWindowA("QuorvelTimers", nullptr);
  ASSERT_NE(timers, nullptr);
  SendMessageA(timers, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(timers));
  gui::TTimer timer(app, 1);
  int fired = 0;
  timer.OnTimer = [&] { ++fired; };
  timer.SetInterval(10);
  timer.SetEnabled(true);
  const DWORD until = GetTickCount() + 5000;
  MSG msg;
  while (fired == 0 && GetTickCount() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
  EXPECT_GT(fired, 0) << "the timer never fired";
  EXPECT_TRUE(backend.boxes.empty());
}

}  // namespace
