#include "gui/win32/peers.h"

#include "gui/application.h"

namespace gui::win32 {

namespace {

constexpr char kFormClass[] = "TForm_Zentor";

void Attach(HWND hwnd, WindowPeer* peer) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
}

// A control's click as the user made it, from a child's notification.
void OnChildCommand(HWND child, WORD code) {
  WindowPeer* peer = WindowPeer::FromHwnd(child);
  if (peer == nullptr) return;
  TControl& control = peer->Control();
  if (control.Kind() == ControlKind::CheckBox && code == BN_CLICKED) {
    auto& box = static_cast<TCheckBox&>(control);
    const bool checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Application().Dispatch([&box, checked] { box.SetChecked(checked); });
  }
}

// The frame is ours: one black pixel, whatever the desktop theme says.
void PaintFrame(HWND hwnd) {
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  RECT r;
  GetWindowRect(hwnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
}

LRESULT HandleFormMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowPeer* peer = WindowPeer::FromHwnd(hwnd);
  if (peer == nullptr || !HasApplication()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  auto& form = static_cast<TForm&>(peer->Control());
  TApplication& app = Application();
  switch (msg) {
    case WM_CLOSE:
      app.Dispatch([&form] { form.Close(); });
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        app.NotifyMinimized();
      } else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
        app.NotifyRestored();
      }
      return 0;
    case WM_NCPAINT:
      PaintFrame(hwnd);
      return 0;
    case WM_NCACTIVATE:
      PaintFrame(hwnd);
      return TRUE;
    case WM_COMMAND:
      if (lParam != 0) OnChildCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK FormWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* peer = static_cast<WindowPeer*>(create->lpCreateParams);
    peer->SetHwnd(hwnd);
    Attach(hwnd, peer);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    Attach(hwnd, nullptr);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  // No exception may cross back into the system's dispatch.
  try {
    return HandleFormMessage(hwnd, msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void RegisterFormClass(HINSTANCE instance) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(instance, kFormClass, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassA(&wc);
}

constexpr DWORD kFormStyle = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW;

}  // namespace

WindowPeer* WindowPeer::FromHwnd(HWND hwnd) {
  return reinterpret_cast<WindowPeer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

WindowPeer::~WindowPeer() {
  if (hwnd_ != nullptr) {
    Attach(hwnd_, nullptr);
    DestroyWindow(hwnd_);
  }
}

void WindowPeer::Changed(Change what) {
  if (hwnd_ == nullptr) return;
  switch (what) {
    case Change::Bounds: ApplyBounds(); break;
    case Change::Visible: ApplyVisible(); break;
    case Change::Caption: ApplyCaption(); break;
    case Change::State: ApplyState(); break;
  }
}

void WindowPeer::ApplyBounds() {
  MoveWindow(hwnd_, control_.Left(), control_.Top(), control_.Width(), control_.Height(), TRUE);
}

void WindowPeer::ApplyVisible() { ShowWindow(hwnd_, control_.Visible() ? SW_SHOW : SW_HIDE); }

void WindowPeer::ApplyCaption() { SetWindowTextA(hwnd_, control_.Caption().c_str()); }

std::unique_ptr<Peer> FormPeer::Create(TControl& form, HINSTANCE instance) {
  RegisterFormClass(instance);
  auto peer = std::make_unique<FormPeer>(form, nullptr);
  CreateWindowExA(kFormExStyle, kFormClass, form.Caption().c_str(), kFormStyle, 0, 0, 0, 0,
                  nullptr, reinterpret_cast<HMENU>(0), instance, peer.get());
  if (peer->Hwnd() == nullptr) return nullptr;
  return peer;
}

void FormPeer::ApplyBounds() {
  // The control's size is the client area: the frame lies outside it.
  RECT r = {0, 0, Control().Width(), Control().Height()};
  AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
  SetWindowPos(Hwnd(), nullptr, Control().Left() + r.left, Control().Top() + r.top,
               r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CheckBoxPeer::ApplyState() {
  const auto& box = static_cast<const TCheckBox&>(Control());
  SendMessageA(Hwnd(), BM_SETCHECK, box.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

HWND ParentWindow(const TControl& control) {
  for (TControl* p = control.Parent(); p != nullptr; p = p->Parent()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(p->GetPeer())) return peer->Hwnd();
  }
  return nullptr;
}

std::unique_ptr<Peer> CreateChildPeer(TControl& control, HINSTANCE instance) {
  HWND parent = ParentWindow(control);
  if (parent == nullptr) return nullptr;
  const char* cls = nullptr;
  DWORD style = WS_CHILD | (control.Visible() ? WS_VISIBLE : 0);
  std::unique_ptr<WindowPeer> peer;
  switch (control.Kind()) {
    case ControlKind::CheckBox:
      cls = "BUTTON";
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      peer = std::make_unique<CheckBoxPeer>(control, nullptr);
      break;
    case ControlKind::Label:
      cls = "STATIC";
      style |= SS_LEFT;
      peer = std::make_unique<WindowPeer>(control, nullptr);
      break;
    default:
      return nullptr;
  }
  HWND hwnd = CreateWindowExA(0, cls, control.Caption().c_str(), style, control.Left(),
                              control.Top(), control.Width(), control.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.ControlId())),
                              instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  peer->SetHwnd(hwnd);
  Attach(hwnd, peer.get());
  return peer;
}

}  // namespace gui::win32
