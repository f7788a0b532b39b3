#pragma once
// Win32 peers: each control's window, attached to the control at
// WM_NCCREATE so the window procedure can find it again.

#include <windows.h>

#include <memory>

#include "gui/controls.h"

namespace gui::win32 {


// The window that shows a control. Owns its HWND.
class WindowPeer : public Peer {
 public:
  WindowPeer(TControl& control, HWND hwnd) : control_(control), hwnd_(hwnd) {}
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  void Changed(Change what) override;
  HWND Hwnd() const { return hwnd_; }
  TControl& Control() const { return control_; }
  // Set once the window exists (at WM_NCCREATE for our own classes).
  void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
  // The peer attached to a window, or null.
  static WindowPeer* FromHwnd(HWND hwnd);

 protected:
  virtual void ApplyBounds();
  virtual void ApplyVisible();
  virtual void ApplyCaption();
  virtual void ApplyState() {}

 private:
  TControl& control_;
  HWND hwnd_;
};

// The main form: a borderless top-level window with a one-pixel frame.
class FormPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  static std::unique_ptr<Peer> Create(TControl& form, HINSTANCE instance);

 protected:
  void ApplyBounds() override;
};

class CheckBoxPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;

 protected:
  void ApplyState() override;
};

// The HWND of the nearest windowed ancestor's peer, or null.
HWND ParentWindow(const TControl& control);
// A standard child control of a system window class.
std::unique_ptr<Peer> CreateChildPeer(TControl& control, HINSTANCE instance);

}  // namespace gui::win32
