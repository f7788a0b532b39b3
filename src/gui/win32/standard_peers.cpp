#include "gui/win32/standard_peers.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/application.h"

namespace gui::win32 {

namespace {

TShiftState KeyShift() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= shift::kShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= shift::kCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= shift::kAlt;
  return s;
}

std::string WindowTextOf(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(hwnd, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int AlignmentFormat(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify: return LVCFMT_RIGHT;
    case TAlignment::taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

}  // namespace

bool StandardPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      // The control sees the mouse too; the system's handling goes on.
      const bool hasMouseEvents = Control().OnMouseDown || Control().OnMouseMove;
      if (hasMouseEvents) {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        TShiftState s = KeyShift();
        if (wParam & MK_LBUTTON) s |= shift::kLeft;
        TControl& c = Control();
        if (msg == WM_LBUTTONDOWN) {
          SetCapture(Hwnd());
          Application().Dispatch([&] { c.MouseDown(TMouseButton::mbLeft, s, x, y); });
        } else if (msg == WM_MOUSEMOVE) {
          Application().Dispatch([&] { c.MouseMove(s, x, y); });
        } else {
          if (GetCapture() == Hwnd()) ReleaseCapture();
          Application().Dispatch([&] { c.MouseUp(TMouseButton::mbLeft, s, x, y); });
        }
      }
      return false;
    }
    default:
      return false;
  }
  (void)result;
}

void StandardPeer::ApplyState() {
  SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(Gdi().Font(Control().Font())),
               OnScreen());
  Invalidate(true);
}

void ButtonPeer::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  TControl& c = Control();
  Application().Dispatch([&c] { c.Click(); });
}

void CheckBoxPeer::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  auto& box = static_cast<TCheckBox&>(Control());
  const bool checked = SendMessageA(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  Application().Dispatch([&box, checked] { box.SetChecked(checked); });
}

void CheckBoxPeer::ApplyState() {
  const auto& box = static_cast<const TCheckBox&>(Control());
  SendMessageA(Hwnd(), BM_SETCHECK, box.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  StandardPeer::ApplyState();
}

void EditPeer::OnCommand(WORD code) {
  if (code != EN_CHANGE) return;
  auto& edit = static_cast<TEdit&>(Control());
  const std::string text = WindowTextOf(Hwnd());
  Application().Dispatch([&edit, text] { edit.SetText(text); });
}

bool EditPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYUP) {
    auto& edit = static_cast<TEdit&>(Control());
    auto key = static_cast<std::uint16_t>(wParam);
    // Shift and Ctrl from the keyboard state, Alt from the message itself:
    // its context bit is what marks a key pressed with Alt held.
    TShiftState s = KeyShift() & ~shift::kAlt;
    if (lParam & (1L << 29)) s |= shift::kAlt;
    const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    Application().Dispatch([&] {
      if (down) {
        edit.KeyDown(key, s);
      } else {
        edit.KeyUp(key, s);
      }
    });
    if (down) swallowChars_ = key == 0;
    if (key == 0) {
      result = 0;  // the handler swallowed the key
      return true;
    }
    return false;
  }
  if ((msg == WM_CHAR || msg == WM_SYSCHAR) && swallowChars_) {
    // A key a handler swallowed must not type a character either.
    result = 0;
    return true;
  }
  return StandardPeer::HandleMessage(msg, wParam, lParam, result);
}

void EditPeer::ApplyState() {
  const auto& edit = static_cast<const TEdit&>(Control());
  SendMessageA(Hwnd(), EM_SETREADONLY, edit.ReadOnly(), 0);
  StandardPeer::ApplyState();
}

SpinEditPeer::SpinEditPeer(TControl& control, HINSTANCE) : EditPeer(control) {}

SpinEditPeer::~SpinEditPeer() {
  if (arrows_ != nullptr) DestroyWindow(arrows_);
}

void SpinEditPeer::Create(HINSTANCE instance) {
  const TControl& c = Control();
  const RECT r = PlaceOf(c);
  arrows_ = CreateWindowExA(0, UPDOWN_CLASSA, "",
                            WS_CHILD | WS_CLIPSIBLINGS | (c.Visible() ? WS_VISIBLE : 0),
                            r.right - kArrowsWidth, r.top, kArrowsWidth, r.bottom - r.top,
                            ParentWindow(c), nullptr, instance, nullptr);
  if (arrows_ == nullptr) {
    RaiseSystemError("Windows could not create a control of the program", GetLastError());
  }
  KeepOpen(arrows_);
  // Notifications from the arrows come to this peer.
  SetWindowLongPtrA(arrows_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(arrows_, UDM_SETRANGE32, 0, 100);
  ApplyBounds();
}

void SpinEditPeer::ApplyBounds() {
  const RECT r = PlaceOf(Control());
  MoveWindow(Hwnd(), r.left, r.top, r.right - r.left - kArrowsWidth, r.bottom - r.top, TRUE);
  if (arrows_ != nullptr) {
    MoveWindow(arrows_, r.right - kArrowsWidth, r.top, kArrowsWidth, r.bottom - r.top, TRUE);
  }
}

void SpinEditPeer::ApplyVisible() {
  EditPeer::ApplyVisible();
  if (arrows_ != nullptr) ShowWindow(arrows_, Control().Visible() ? SW_SHOWNA : SW_HIDE);
}

void SpinEditPeer::ApplyEnabled() {
  EditPeer::ApplyEnabled();
  if (arrows_ != nullptr) EnableWindow(arrows_, Control().Enabled());
}

LRESULT SpinEditPeer::OnNotify(NMHDR* header) {
  if (header->hwndFrom != arrows_ || header->code != UDN_DELTAPOS) return 0;
  const auto* delta = reinterpret_cast<NMUPDOWN*>(header);
  auto& spin = static_cast<TSpinEdit&>(Control());
  const int direction = delta->iDelta > 0 ? 1 : -1;
  Application().Dispatch([&spin, direction] { spin.Step(direction); });
  return 1;  // the arrows keep no position of their own
}

void TrackBarPeer::OnScroll(WORD) {
  auto& bar = static_cast<TTrackBar&>(Control());
  const int pos = static_cast<int>(SendMessageA(Hwnd(), TBM_GETPOS, 0, 0));
  Application().Dispatch([&bar, pos] { bar.SetPosition(pos); });
}

void TrackBarPeer::ApplyState() {
  const auto& bar = static_cast<const TTrackBar&>(Control());
  SendMessageA(Hwnd(), TBM_SETRANGEMIN, FALSE, bar.Min());
  SendMessageA(Hwnd(), TBM_SETRANGEMAX, FALSE, bar.Max());
  SendMessageA(Hwnd(), TBM_SETPOS, TRUE, bar.Position());
}

// --- list view ------------------------------------------------------------------------------

void ListViewPeer::Setup() {
  const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_FLATSB;
  SendMessageA(Hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  KeepOpen(reinterpret_cast<HWND>(SendMessageA(Hwnd(), LVM_GETHEADER, 0, 0)));
  SetColumns();
  const auto& list = static_cast<const TListView&>(Control());
  if (list.Count() > 0) HoldDrawingOffScreen();
  for (int row = 0; row < list.Count(); ++row) InsertRow(row);
}

void ListViewPeer::HoldDrawingOffScreen() {
  if (drawingHeld_ || OnScreen()) return;
  SendMessageA(Hwnd(), WM_SETREDRAW, FALSE, 0);
  drawingHeld_ = true;
}

void ListViewPeer::ComingOnScreen() {
  if (!drawingHeld_) return;
  drawingHeld_ = false;
  SendMessageA(Hwnd(), WM_SETREDRAW, TRUE, 0);
}

void ListViewPeer::SetColumns() {
  const auto& list = static_cast<const TListView&>(Control());
  const auto& columns = list.Columns();
  for (int i = columnsShown_; i < static_cast<int>(columns.size()); ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = AlignmentFormat(columns[i].alignment);
    col.cx = columns[i].width;
    col.pszText = const_cast<char*>(columns[i].caption.c_str());
    col.iSubItem = i;
    SendMessageA(Hwnd(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  columnsShown_ = static_cast<int>(columns.size());
}

void ListViewPeer::InsertRow(int row) {
  const auto& list = static_cast<const TListView&>(Control());
  const auto& cells = list.Row(row);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char*>(cells.empty() ? "" : cells[0].c_str());
  SendMessageA(Hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (int col = 1; col < static_cast<int>(cells.size()); ++col) ItemChanged(ItemChange::Cell, row, col);
}

void ListViewPeer::ItemChanged(ItemChange what, int row, int column) {
  const auto& list = static_cast<const TListView&>(Control());
  HoldDrawingOffScreen();
  syncing_ = true;
  switch (what) {
    case ItemChange::Inserted: InsertRow(row); break;
    case ItemChange::Deleted: SendMessageA(Hwnd(), LVM_DELETEITEM, row, 0); break;
    case ItemChange::Cleared: SendMessageA(Hwnd(), LVM_DELETEALLITEMS, 0, 0); break;
    case ItemChange::Cell: {
      // Only the cell that changed is touched, so a refresh does not flicker.
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = const_cast<char*>(list.Cell(row, column).c_str());
      SendMessageA(Hwnd(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      break;
    }
  }
  syncing_ = false;
}

void ListViewPeer::ApplyState() {
  const auto& list = static_cast<const TListView&>(Control());
  SetColumns();
  syncing_ = true;
  const int selected = list.Selected();
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageA(Hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (selected >= 0) {
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(Hwnd(), LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&item));
  }
  syncing_ = false;
}

std::string ListViewPeer::TableText() const {
  const auto& list = static_cast<const TListView&>(Control());
  std::string text;
  for (int row = 0; row < list.Count(); ++row) {
    const auto& cells = list.Row(row);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += '\t';
      text += cells[i];
    }
    text += "\r\n";
  }
  return text;
}

bool ListViewPeer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_GETTEXTLENGTH) {
    result = static_cast<LRESULT>(TableText().size());
    return true;
  }
  if (msg == WM_GETTEXT) {
    const std::string text = TableText();
    auto* buffer = reinterpret_cast<char*>(lParam);
    if (buffer == nullptr || wParam == 0) {
      result = 0;
      return true;
    }
    const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = '\0';
    result = static_cast<LRESULT>(n);
    return true;
  }
  return StandardPeer::HandleMessage(msg, wParam, lParam, result);
}

LRESULT ListViewPeer::OnNotify(NMHDR* header) {
  if (header->code != LVN_ITEMCHANGED || syncing_) return 0;
  const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
  if (!(change->uChanged & LVIF_STATE)) return 0;
  auto& list = static_cast<TListView&>(Control());
  const bool nowSelected = (change->uNewState & LVIS_SELECTED) != 0;
  const bool wasSelected = (change->uOldState & LVIS_SELECTED) != 0;
  if (nowSelected && !wasSelected) {
    const int row = change->iItem;
    Application().Dispatch([&list, row] { list.SetSelected(row); });
  } else if (!nowSelected && wasSelected && list.Selected() == change->iItem) {
    Application().Dispatch([&list] { list.SetSelected(-1); });
  }
  return 0;
}

}  // namespace gui::win32
