#include "gui/win32/custom_peers.h"

#include "gui/win32/gdi_handles.h"

#include <commctrl.h>

#include "gui/chart.h"
#include "gui/application.h"

namespace gui::win32 {

namespace {

constexpr UINT_PTR kHoverTimer = 1;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
constexpr UINT kHoverPollMs = 50;

// The frame is ours: one black pixel, whatever the desktop theme says.
void PaintFrame(HWND hwnd) {
  WindowDc dc(hwnd, true);
  if (!dc) return;
  RECT r;
  GetWindowRect(hwnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  FrameRect(dc.Get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void DrawTextIn(HDC dc, const TControl& c, const std::string& text, RECT r, UINT format) {
  SelectedObject font(dc, Gdi().Font(c.Font()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, c.Enabled() ? c.Font().color : GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

}  // namespace

// --- form --------------------------------------------------------------------------------

bool FormPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto& form = static_cast<TForm&>(Control());
  TApplication& app = Application();
  // The form's own handler looks first; the normal handling always follows.
  if (form.OnMessage) {
    TMessage message{msg, wParam, lParam};
    form.DeliverMessage(message);
  }
  switch (msg) {
    case WM_CLOSE:
      app.Dispatch([&form] { form.Close(); });
      result = 0;
      return true;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        app.NotifyMinimized();
      } else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
        app.NotifyRestored();
      }
      result = 0;
      return true;
    case WM_COMMAND:
      // No control window: a menu command, which another program may post
      // too (the uninstaller ends a running instance through Exit this way).
      if (lParam == 0) {
        form.Command(LOWORD(wParam));
        result = 0;
        return true;
      }
      return WindowPeer::HandleMessage(msg, wParam, lParam, result);
    case WM_NCPAINT:
      PaintFrame(Hwnd());
      result = 0;
      return true;
    case WM_NCACTIVATE:
      PaintFrame(Hwnd());
      result = TRUE;
      return true;
    default:
      return WindowPeer::HandleMessage(msg, wParam, lParam, result);
  }
}

RECT FormPeer::FrameRect(const TControl& form) {
  RECT r = {0, 0, form.Width(), form.Height()};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  OffsetRect(&r, form.Left(), form.Top());
  return r;
}

void FormPeer::ApplyBounds() {
  const RECT r = FrameRect(Control());
  SetWindowPos(Hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::ApplyVisible() {
  if (Control().Visible()) {
    AnnounceComingOnScreen(Control());
    ShowWindow(Hwnd(), SW_SHOW);
    SetForegroundWindow(Hwnd());
  } else {
    ShowWindow(Hwnd(), SW_HIDE);
  }
}

// --- containers --------------------------------------------------------------------------------

void ContainerPeer::Paint(HDC dc) {
  const TControl& c = Control();
  RECT r = {0, 0, c.Width(), c.Height()};
  FillSolid(dc, r, c.Color());
  if (const auto* panel = dynamic_cast<const TPanel*>(&c); panel != nullptr && panel->HasBorder()) {
    HBRUSH border = Gdi().Brush(panel->BorderColor());
    FrameRect(dc, &r, border);
  }
  if (c.Kind() == ControlKind::GroupBox) {
    // An etched frame whose top runs through the middle of the caption.
    TEXTMETRICA tm;
    SIZE size = {};
    {
      SelectedObject font(dc, Gdi().Font(c.Font()));
      GetTextMetricsA(dc, &tm);
      GetTextExtentPoint32A(dc, c.Caption().c_str(), static_cast<int>(c.Caption().size()), &size);
    }
    RECT frame = {0, tm.tmHeight / 2, c.Width(), c.Height()};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!c.Caption().empty()) {
      RECT text = {8, 0, 8 + size.cx + 4, tm.tmHeight};
      FillSolid(dc, text, c.Color());
      DrawTextIn(dc, c, c.Caption(), text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

void ContainerPeer::ApplyState() {
  if (Control().Kind() == ControlKind::ScrollBox) {
    UpdateScrollBar();
    Scrolled();
  }
  Invalidate(true);
}

void ContainerPeer::UpdateScrollBar() {
  const auto& box = static_cast<const TScrollBox&>(Control());
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = box.ContentHeight() > 0 ? box.ContentHeight() - 1 : 0;
  si.nPage = static_cast<UINT>(box.Height());
  si.nPos = box.ScrollPos();
  SetScrollInfo(Hwnd(), SB_VERT, &si, OnScreen());
}

void ContainerPeer::Scrolled() {
  const auto& box = static_cast<const TWinControl&>(Control());
  for (TControl* child : box.Children()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(child->GetPeer())) peer->Changed(Change::Bounds);
  }
}

bool ContainerPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (Control().Kind() == ControlKind::ScrollBox &&
      ((msg == WM_VSCROLL && lParam == 0) || msg == WM_MOUSEWHEEL)) {
    auto& box = static_cast<TScrollBox&>(Control());
    int pos = box.ScrollPos();
    if (msg == WM_MOUSEWHEEL) {
      pos -= static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA * 30;
    } else {
      switch (LOWORD(wParam)) {
        case SB_LINEUP: pos -= 15; break;
        case SB_LINEDOWN: pos += 15; break;
        case SB_PAGEUP: pos -= box.Height(); break;
        case SB_PAGEDOWN: pos += box.Height(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = HIWORD(wParam); break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = box.ContentHeight(); break;
        default: break;
      }
    }
    Application().Dispatch([&] { box.SetScrollPos(pos); });
    result = 0;
    return true;
  }
  return WindowPeer::HandleMessage(msg, wParam, lParam, result);
}

// --- label ---------------------------------------------------------------------------------------

void LabelPeer::Paint(HDC dc) {
  const auto& label = static_cast<const TLabel&>(Control());
  RECT r = {0, 0, label.Width(), label.Height()};
  UINT format = DT_NOPREFIX | DT_WORDBREAK;
  if (label.Alignment() == TAlignment::taCenter) format |= DT_CENTER;
  if (label.Alignment() == TAlignment::taRightJustify) format |= DT_RIGHT;
  DrawTextIn(dc, label, label.Caption(), r, format);
}

// --- gauge ---------------------------------------------------------------------------------------

void GaugePeer::Paint(HDC dc) {
  const auto& g = static_cast<const TGauge&>(Control());
  RECT all = {0, 0, g.Width(), g.Height()};
  FillSolid(dc, all, g.BackColor());
  RECT bar = all;
  const int percent = g.PercentDone();
  if (g.GaugeKind() == TGaugeKind::gkHorizontalBar) {
    bar.right = all.left + (all.right - all.left) * percent / 100;
  } else {
    bar.top = all.bottom - (all.bottom - all.top) * percent / 100;
  }
  FillSolid(dc, bar, g.ForeColor());
  if (g.ShowText()) {
    // The text reads in the bar's colour over the empty part and in the
    // ground's colour over the bar.
    const std::string text = g.Text();
    TFont font = g.Font();
    font.color = g.ForeColor();
    SelectedObject selected(dc, Gdi().Font(font));
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    SetTextColor(dc, g.ForeColor());
    DrawTextA(dc, text.c_str(), -1, &all, format);
    SavedDc saved(dc);
    IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    SetTextColor(dc, g.BackColor());
    DrawTextA(dc, text.c_str(), -1, &all, format);
  }
  FrameRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void GaugePeer::ApplyState() {
  const auto& g = static_cast<const TGauge&>(Control());
  SetWindowTextA(Hwnd(), g.Text().c_str());
  if (!OnScreen()) return;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  // Long operations hold the message loop; show the new percentage now,
  // paced as GaugePaintsAtOnce has it.
  const DWORD now = GetTickCount();
  const bool paintNow = !paintedOnce_ || GaugePaintsAtOnce(g.PercentDone(), now - lastPaint_);
  if (paintNow) {
    if (!CoveredBySeeThroughAbove(g)) UpdateWindow(Hwnd());
    lastPaint_ = now;
    paintedOnce_ = true;
  }
  // A caption laid over the bar shows the bar beneath it, so it follows the
  // bar's paints.
  RefreshSeeThroughAbove(g, paintNow);
}

bool GaugePeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto& g = static_cast<const TGauge&>(Control());
  switch (msg) {
    case PBM_GETPOS:
      result = static_cast<LRESULT>(g.Progress());
      return true;
    case PBM_GETRANGE:
      // lParam may point into another process: answer by the return value.
      result = static_cast<LRESULT>(wParam ? g.MinValue() : g.MaxValue());
      return true;
    default:
      return WindowPeer::HandleMessage(msg, wParam, lParam, result);
  }
}

// --- picture button ------------------------------------------------------------------------

bool SpeedButtonPeer::SeeThrough() const {
  return static_cast<const TSpeedButton&>(Control()).Glyph().Empty();
}

void SpeedButtonPeer::Paint(HDC dc) {
  const auto& b = static_cast<const TSpeedButton&>(Control());
  const Bitmap cell = b.Cell(b.State(pressed_));
  if (!cell.Empty()) {
    DrawBitmap(dc, cell, 0, 0, cell.Width(), cell.Height());
    return;
  }
  // No picture: a plain flat button with its caption.
  RECT r = {0, 0, b.Width(), b.Height()};
  DrawEdge(dc, &r, b.Down() || pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  DrawTextIn(dc, b, b.Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool SpeedButtonPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto& b = static_cast<TSpeedButton&>(Control());
  switch (msg) {
    case BM_GETCHECK:
      result = b.Down() ? BST_CHECKED : BST_UNCHECKED;
      return true;
    case BM_GETSTATE:
      result = (b.Down() || pressed_ ? BST_PUSHED : 0) | (b.Down() ? BST_CHECKED : 0);
      return true;
    case BM_CLICK:
      if (b.Enabled()) Application().Dispatch([&b] { b.Click(); });
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      InvalidateRect(Hwnd(), nullptr, FALSE);
      break;
    case WM_LBUTTONUP:
      pressed_ = false;
      InvalidateRect(Hwnd(), nullptr, FALSE);
      break;
    default:
      break;
  }
  return WindowPeer::HandleMessage(msg, wParam, lParam, result);
}

// --- status bar --------------------------------------------------------------------------

namespace {

constexpr char kPanelClass[] = "QuorvelStatusPanel";

LRESULT CALLBACK PanelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* bar = reinterpret_cast<StatusBarPeer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_CLOSE) return 0;  // only another program asks; see KeepOpen
  if (bar == nullptr || !HasApplication()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const int index = GetDlgCtrlID(hwnd) - bar->Control().ControlId() * 10;
      Guarded([&] {
        PaintBuffered(hwnd, [bar, index](HDC dc, const RECT& r) { bar->PaintPanel(index, dc, r); });
      });
      return 0;
    }
    default:
      if (!IsPointerMessage(msg)) return DefWindowProcA(hwnd, msg, wParam, lParam);
      Guarded([&] { bar->PanelMouse(hwnd, msg, wParam, lParam); });
      return 0;
  }
}

}  // namespace

StatusBarPeer::~StatusBarPeer() {
  for (HWND panel : panels_) DestroyWindow(panel);
}

void StatusBarPeer::Setup(HINSTANCE instance) {
  instance_ = instance;
  WNDCLASSA wc = {};
  if (!GetClassInfoA(instance, kPanelClass, &wc)) {
    wc.lpfnWndProc = PanelWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kPanelClass;
    if (RegisterClassA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      RaiseSystemError("Windows could not register a window class of the program", GetLastError());
    }
  }
  Rebuild();
}

std::vector<RECT> StatusBarPeer::PanelPlaces() const {
  const auto& bar = static_cast<const TStatusBar&>(Control());
  const std::vector<int> edges = bar.PanelEdges();
  std::vector<RECT> places;
  int left = 0;
  for (int edge : edges) {
    const int right = edge < 0 ? bar.Width() : edge;
    places.push_back(RECT{left, 0, right > left ? right : left, bar.Height()});
    left = right;
  }
  return places;
}

void StatusBarPeer::Rebuild() {
  for (HWND panel : panels_) DestroyWindow(panel);
  panels_.clear();
  places_ = PanelPlaces();
  const auto& bar = static_cast<const TStatusBar&>(Control());
  for (int i = 0; i < bar.PanelCount(); ++i) {
    const RECT& r = places_[i];
    HWND panel = CreateWindowExA(
        0, kPanelClass, bar.Panel(i).text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left,
        r.top, r.right - r.left, r.bottom - r.top, Hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(bar.ControlId() * 10 + i)), instance_, nullptr);
    if (panel == nullptr) {
      RaiseSystemError("Windows could not create a control of the program", GetLastError());
    }
    SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    panels_.push_back(panel);
  }
}

void StatusBarPeer::LayOut() {
  // Only a panel whose place changed is moved: a move costs a trip to the
  // system even when it ends where it began.
  const std::vector<RECT> places = PanelPlaces();
  for (std::size_t i = 0; i < panels_.size() && i < places.size(); ++i) {
    if (i < places_.size() && SameRect(places[i], places_[i])) continue;
    const RECT& r = places[i];
    MoveWindow(panels_[i], r.left, r.top, r.right - r.left, r.bottom - r.top, OnScreen());
  }
  places_ = places;
}

void StatusBarPeer::ApplyBounds() {
  WindowPeer::ApplyBounds();
  LayOut();
}

void StatusBarPeer::ApplyState() {
  const auto& bar = static_cast<const TStatusBar&>(Control());
  if (static_cast<int>(panels_.size()) != bar.PanelCount()) {
    Rebuild();
  } else {
    LayOut();
  }
  Invalidate(false);
}

void StatusBarPeer::ItemChanged(ItemChange what, int row, int) {
  if (what != ItemChange::Cell || row < 0 || row >= static_cast<int>(panels_.size())) return;
  const auto& bar = static_cast<const TStatusBar&>(Control());
  SetWindowTextA(panels_[row], bar.Panel(row).text.c_str());
  if (OnScreen()) InvalidateRect(panels_[row], nullptr, FALSE);
}

void StatusBarPeer::Paint(HDC dc) {
  RECT r = {0, 0, Control().Width(), Control().Height()};
  FillSolid(dc, r, Control().Color());
}

void StatusBarPeer::PaintPanel(int index, HDC dc, const RECT& r) {
  const auto& bar = static_cast<const TStatusBar&>(Control());
  FillSolid(dc, r, bar.Color());
  // A hairline on top and between panels, in the frame's grey.
  RECT top = {r.left, r.top, r.right, r.top + 1};
  FillSolid(dc, top, RGBColor(176, 196, 200));
  if (index + 1 < bar.PanelCount()) {
    RECT edge = {r.right - 1, r.top + 3, r.right, r.bottom - 3};
    FillSolid(dc, edge, RGBColor(176, 196, 200));
  }
  if (index >= 0 && index < bar.PanelCount()) {
    const TStatusPanel& panel = bar.Panel(index);
    RECT text = {r.left + 4, r.top + 1, r.right - 4, r.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (panel.alignment == TAlignment::taCenter) format |= DT_CENTER;
    if (panel.alignment == TAlignment::taRightJustify) format |= DT_RIGHT;
    DrawTextIn(dc, bar, panel.text, text, format);
  }
}

void StatusBarPeer::PanelMouse(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(panel, Hwnd(), &p, 1);
  // The bar holds the capture so a drag keeps its coordinates.
  HandleMouse(msg, wParam, MAKELPARAM(p.x, p.y));
}

bool StatusBarPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == SB_GETPARTS) {
    const auto& bar = static_cast<const TStatusBar&>(Control());
    result = bar.PanelCount();
    return true;
  }
  return WindowPeer::HandleMessage(msg, wParam, lParam, result);
}

// --- chart -------------------------------------------------------------------------------------

void ChartPeer::Paint(HDC dc) {
  const auto& c = static_cast<const gui::TChart&>(Control());
  RECT all = {0, 0, c.Width(), c.Height()};
  FillSolid(dc, all, c.Color());
  const Bitmap& tile = c.BackImage();
  if (!tile.Empty()) {
    for (int y = 0; y < c.Height(); y += tile.Height()) {
      for (int x = 0; x < c.Width(); x += tile.Width()) {
        DrawBitmap(dc, tile, x, y, tile.Width(), tile.Height());
      }
    }
  }
  SavedDc saved(dc);
  IntersectClipRect(dc, 0, 0, c.Width(), c.Height());
  for (int s = 0; s < c.SeriesCount(); ++s) {
    const gui::TChartSeries& series = c.Series(s);
    const auto line = gui::SeriesPolyline(c, series, c.Width(), c.Height());
    if (line.size() < 2) continue;
    std::vector<POINT> points;
    points.reserve(line.size());
    for (const auto& [x, y] : line) points.push_back(POINT{x, y});
    UniquePen pen(CreatePen(PS_SOLID, 1, series.Color()));
    if (!pen) continue;
    SelectedObject selected(dc, pen.Get());
    Polyline(dc, points.data(), static_cast<int>(points.size()));
  }
}

// --- image ------------------------------------------------------------------------------------

bool ImagePeer::SeeThrough() const {
  return static_cast<const TImage&>(Control()).Picture().Empty();
}

void ImagePeer::Paint(HDC dc) {
  const auto& image = static_cast<const TImage&>(Control());
  const Bitmap& p = image.Picture();
  if (p.Empty()) return;
  if (image.Stretch()) {
    DrawBitmap(dc, p, 0, 0, image.Width(), image.Height());
  } else {
    DrawBitmap(dc, p, 0, 0, p.Width(), p.Height());
  }
}

void ImagePeer::CheckPointerLeft() {
  POINT p;
  GetCursorPos(&p);
  if (WindowFromPoint(p) == Hwnd()) return;
  KillTimer(Hwnd(), kHoverTimer);
  auto& image = static_cast<TImage&>(Control());
  Application().Dispatch([&image] { image.MouseLeave(); });
}

bool ImagePeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto& image = static_cast<TImage&>(Control());
  if (msg == WM_MOUSEMOVE) {
    auto* ex = dynamic_cast<TImageEx*>(&image);
    if (ex != nullptr && !ex->MouseInside()) {
      // Enter now; leaving is noticed by polling, which works on every
      // Windows this program runs on.
      Application().Dispatch([ex] { ex->MouseEnter(); });
      SetTimer(Hwnd(), kHoverTimer, kHoverPollMs, nullptr);
    }
  } else if (msg == WM_TIMER && wParam == kHoverTimer) {
    CheckPointerLeft();
    result = 0;
    return true;
  }
  return WindowPeer::HandleMessage(msg, wParam, lParam, result);
}

}  // namespace gui::win32
