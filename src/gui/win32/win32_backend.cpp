#include "gui/win32/win32_backend.h"

#include <windows.h>

#include <algorithm>

#include "gui/application.h"
#include "gui/controls.h"
#include "gui/win32/gdi_handles.h"
#include "gui/win32/message_dialog.h"
#include "gui/win32/peers.h"

namespace gui {

namespace {

constexpr char kTimerClass[] = "QuorvelTimers";

HINSTANCE Inst(void* instance) { return static_cast<HINSTANCE>(instance); }
HWND Wnd(void* hwnd) { return static_cast<HWND>(hwnd); }

// What the queue may carry that the program never posts itself and that
// would make the system follow a pointer from another program: a
// notification (only ever sent, with a record in the sender's memory) and a
// timer message naming a callback (the program uses none).
bool Deliverable(const MSG& msg) {
  if (msg.message == WM_NOTIFY) return false;
  if (msg.message == WM_TIMER && msg.lParam != 0) return false;
  return true;
}

LRESULT CALLBACK TimerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Only another program asks this window to close; closing it would end
  // every timer, and with them the refresh.
  if (msg == WM_CLOSE) return 0;
  if (msg == WM_TIMER) {
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (backend != nullptr && HasApplication()) {
      // A timer's handler runs through the runtime's dispatch already;
      // anything else thrown here is still shown.
      win32::Guarded([&] { backend->OnTimer(static_cast<unsigned>(wParam)); });
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

Win32Backend::Win32Backend(void* instance) : instance_(instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TimerWndProc;
  wc.hInstance = Inst(instance_);
  wc.lpszClassName = kTimerClass;
  if (RegisterClassA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    win32::RaiseSystemError("Windows could not register a window class of the program",
                            GetLastError());
  }
  // A hidden top-level window rather than a message-only one: the 9x family
  // has no message-only windows.
  HWND hwnd = CreateWindowExA(0, kTimerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              Inst(instance_), nullptr);
  if (hwnd == nullptr) {
    win32::RaiseSystemError("Windows could not create the program's timer window", GetLastError());
  }
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  timerWindow_ = hwnd;
}

Win32Backend::~Win32Backend() {
  for (const auto& entry : timers_) KillTimer(Wnd(timerWindow_), entry.first);
  DestroyWindow(Wnd(timerWindow_));
}

std::unique_ptr<Peer> Win32Backend::CreatePeer(TControl& control) {
  std::unique_ptr<Peer> peer = win32::CreatePeerFor(control, Inst(instance_));
  // The window was made at the control's bounds, text and visibility; the
  // rest of what the control holds it takes now, before anything is shown.
  if (auto* window = dynamic_cast<win32::WindowPeer*>(peer.get())) window->ApplyCreatedState();
  return peer;
}

std::vector<TControl*> Win32Backend::PeerCreationOrder(const TWinControl& parent) {
  return win32::StackingCreationOrder(parent);
}

std::uintptr_t Win32Backend::NativeHandle(const TControl& control) {
  auto* peer = dynamic_cast<win32::WindowPeer*>(control.GetPeer());
  return peer != nullptr ? reinterpret_cast<std::uintptr_t>(peer->Hwnd()) : 0;
}

int Win32Backend::TrackPopupMenu(TPopupMenu& menu, int x, int y) {
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return 0;
  for (const auto& item : menu.Items()) {
    if (item->IsSeparator()) {
      AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(item->CommandId()),
                  item->Caption().c_str());
    }
  }
  // The owner must be in front, or the menu does not close when the user
  // clicks elsewhere.
  HWND owner = Wnd(MainWindow());
  if (owner == nullptr) owner = Wnd(timerWindow_);
  SetForegroundWindow(owner);
  const int command = static_cast<int>(::TrackPopupMenu(
      popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  DestroyMenu(popup);
  return command;
}

std::vector<std::uint8_t> Win32Backend::LoadResource(const std::string& name) {
  HINSTANCE instance = Inst(instance_);
  HRSRC found = FindResourceA(instance, name.c_str(), reinterpret_cast<LPCSTR>(RT_RCDATA));
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(instance, found);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
  const DWORD size = SizeofResource(instance, found);
  if (data == nullptr || size == 0) return {};
  return std::vector<std::uint8_t>(data, data + size);
}

void Win32Backend::TimerChanged(TTimer& timer) {
  const auto id = static_cast<unsigned>(timer.TimerId());
  KillTimer(Wnd(timerWindow_), id);
  timers_.erase(id);
  if (timer.Enabled() && timer.Interval() > 0) {
    if (SetTimer(Wnd(timerWindow_), id, timer.Interval(), nullptr) != 0) {
      timers_[id] = &timer;
    } else if (HasApplication()) {
      // Shown, not thrown: a timer is also set back from cleanup code, and
      // a refresh that silently never comes is what this must not become.
      Application().HandleException(
          Error(win32::SystemErrorText("Windows could not start a timer of the program",
                                       GetLastError())));
    }
  }
}

void Win32Backend::OnTimer(unsigned id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second->Fire();
}

void* Win32Backend::MainWindow() const {
  if (!HasApplication() || Application().MainForm() == nullptr) return nullptr;
  auto* peer = dynamic_cast<win32::WindowPeer*>(Application().MainForm()->GetPeer());
  return peer != nullptr ? peer->Hwnd() : nullptr;
}

int Win32Backend::ShowMessageBox(const std::string& text, const std::string& caption,
                             unsigned style) {
  // Owned by the main window only while it is on screen, so a box raised
  // during start-up or from the tray is not hidden with it.
  HWND owner = Wnd(MainWindow());
  if (owner != nullptr && !IsWindowVisible(owner)) owner = nullptr;
  if ((style & mb::kButtonMask) == mb::kYesCancel) {
    return win32::ShowMessageDialog(instance_, owner, text, caption, style & mb::kIconMask,
                                    {IDYES, IDCANCEL});
  }
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}

void Win32Backend::RepaintNow(TControl& control) {
  auto* peer = dynamic_cast<win32::WindowPeer*>(control.GetPeer());
  // Off screen there is nothing to paint: the window is painted whole when it shows.
  if (peer == nullptr || peer->Hwnd() == nullptr || !peer->OnScreen()) return;
  // Every change invalidates what it alters, so painting what is invalid
  // brings the whole window up to date; painting it all again would cost a
  // paint of every control and show nothing new.
  RedrawWindow(peer->Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32Backend::RunMessageLoop(TApplication& app) {
  MSG msg;
  while (!app.Terminated()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    // Any program can post a quit to our windows; only our own ends the loop.
    if (got == 0 && !quitPosted_) continue;
    if (got == 0) break;
    if (!Deliverable(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Backend::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      if (!quitPosted_) continue;  // another program's: see RunMessageLoop
      // Leave the quit for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!Deliverable(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Backend::PostQuit() {
  quitPosted_ = true;
  PostQuitMessage(0);
}

void Win32Backend::MinimizeApplication() {
  if (HWND main = Wnd(MainWindow())) ShowWindow(main, SW_MINIMIZE);
}

void Win32Backend::RestoreApplication() {
  if (HWND main = Wnd(MainWindow())) ShowWindow(main, SW_RESTORE);
}

void Win32Backend::RenderText(Bitmap& picture, int x, int y, const std::string& text,
                              const TFont& font, TColor background) {
  if (picture.Empty()) return;
  const int w = picture.Width();
  const int h = picture.Height();
  BITMAPINFO info = win32::TopDownRgb24(w, h);
  void* bits = nullptr;
  win32::UniqueBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!section || !dc || bits == nullptr) return;
  const int stride = win32::Rgb24Stride(w);
  auto* rows = static_cast<std::uint8_t*>(bits);
  const auto& src = picture.Bgr();
  for (int row = 0; row < h; ++row) {
    std::copy_n(src.begin() + static_cast<std::ptrdiff_t>(row) * w * 3, w * 3,
                rows + static_cast<std::ptrdiff_t>(row) * stride);
  }
  // Whole pixels: at a cell of 8 or 10 pixels, smoothed glyphs blur into
  // the ground.
  win32::UniqueGdi<HFONT, win32::GdiObjectTraits> face(
      CreateFontA(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline,
                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, font.name.c_str()));
  {
    win32::SelectedObject selectedBitmap(dc.Get(), section.Get());
    win32::SelectedObject selectedFont(dc.Get(), face ? static_cast<HGDIOBJ>(face.Get())
                                                      : static_cast<HGDIOBJ>(win32::Gdi().Font(font)));
    SetBkMode(dc.Get(), OPAQUE);
    SetBkColor(dc.Get(), background);
    SetTextColor(dc.Get(), font.color);
    TextOutA(dc.Get(), x, y, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
  }
  auto& dst = picture.Bgr();
  for (int row = 0; row < h; ++row) {
    std::copy_n(rows + static_cast<std::ptrdiff_t>(row) * stride, w * 3,
                dst.begin() + static_cast<std::ptrdiff_t>(row) * w * 3);
  }
}

void Win32Backend::DesktopSize(int& width, int& height) {
  RECT r;
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
    width = r.right - r.left;
    height = r.bottom - r.top;
  } else {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
}

}  // namespace gui
