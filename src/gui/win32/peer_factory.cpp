#include <windows.h>
#include <commctrl.h>

#include "gui/win32/custom_peers.h"
#include "gui/win32/peers.h"
#include "gui/win32/standard_peers.h"

namespace gui::win32 {

namespace {

template <typename PeerT>
std::unique_ptr<Peer> Own(TControl& control, const char* className, DWORD style, HINSTANCE instance) {
  auto peer = std::make_unique<PeerT>(control);
  if (CreateOwnWindow(*peer, className, style, 0, instance) == nullptr) return nullptr;
  return peer;
}

template <typename PeerT>
std::unique_ptr<PeerT> Standard(TControl& control, const char* className, DWORD style,
                                DWORD exStyle, HINSTANCE instance) {
  auto peer = std::make_unique<PeerT>(control);
  if (CreateStandardWindow(*peer, className, style, exStyle, instance) == nullptr) return nullptr;
  return peer;
}

// The common controls of the first Windows 95 lack InitCommonControlsEx, and
// a static import of it would keep the exe from loading there at all. Where
// it exists it must be used: version 6 registers nothing without it.
bool RegisterCommonControls() {
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  HMODULE comctl = GetModuleHandleA("comctl32.dll");
  auto initEx = comctl != nullptr
                    ? reinterpret_cast<InitEx>(reinterpret_cast<void*>(
                          GetProcAddress(comctl, "InitCommonControlsEx")))
                    : nullptr;
  if (initEx != nullptr) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    if (initEx(&icc)) return true;
  }
  InitCommonControls();
  return false;
}

}  // namespace

std::unique_ptr<Peer> CreatePeerFor(TControl& control, HINSTANCE instance) {
  static const bool commonControls = RegisterCommonControls();
  (void)commonControls;

  switch (control.Kind()) {
    case ControlKind::Form: {
      auto peer = std::make_unique<FormPeer>(control);
      // Created hidden, frame and all at its place: the first showing runs
      // the start-up steps first.
      const RECT frame = FormPeer::FrameRect(control);
      if (CreateOwnWindow(*peer, FormPeer::kClassName, FormPeer::kStyle, FormPeer::kExStyle,
                          instance, &frame) == nullptr) {
        return nullptr;
      }
      ShowWindow(peer->Hwnd(), SW_HIDE);
      // Given to the window itself as well as to its class: the taskbar and
      // Alt+Tab ask the window first, and other programs can only ask it.
      SendMessageA(peer->Hwnd(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadIconA(instance, MAKEINTRESOURCEA(1))));
      SendMessageA(peer->Hwnd(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
      return peer;
    }
    case ControlKind::Panel:
    case ControlKind::Page:
    case ControlKind::Notebook:
    case ControlKind::GroupBox:
      return Own<ContainerPeer>(control, "QuorvelPanel", WS_CLIPCHILDREN, instance);
    case ControlKind::ScrollBox:
      return Own<ContainerPeer>(control, "QuorvelScrollBox", WS_CLIPCHILDREN | WS_VSCROLL, instance);
    case ControlKind::Label:
      return Own<LabelPeer>(control, "QuorvelLabel", 0, instance);
    case ControlKind::Gauge:
      return Own<GaugePeer>(control, "QuorvelGauge", 0, instance);
    case ControlKind::SpeedButton:
      return Own<SpeedButtonPeer>(control, "QuorvelSpeedButton", 0, instance);
    case ControlKind::Image:
      return Own<ImagePeer>(control, "QuorvelImage", 0, instance);
    case ControlKind::Button:
      return Standard<ButtonPeer>(control, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, instance);
    case ControlKind::CheckBox:
      return Standard<CheckBoxPeer>(control, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, instance);
    case ControlKind::Edit:
      return Standard<EditPeer>(control, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                                instance);
    case ControlKind::SpinEdit: {
      auto peer = std::make_unique<SpinEditPeer>(control, instance);
      if (CreateStandardWindow(*peer, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                               instance) == nullptr) {
        return nullptr;
      }
      peer->Create(instance);
      return peer;
    }
    case ControlKind::TrackBar:
      return Standard<TrackBarPeer>(control, TRACKBAR_CLASSA, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP,
                                    0, instance);
    case ControlKind::ListView: {
      auto peer = Standard<ListViewPeer>(
          control, WC_LISTVIEWA,
          LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
          WS_EX_CLIENTEDGE, instance);
      if (peer) peer->Setup();
      return peer;
    }
    case ControlKind::StatusBar: {
      auto peer = std::make_unique<StatusBarPeer>(control);
      if (CreateOwnWindow(*peer, "QuorvelStatusBar", WS_CLIPCHILDREN, 0, instance) == nullptr) {
        return nullptr;
      }
      peer->Setup(instance);
      return peer;
    }
    case ControlKind::Chart:
      return Own<ChartPeer>(control, "QuorvelChart", 0, instance);
  }
  return nullptr;
}

}  // namespace gui::win32
