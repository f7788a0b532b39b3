// A message box with buttons the system's own box does not offer (Yes and
// Cancel). It is an ordinary dialog of the system's dialog class, built from
// an in-memory template, and laid out like the system's box: icon at the
// left, the text beside it, the buttons centred below. The text is control
// 65535 and the buttons carry the ids the system's box gives them, so the
// same readers find both kinds.

#include "gui/win32/message_dialog.h"

#include "gui/win32/gdi_handles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace gui::win32 {

namespace {

constexpr WORD kTextId = 0xFFFF;
constexpr WORD kIconId = 0xFFFE;

struct DialogData {
  const std::string* text;
  unsigned style;
  std::vector<int> buttons;  // ids, left to right
};

// DLGTEMPLATE and DLGITEMTEMPLATE records must start on DWORD boundaries.
void Align(std::vector<WORD>& t) {
  if (t.size() % 2 != 0) t.push_back(0);
}

void PushString(std::vector<WORD>& t, const char* s) {
  for (; *s != '\0'; ++s) t.push_back(static_cast<unsigned char>(*s));
  t.push_back(0);
}

void PushDword(std::vector<WORD>& t, DWORD v) {
  t.push_back(LOWORD(v));
  t.push_back(HIWORD(v));
}

void PushItem(std::vector<WORD>& t, DWORD style, WORD id, WORD classAtom, const char* text) {
  Align(t);
  PushDword(t, style | WS_CHILD | WS_VISIBLE);
  PushDword(t, 0);  // extended style
  for (int i = 0; i < 4; ++i) t.push_back(0);  // placed in WM_INITDIALOG
  t.push_back(id);
  t.push_back(0xFFFF);
  t.push_back(classAtom);
  PushString(t, text);
  t.push_back(0);  // no creation data
}

const char* ButtonCaption(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "&Yes";
    case IDNO: return "&No";
    default: return "";
  }
}

LPCSTR IconFor(unsigned style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
  }
}

// Places the controls in pixels once the dialog's font is known.
void LayOut(HWND dlg, const DialogData& data) {
  HWND textWnd = GetDlgItem(dlg, kTextId);
  // As wide as a line of the system's own boxes before the text wraps.
  RECT textRect = {0, 0, std::min(560, GetSystemMetrics(SM_CXSCREEN) * 2 / 3), 0};
  TEXTMETRICA tm = {};
  {
    WindowDc dc(textWnd, false);
    SelectedObject font(dc.Get(),
                        reinterpret_cast<HGDIOBJ>(SendMessageA(dlg, WM_GETFONT, 0, 0)));
    DrawTextA(dc.Get(), data.text->c_str(), -1, &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    GetTextMetricsA(dc.Get(), &tm);
  }

  const int margin = 12;
  const int iconSize = GetSystemMetrics(SM_CXICON);
  const bool hasIcon = IconFor(data.style) != nullptr;
  const int textLeft = margin + (hasIcon ? iconSize + margin : 0);
  const int textHeight = std::max<int>(textRect.bottom, tm.tmHeight);
  const int bodyHeight = std::max(textHeight, hasIcon ? iconSize : 0);
  const int buttonWidth = 75;
  const int buttonHeight = 23;
  const int buttonGap = 6;
  const int buttonsWidth = static_cast<int>(data.buttons.size()) * (buttonWidth + buttonGap) - buttonGap;
  const int clientWidth = std::max(textLeft + static_cast<int>(textRect.right) + margin,
                                   buttonsWidth + 2 * margin);
  const int buttonsTop = margin + bodyHeight + margin;
  const int clientHeight = buttonsTop + buttonHeight + margin;

  if (hasIcon) {
    MoveWindow(GetDlgItem(dlg, kIconId), margin, margin, iconSize, iconSize, FALSE);
  }
  MoveWindow(textWnd, textLeft, margin + (bodyHeight - textHeight) / 2, textRect.right, textHeight,
             FALSE);
  int x = (clientWidth - buttonsWidth) / 2;
  for (int id : data.buttons) {
    MoveWindow(GetDlgItem(dlg, id), x, buttonsTop, buttonWidth, buttonHeight, FALSE);
    x += buttonWidth + buttonGap;
  }

  RECT frame = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the owner when there is one, on the screen otherwise.
  RECT area;
  HWND owner = GetWindow(dlg, GW_OWNER);
  if (owner == nullptr || !GetWindowRect(owner, &area)) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  SetWindowPos(dlg, HWND_TOP, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* data = reinterpret_cast<const DialogData*>(lParam);
      SetDlgItemTextA(dlg, kTextId, data->text->c_str());
      if (LPCSTR icon = IconFor(data->style)) {
        SendDlgItemMessageA(dlg, kIconId, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
      }
      LayOut(dlg, *data);
      SetForegroundWindow(dlg);
      SetFocus(GetDlgItem(dlg, data->buttons.front()));
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (id == IDCANCEL || id == IDOK || id == IDYES || id == IDNO) {
          // Escape and the close box send IDCANCEL; a set without Cancel
          // has no way out but its buttons.
          if (id == IDCANCEL && GetDlgItem(dlg, IDCANCEL) == nullptr) return TRUE;
          EndDialog(dlg, id);
          return TRUE;
        }
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int ShowMessageDialog(void* instance, void* owner, const std::string& text,
                      const std::string& caption, unsigned style, const std::vector<int>& buttons) {
  if (buttons.empty()) return 0;
  const bool hasIcon = IconFor(style) != nullptr;
  std::vector<WORD> t;
  PushDword(t, DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  PushDword(t, 0);
  t.push_back(static_cast<WORD>(buttons.size() + 1 + (hasIcon ? 1 : 0)));
  for (int i = 0; i < 4; ++i) t.push_back(0);
  t.push_back(0);  // no menu
  t.push_back(0);  // the system's dialog class
  PushString(t, caption.c_str());
  t.push_back(8);
  PushString(t, "MS Sans Serif");
  constexpr WORD kButtonAtom = 0x0080;
  constexpr WORD kStaticAtom = 0x0082;
  if (hasIcon) PushItem(t, SS_ICON, kIconId, kStaticAtom, "");
  PushItem(t, SS_LEFT | SS_NOPREFIX, kTextId, kStaticAtom, "");
  bool first = true;
  for (int id : buttons) {
    PushItem(t, (first ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, static_cast<WORD>(id),
             kButtonAtom, ButtonCaption(id));
    first = false;
  }
  DialogData data{&text, style, buttons};
  const INT_PTR result = DialogBoxIndirectParamA(
      static_cast<HINSTANCE>(instance), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
      static_cast<HWND>(owner), DialogProc, reinterpret_cast<LPARAM>(&data));
  return result > 0 ? static_cast<int>(result) : IDCANCEL;
}

}  // namespace gui::win32
