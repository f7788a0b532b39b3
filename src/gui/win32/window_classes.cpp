#include <map>
#include <string>

#include "gui/application.h"
#include "gui/win32/peers.h"

namespace gui::win32 {

namespace {

bool IsChildWindow(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

// Windows the system makes for a control (the arrows of a spin edit, the
// header of a list view) keep the procedure of their class; this one only
// refuses to close them.
std::map<HWND, WNDPROC>& KeptOpen() {
  static std::map<HWND, WNDPROC> procs;
  return procs;
}

// The peer of each window of ours, kept here rather than in the window's
// user data: setting that is a trip to the system for every window made.
std::map<HWND, WindowPeer*>& PeerWindows() {
  static std::map<HWND, WindowPeer*> peers;
  return peers;
}

LRESULT CALLBACK KeepOpenWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = KeptOpen().find(hwnd);
  if (it == KeptOpen().end()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const WNDPROC original = it->second;
  if (msg == WM_CLOSE) return 0;
  if (msg == WM_NCDESTROY) KeptOpen().erase(it);
  return CallWindowProcA(original, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK OwnWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* peer = static_cast<WindowPeer*>(create->lpCreateParams);
    peer->SetHwnd(hwnd);
    PeerWindows()[hwnd] = peer;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  // A window gone without its peer (its parent's went first) leaves no
  // entry behind for a later window given the same handle.
  if (msg == WM_NCDESTROY) PeerWindows().erase(hwnd);
  // Nothing in the program closes a control; a close request for one can
  // only come from another program, and the system's answer to it would
  // destroy the control under its peer.
  if (msg == WM_CLOSE && IsChildWindow(hwnd)) return 0;
  WindowPeer* peer = WindowPeer::FromHwnd(hwnd);
  if (peer != nullptr && HasApplication()) {
    LRESULT result = 0;
    bool handled = false;
    if (!Guarded([&] { handled = peer->HandleMessage(msg, wParam, lParam, result); })) return 0;
    if (handled) return result;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) return 0;  // a control: see OwnWndProc
  WindowPeer* peer = WindowPeer::FromHwnd(hwnd);
  if (peer == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  WNDPROC original = peer->originalProc;
  if (msg == WM_NCDESTROY) PeerWindows().erase(hwnd);
  if (HasApplication()) {
    LRESULT result = 0;
    bool handled = false;
    if (!Guarded([&] { handled = peer->HandleMessage(msg, wParam, lParam, result); })) return 0;
    if (handled) return result;
  }
  return CallWindowProcA(original, hwnd, msg, wParam, lParam);
}

void RegisterOwnClass(const char* name, HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, name, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = OwnWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  // The taskbar button and Alt+Tab take the large icon; the small one is
  // picked from the same group so that it is drawn for 16 pixels, not shrunk.
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.lpszClassName = name;
  if (RegisterClassExA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    RaiseSystemError("Windows could not register a window class of the program", GetLastError());
  }
}

}  // namespace

void KeepOpen(HWND hwnd) {
  if (hwnd == nullptr || KeptOpen().count(hwnd) != 0) return;
  const auto original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeepOpenWndProc)));
  if (original != nullptr) KeptOpen()[hwnd] = original;
}

bool IsPeerWindow(HWND hwnd) { return PeerOf(hwnd) != nullptr; }

WindowPeer* PeerOf(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  const auto it = PeerWindows().find(hwnd);
  if (it == PeerWindows().end()) return nullptr;
  // Only this thread's windows are ours to drive.
  if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return nullptr;
  return it->second;
}

void ForgetPeerWindow(HWND hwnd) { PeerWindows().erase(hwnd); }

HWND ParentWindow(const TControl& control) {
  for (TControl* p = control.Parent(); p != nullptr; p = p->Parent()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(p->GetPeer())) return peer->Hwnd();
  }
  return nullptr;
}

RECT PlaceOf(const TControl& control) {
  int offset = 0;
  if (auto* box = dynamic_cast<const TScrollBox*>(control.Parent())) offset = box->ScrollPos();
  RECT r = {control.Left(), control.Top() - offset, control.Left() + control.Width(),
            control.Top() - offset + control.Height()};
  return r;
}

HWND CreateOwnWindow(WindowPeer& peer, const char* className, DWORD style, DWORD exStyle,
                     HINSTANCE instance, const RECT* place) {
  RegisterOwnClass(className, instance);
  const TControl& c = peer.Control();
  HWND parent = ParentWindow(c);
  const RECT r = place != nullptr ? *place : PlaceOf(c);
  if (parent != nullptr) style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (c.Visible()) style |= WS_VISIBLE;
  HWND hwnd = CreateWindowExA(
      exStyle, className, c.Caption().c_str(), style, r.left, r.top, r.right - r.left,
      r.bottom - r.top, parent,
      parent != nullptr ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.ControlId())) : nullptr,
      instance, &peer);
  if (hwnd == nullptr) {
    const DWORD error = GetLastError();
    peer.SetHwnd(nullptr);  // a window refused after its first message is gone again
    RaiseSystemError("Windows could not create a window of the program", error);
  }
  return peer.Hwnd();
}

HWND CreateStandardWindow(WindowPeer& peer, const char* className, DWORD style, DWORD exStyle,
                          HINSTANCE instance) {
  const TControl& c = peer.Control();
  HWND parent = ParentWindow(c);
  if (parent == nullptr) return nullptr;
  const RECT r = PlaceOf(c);
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (c.Visible()) style |= WS_VISIBLE;
  HWND hwnd = CreateWindowExA(exStyle, className, c.Caption().c_str(), style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.ControlId())),
                              instance, nullptr);
  if (hwnd == nullptr) {
    RaiseSystemError("Windows could not create a control of the program", GetLastError());
  }
  peer.SetHwnd(hwnd);
  PeerWindows()[hwnd] = &peer;
  peer.originalProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassWndProc)));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Gdi().Font(c.Font())), 0);
  return hwnd;
}

}  // namespace gui::win32
