#pragma once
// Peers of the controls whose look is ours: the form, containers, labels,
// gauges, picture buttons and images. Each answers the query messages of its
// nearest standard control so tests and screen readers can read it.

#include <vector>

#include "gui/win32/peers.h"

namespace gui::win32 {

class FormPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  static constexpr const char* kClassName = "TForm_Zentor";
  static constexpr DWORD kStyle = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
  static constexpr DWORD kExStyle = WS_EX_APPWINDOW;
  // The window's place, frame included: the control's size is the client
  // area's, and its frame lies outside it.
  static RECT FrameRect(const TControl& form);
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyBounds() override;
  void ApplyVisible() override;
};

// Panels, group boxes, notebooks and their pages, scroll boxes.
class ContainerPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyState() override;

 private:
  void UpdateScrollBar();
  void Scrolled();
};

class LabelPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
};

class GaugePeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyState() override;

 private:
  DWORD lastPaint_ = 0;
  bool paintedOnce_ = false;
};

class SpeedButtonPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool pressed_ = false;
};

// A status bar whose panels are child windows of their own: each can be
// found by its id (the bar's id times ten, plus its index) and read with
// WM_GETTEXT from another process, which the common control's
// buffer-based queries do not allow.
class StatusBarPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  ~StatusBarPeer() override;
  void Setup(HINSTANCE instance);
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
  void ItemChanged(ItemChange what, int row, int column) override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  void PaintPanel(int index, HDC dc, const RECT& r);
  // Mouse input on a panel, passed on as the bar's own.
  void PanelMouse(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  void ApplyBounds() override;
  void ApplyState() override;

 private:
  // Each panel's place in the bar, as the bar's panel widths lay them out.
  std::vector<RECT> PanelPlaces() const;
  void Rebuild();
  void LayOut();
  HINSTANCE instance_ = nullptr;
  std::vector<HWND> panels_;
  std::vector<RECT> places_;  // where the panels were last put
};

// The line chart: a tiled background and one polyline per series.
class ChartPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
};

class ImagePeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void CheckPointerLeft();
};

}  // namespace gui::win32
