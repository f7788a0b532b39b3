// The Win32 runtime where the system itself answers: paints that fail
// half-way, windows the system refuses to make, timers it will not start.

#include <windows.h>

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
  ASSERT_NE(backend.NativeHandle(form), 0u);
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::string raised;
  try {
    gui::TPanel panel(&form, 2);
  } catch (const gui::Error& e) {
    raised = e.what();
  }
  std::string raisedForButton;
  try {
    gui::TButton button(&form, 3);
  } catch (const gui::Error& e) {
    raisedForButton = e.what();
  }
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(raised.rfind("Windows could not create a window of the program", 0), 0u)
      << "raised: '" << raised << "'";
  EXPECT_EQ(raisedForButton.rfind("Windows could not create a control of the program", 0), 0u)
      << "raised: '" << raisedForButton << "'";
  EXPECT_TRUE(form.Children().empty()) << "a control whose window failed stayed on the form";
  // Made again once the system allows it.
  gui::TPanel panel(&form, 4);
  EXPECT_NE(backend.NativeHandle(panel), 0u);
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
