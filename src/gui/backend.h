#pragma once
// What the GUI runtime needs from a backend: peers for controls, timers,
// modal boxes and the message loop. The Win32 backend does this with real
// windows; the headless backend with a virtual clock and scripted answers.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/controls.h"

namespace gui {

class TApplication;
class TTimer;
class TPopupMenu;

// MessageBox style bits and results, with the platform's values.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kYesNoCancel = 0x3;
constexpr unsigned kYesNo = 0x4;
// Yes and Cancel: a button set the system's message box lacks, so the
// backend builds that box itself. The value is free in the system's range.
constexpr unsigned kYesCancel = 0x7;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kButtonMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
}  // namespace mb

enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class Backend {
 public:
  virtual ~Backend() = default;

  // A peer for the control, or null when the backend draws nothing.
  virtual std::unique_ptr<Peer> CreatePeer(TControl& control) = 0;
  // The order in which a pass makes the peers of a control's children
  // (parent first always): a backend whose system stacks each new window
  // beneath its siblings makes those that lie over the others first, so
  // none has to be moved once made.
  virtual std::vector<TControl*> PeerCreationOrder(const TWinControl& parent) {
    return parent.Children();
  }

  // The timer's Enabled or Interval changed, or it is going away (enabled
  // false). The backend (re)arms or cancels it.
  virtual void TimerChanged(TTimer& timer) = 0;

  // A modal box; runs a nested loop until it is answered. Returns the
  // button's ModalResult.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                         unsigned style) = 0;

  // Paints the control's window and its children at once.
  virtual void RepaintNow(TControl& control) = 0;

  // Runs the message loop until the application is terminated.
  virtual void RunMessageLoop(TApplication& app) = 0;
  // Handles every pending message once, then returns.
  virtual void ProcessMessages() = 0;
  // Terminate was asked: wake the loop so it can end.
  virtual void PostQuit() = 0;
  // Minimizes the application's windows to the taskbar.
  virtual void MinimizeApplication() = 0;
  virtual void RestoreApplication() = 0;
  // Shows a popup menu at a screen point until the user chooses; returns
  // the chosen item's command id, or 0.
  virtual int TrackPopupMenu(TPopupMenu& menu, int x, int y) = 0;
  // The bytes of a picture shipped with the program, empty when missing.
  virtual std::vector<std::uint8_t> LoadResource(const std::string& name) = 0;
  // The system's handle of a control's window (0 without one), for calls
  // that take an owner window.
  virtual std::uintptr_t NativeHandle(const TControl& control) = 0;
  // Size of the work area forms are centred on.
  virtual void DesktopSize(int& width, int& height) = 0;
  // Writes text into a picture with its top-left corner at (x, y), in the
  // font's colour on an opaque cell of `background` that covers the text's
  // extent; what falls outside the picture is cut off.
  virtual void RenderText(Bitmap& picture, int x, int y, const std::string& text,
                          const TFont& font, TColor background) = 0;
};

}  // namespace gui
