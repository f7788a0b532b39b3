#include "gui/win32/peers.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/win32/gdi_handles.h"
#include "gui/win32/standard_peers.h"
#include "gui/win32/custom_peers.h"

namespace gui::win32 {

// --- shared GDI objects ---------------------------------------------------------

GdiCache::~GdiCache() {
  for (auto& entry : fonts_) DeleteObject(entry.second);
  for (auto& entry : brushes_) DeleteObject(entry.second);
}

HBRUSH GdiCache::Brush(TColor color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(color);
  brushes_[color] = b;
  return b;
}

HFONT GdiCache::Font(const TFont& font) {
  const std::string key = font.name + "|" + std::to_string(font.height) + "|" +
                          (font.bold ? "b" : "") + (font.underline ? "u" : "");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HFONT f = CreateFontA(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                        font.underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                        font.name.c_str());
  fonts_[key] = f;
  return f;
}

GdiCache& Gdi() {
  static GdiCache cache;
  return cache;
}

// --- drawing helpers ------------------------------------------------------------

void FillSolid(HDC dc, const RECT& r, TColor color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void DrawBitmap(HDC dc, const Bitmap& bitmap, int x, int y, int width, int height) {
  if (bitmap.Empty() || width <= 0 || height <= 0) return;
  // Device-independent rows are padded to four bytes.
  const int stride = Rgb24Stride(bitmap.Width());
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * bitmap.Height());
  const auto& src = bitmap.Bgr();
  for (int row = 0; row < bitmap.Height(); ++row) {
    std::copy_n(src.begin() + static_cast<std::ptrdiff_t>(row) * bitmap.Width() * 3,
                bitmap.Width() * 3, rows.begin() + static_cast<std::ptrdiff_t>(row) * stride);
  }
  BITMAPINFO info = TopDownRgb24(bitmap.Width(), bitmap.Height());
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, x, y, width, height, 0, 0, bitmap.Width(), bitmap.Height(), rows.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
}

std::string SystemErrorText(const std::string& what, DWORD error) {
  std::string text = what;
  const std::string reason = platform::win32::SystemMessage(error);
  if (!reason.empty()) {
    text += ": " + reason;
  } else if (error != 0) {
    char code[32];
    wsprintfA(code, " (error %lu)", static_cast<unsigned long>(error));
    text += code;
  }
  return text + ".";
}

bool Guarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    Application().HandleException(e);
  } catch (...) {
    Application().HandleUnknownException();
  }
  return false;
}

void RaiseSystemError(const std::string& what, DWORD error) {
  throw Error(SystemErrorText(what, error));
}

namespace {
// BeginPaint and EndPaint as a pair: a drawing that throws must still end
// its paint, or the window's device context stays taken and each later
// paint takes another.
class PaintSession {
 public:
  explicit PaintSession(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintSession() { EndPaint(hwnd_, &ps_); }
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_;
  HDC dc_;
};
}  // namespace

void PaintBuffered(HWND hwnd, const std::function<void(HDC dc, const RECT& client)>& draw) {
  PaintSession paint(hwnd);
  HDC dc = paint.Dc();
  if (dc == nullptr) return;
  RECT client;
  GetClientRect(hwnd, &client);
  {
    UniqueMemoryDc mem(CreateCompatibleDC(dc));
    UniqueBitmap buffer(CreateCompatibleBitmap(dc, client.right > 0 ? client.right : 1,
                                               client.bottom > 0 ? client.bottom : 1));
    if (mem && buffer) {
      SelectedObject selected(mem.Get(), buffer.Get());
      draw(mem.Get(), client);
      BitBlt(dc, 0, 0, client.right, client.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
  }
}

void PaintControlAt(const TControl& control, HDC dc, int dx, int dy) {
  auto* peer = dynamic_cast<WindowPeer*>(control.GetPeer());
  if (peer == nullptr) return;
  SavedDc saved(dc);
  POINT old;
  OffsetViewportOrgEx(dc, dx, dy, &old);
  IntersectClipRect(dc, 0, 0, control.Width(), control.Height());
  if (peer->SeeThrough()) PaintBeneath(control, dc);
  peer->Paint(dc);
}

void PaintBeneath(const TControl& control, HDC dc) {
  const TWinControl* parent = control.Parent();
  RECT all = {0, 0, control.Width(), control.Height()};
  if (parent == nullptr) {
    FillSolid(dc, all, control.Color());
    return;
  }
  FillSolid(dc, all, parent->Color());
  for (const TControl* sibling : parent->Children()) {
    if (sibling == &control) break;
    if (!sibling->Visible()) continue;
    const ControlKind k = sibling->Kind();
    if (k != ControlKind::Image && k != ControlKind::SpeedButton && k != ControlKind::Label &&
        k != ControlKind::Gauge && k != ControlKind::Chart) {
      continue;
    }
    RECT mine = {control.Left(), control.Top(), control.Left() + control.Width(),
                 control.Top() + control.Height()};
    RECT theirs = {sibling->Left(), sibling->Top(), sibling->Left() + sibling->Width(),
                   sibling->Top() + sibling->Height()};
    RECT overlap;
    if (!IntersectRect(&overlap, &mine, &theirs)) continue;
    PaintControlAt(*sibling, dc, sibling->Left() - control.Left(), sibling->Top() - control.Top());
  }
}

// --- stacking -------------------------------------------------------------------------

bool StacksOverSiblings(const TControl& control) {
  switch (control.Kind()) {
    case ControlKind::Label:
    case ControlKind::Gauge:
    case ControlKind::SpeedButton:
    case ControlKind::Image:
      return true;
    default:
      return control.BroughtToFront();
  }
}

std::vector<TControl*> StackingCreationOrder(const TWinControl& parent) {
  const std::vector<TControl*>& children = parent.Children();
  for (const TControl* child : children) {
    if (child->GetPeer() != nullptr) return children;
  }
  std::vector<TControl*> order;
  order.reserve(children.size());
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (StacksOverSiblings(**it)) order.push_back(*it);
  }
  for (TControl* child : children) {
    if (!StacksOverSiblings(*child)) order.push_back(child);
  }
  return order;
}

bool MustRaiseOnCreation(const TControl& control) {
  if (!StacksOverSiblings(control) || control.Parent() == nullptr) return false;
  bool earlier = true;
  for (const TControl* sibling : control.Parent()->Children()) {
    if (sibling == &control) {
      earlier = false;
      continue;
    }
    // Beneath it: everything that does not lie over its siblings, and the
    // earlier of those that do.
    const bool beneath = earlier || !StacksOverSiblings(*sibling);
    if (beneath && sibling->GetPeer() != nullptr) return true;
  }
  return false;
}

// --- the peer base -------------------------------------------------------------------

void WindowPeer::ApplyCreatedState() {
  if (hwnd_ == nullptr) return;
  if (!Control().Enabled()) ApplyEnabled();
  if (MustRaiseOnCreation(Control())) {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ApplyState();
}

void WindowPeer::Invalidate(bool erase) const {
  if (OnScreen()) InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
}

WindowPeer* WindowPeer::FromHwnd(HWND hwnd) { return PeerOf(hwnd); }

WindowPeer::~WindowPeer() {
  if (hwnd_ == nullptr) return;
  ForgetPeerWindow(hwnd_);
  if (originalProc != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc));
  }
  DestroyWindow(hwnd_);
}

void WindowPeer::Changed(Change what) {
  if (hwnd_ == nullptr) return;
  switch (what) {
    case Change::Bounds: ApplyBounds(); break;
    case Change::Visible: ApplyVisible(); break;
    case Change::Caption: ApplyCaption(); break;
    case Change::Enabled: ApplyEnabled(); break;
    case Change::Order:
      SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case Change::State:
    case Change::Picture:
    case Change::Items: ApplyState(); break;
  }
}

namespace {
// Children of a scrolled box sit higher by its scroll position.
int ScrollOffset(const TControl& control) {
  auto* box = dynamic_cast<const TScrollBox*>(control.Parent());
  return box != nullptr ? box->ScrollPos() : 0;
}
}  // namespace

void WindowPeer::ApplyBounds() {
  MoveWindow(hwnd_, control_.Left(), control_.Top() - ScrollOffset(control_), control_.Width(),
             control_.Height(), TRUE);
}

void AnnounceComingOnScreen(const TControl& control) {
  if (auto* peer = dynamic_cast<WindowPeer*>(control.GetPeer())) peer->ComingOnScreen();
  if (const auto* win = dynamic_cast<const TWinControl*>(&control)) {
    for (const TControl* child : win->Children()) {
      if (child->Visible()) AnnounceComingOnScreen(*child);
    }
  }
}

void WindowPeer::ApplyVisible() {
  if (OnScreen()) AnnounceComingOnScreen(control_);
  ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
  // What shows through a see-through control above has just changed.
  RefreshSeeThroughAbove(control_, false);
}

namespace {
// Calls `visit` with the window of every visible see-through sibling above
// `control` that overlaps it, and with the overlap.
template <typename Visit>
void ForEachSeeThroughAbove(const TControl& control, Visit visit) {
  const TWinControl* parent = control.Parent();
  if (parent == nullptr || !parent->Showing()) return;
  const RECT mine = {control.Left(), control.Top(), control.Left() + control.Width(),
                     control.Top() + control.Height()};
  bool above = false;
  for (const TControl* sibling : parent->Children()) {
    if (sibling == &control) {
      above = true;
      continue;
    }
    if (!above || !sibling->Visible()) continue;
    auto* peer = dynamic_cast<WindowPeer*>(sibling->GetPeer());
    if (peer == nullptr || peer->Hwnd() == nullptr || !peer->SeeThrough()) continue;
    const RECT theirs = {sibling->Left(), sibling->Top(), sibling->Left() + sibling->Width(),
                         sibling->Top() + sibling->Height()};
    RECT overlap;
    if (IntersectRect(&overlap, &mine, &theirs)) visit(peer->Hwnd(), overlap, mine);
  }
}
}  // namespace

void RefreshSeeThroughAbove(const TControl& control, bool now) {
  ForEachSeeThroughAbove(control, [now](HWND window, const RECT&, const RECT&) {
    InvalidateRect(window, nullptr, FALSE);
    if (now) UpdateWindow(window);
  });
}

bool CoveredBySeeThroughAbove(const TControl& control) {
  bool covered = false;
  ForEachSeeThroughAbove(control, [&covered](HWND, const RECT& overlap, const RECT& mine) {
    if (overlap.left == mine.left && overlap.top == mine.top && overlap.right == mine.right &&
        overlap.bottom == mine.bottom) {
      covered = true;
    }
  });
  return covered;
}

void WindowPeer::ApplyCaption() {
  SetWindowTextA(hwnd_, control_.Caption().c_str());
  Invalidate(true);
}

namespace {

TShiftState ShiftFrom(WPARAM wParam) {
  TShiftState s = 0;
  if (wParam & MK_SHIFT) s |= shift::kShift;
  if (wParam & MK_CONTROL) s |= shift::kCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= shift::kAlt;
  if (wParam & MK_LBUTTON) s |= shift::kLeft;
  if (wParam & MK_RBUTTON) s |= shift::kRight;
  if (wParam & MK_MBUTTON) s |= shift::kMiddle;
  return s;
}

// Routes a child's notification to the child's own peer.
WindowPeer* ChildPeer(HWND child) { return WindowPeer::FromHwnd(child); }

}  // namespace

bool WindowPeer::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  TControl& c = control_;
  TApplication& app = Application();
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const TMouseButton b = msg == WM_LBUTTONDOWN   ? TMouseButton::mbLeft
                             : msg == WM_RBUTTONDOWN ? TMouseButton::mbRight
                                                     : TMouseButton::mbMiddle;
      SetCapture(hwnd_);
      app.Dispatch([&] { c.MouseDown(b, ShiftFrom(wParam), x, y); });
      return true;
    }
    case WM_MOUSEMOVE:
      app.Dispatch([&] { c.MouseMove(ShiftFrom(wParam), x, y); });
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const TMouseButton b = msg == WM_LBUTTONUP   ? TMouseButton::mbLeft
                             : msg == WM_RBUTTONUP ? TMouseButton::mbRight
                                                   : TMouseButton::mbMiddle;
      if (GetCapture() == hwnd_) ReleaseCapture();
      app.Dispatch([&] { c.MouseUp(b, ShiftFrom(wParam), x, y); });
      RECT r;
      GetClientRect(hwnd_, &r);
      const POINT p = {x, y};
      if (b == TMouseButton::mbLeft && PtInRect(&r, p) && c.Enabled()) {
        app.Dispatch([&] { c.Click(); });
      }
      return true;
    }
    default:
      return false;
  }
}

bool WindowPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;  // painting covers everything, from a back buffer
      return true;
    case WM_PAINT:
      PaintBuffered(hwnd_, [this](HDC mem, const RECT& client) {
        if (SeeThrough()) {
          PaintBeneath(control_, mem);
        } else {
          FillSolid(mem, client, control_.Color());
        }
        Paint(mem);
      });
      result = 0;
      return true;
    case WM_COMMAND:
      if (lParam != 0) {
        if (WindowPeer* child = ChildPeer(reinterpret_cast<HWND>(lParam))) {
          child->OnCommand(HIWORD(wParam));
        }
      }
      result = 0;
      return true;
    case WM_NOTIFY: {
      // Our controls notify from this thread with a record of their own;
      // the pointer of a notification from anywhere else means nothing
      // here and may not even be readable.
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      result = 0;
      if (InSendMessage() || header == nullptr || IsBadReadPtr(header, sizeof(NMHDR))) {
        return true;
      }
      WindowPeer* child = ChildPeer(header->hwndFrom);
      if (child != nullptr && GetParent(header->hwndFrom) == hwnd_) result = child->OnNotify(header);
      return true;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam != 0) {
        if (WindowPeer* child = ChildPeer(reinterpret_cast<HWND>(lParam))) {
          child->OnScroll(LOWORD(wParam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Check boxes and static texts take the colour of their own control.
      WindowPeer* child = ChildPeer(reinterpret_cast<HWND>(lParam));
      const TColor color = child != nullptr ? child->Control().Color() : control_.Color();
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, color);
      SetTextColor(dc, child != nullptr ? child->Control().Font().color : colors::kBlack);
      result = reinterpret_cast<LRESULT>(Gdi().Brush(color));
      return true;
    }
    case WM_SETCURSOR:
      if (control_.Cursor() == TCursor::crHandPoint && LOWORD(lParam) == HTCLIENT) {
        // The hand cursor came with Windows 98 and 2000; older systems get
        // the arrow.
        HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(32649));
        SetCursor(hand != nullptr ? hand : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
        result = TRUE;
        return true;
      }
      return false;
    default:
      if (IsPointerMessage(msg) && HandleMouse(msg, wParam, lParam)) {
        result = 0;
        return true;
      }
      return false;
  }
}

}  // namespace gui::win32
