#pragma once
// Win32 peers: one window per control. Our own window classes attach their
// peer at WM_NCCREATE; standard controls are subclassed after creation. A
// window procedure only unpacks the message and calls the peer.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/controls.h"

namespace gui::win32 {

// Fonts and brushes the peers share, released with the backend.
class GdiCache {
 public:
  GdiCache() = default;
  ~GdiCache();
  GdiCache(const GdiCache&) = delete;
  GdiCache& operator=(const GdiCache&) = delete;
  HFONT Font(const TFont& font);
  HBRUSH Brush(TColor color);

 private:
  std::map<std::string, HFONT> fonts_;
  std::map<TColor, HBRUSH> brushes_;
};
GdiCache& Gdi();

class WindowPeer : public Peer {
 public:
  explicit WindowPeer(TControl& control) : control_(control) {}
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  void Changed(Change what) override;
  HWND Hwnd() const { return hwnd_; }
  TControl& Control() const { return control_; }
  void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
  // The peer of a window, or null when the window is not one of ours.
  static WindowPeer* FromHwnd(HWND hwnd);

  // A message for this window; true when handled (result in `result`).
  virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Notifications a child sends its parent, routed back to the child's peer.
  virtual void OnCommand(WORD /*code*/) {}
  virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
  virtual void OnScroll(WORD /*code*/) {}

  // Paints the control's look into a device context of its own size.
  virtual void Paint(HDC /*dc*/) {}
  // True when the control lets what lies beneath it show through.
  virtual bool SeeThrough() const { return Control().Transparent(); }

  // For standard controls: calls the class's own procedure.
  WNDPROC originalProc = nullptr;

  // Everything a window made from a finished control still lacks.
  virtual void ApplyCreatedState();

  // True while the control is on screen. A window that is not, its own
  // hidden or one of its parents', is painted whole when it next shows:
  // until then there is nothing to invalidate or paint at once.
  bool OnScreen() const { return control_.Showing(); }
  // InvalidateRect, for a control on screen.
  void Invalidate(bool erase) const;
  // The control is about to come on screen, itself or with an ancestor:
  // what was held back while it was off screen must be in place first.
  virtual void ComingOnScreen() {}

 protected:
  virtual void ApplyBounds();
  virtual void ApplyVisible();
  virtual void ApplyCaption();
  virtual void ApplyState() { Invalidate(true); }
  virtual void ApplyEnabled() { EnableWindow(hwnd_, Control().Enabled()); }
  // Mouse input in client coordinates, with capture while a button is down.
  bool HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  TControl& control_;
  HWND hwnd_ = nullptr;
};

// True for a window of this thread that one of our peers drives: a window
// handle from a message may name anything on the desktop, including our own
// timer window, which no peer drives.
bool IsPeerWindow(HWND hwnd);
// The peer that drives a window of this thread, or null.
WindowPeer* PeerOf(HWND hwnd);
// The window is going away with its peer.
void ForgetPeerWindow(HWND hwnd);
// Lets a window the system made for a control refuse close requests, which
// only another program sends.
void KeepOpen(HWND hwnd);

// Creates the window and the peer of any control.
std::unique_ptr<Peer> CreatePeerFor(TControl& control, HINSTANCE instance);

// The system stacks a new child window beneath its siblings. Pictures,
// labels, gauges and picture buttons lie over their earlier siblings and
// over the panels and standard controls beside them, as they are laid out,
// and so does a control brought to front; panels and standard controls
// keep the order they were made in beneath them.
bool StacksOverSiblings(const TControl& control);
// The order that stacks a parent's children so without moving any: those
// that lie over the others first, the last of them first, then the rest in
// their order. Children that have windows already keep their order; the
// new ones are then raised as they are made.
std::vector<TControl*> StackingCreationOrder(const TWinControl& parent);
// True when the new window of a control that lies over its siblings must
// be raised: a sibling it lies over has a window already.
bool MustRaiseOnCreation(const TControl& control);

// Window classes of our own (their procedure finds the peer from the
// window) and standard ones (subclassed so the peer sees their messages).
// `place` overrides the control's own place (a top-level window's frame).
HWND CreateOwnWindow(WindowPeer& peer, const char* className, DWORD style, DWORD exStyle,
                     HINSTANCE instance, const RECT* place = nullptr);
HWND CreateStandardWindow(WindowPeer& peer, const char* className, DWORD style, DWORD exStyle,
                          HINSTANCE instance);
// The HWND of the nearest ancestor with a window, or null.
HWND ParentWindow(const TControl& control);
// Window-relative place of a control, its parent's scrolling included.
RECT PlaceOf(const TControl& control);

// Paints what lies beneath a see-through control: its parent's colour and
// the pictures of earlier siblings, in the control's own coordinates.
void PaintBeneath(const TControl& control, HDC dc);
// Repaints the see-through controls laid over this one (at once when `now`,
// otherwise when the loop next paints): they show what lies beneath them.
// Nothing while the parent is off screen.
void RefreshSeeThroughAbove(const TControl& control, bool now);
// Whether a see-through sibling above covers the whole of `control`: its
// paint then shows `control` beneath it, and the windows' clipping leaves
// nothing of `control`'s own paint on the screen.
bool CoveredBySeeThroughAbove(const TControl& control);
// Tells the peers of a control and of everything on it that they are about
// to come on screen.
void AnnounceComingOnScreen(const TControl& control);
// Paints a control's own look at an offset (for PaintBeneath).
void PaintControlAt(const TControl& control, HDC dc, int dx, int dy);

// Raises the error the program-wide box shows when the system refuses a
// window or a timer: without it a part of the program would be silently
// missing (a control never drawn, a refresh that never comes).
// The pointer's moves and the three buttons' presses and releases: what a
// control that answers the mouse itself takes over.
inline bool IsPointerMessage(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      return true;
    default:
      return false;
  }
}

// Runs a piece of a window procedure where no exception may cross back into
// the system's dispatch: what it throws is shown in the program-wide error
// box, never swallowed. False when it threw.
bool Guarded(const std::function<void()>& step);

[[noreturn]] void RaiseSystemError(const std::string& what, DWORD error);
std::string SystemErrorText(const std::string& what, DWORD error);

void DrawBitmap(HDC dc, const Bitmap& bitmap, int x, int y, int width, int height);
// Answers WM_PAINT by drawing into a back buffer of the client's size and
// copying it in one go, so nothing flickers.
void PaintBuffered(HWND hwnd, const std::function<void(HDC dc, const RECT& client)>& draw);
void FillSolid(HDC dc, const RECT& r, TColor color);

}  // namespace gui::win32
